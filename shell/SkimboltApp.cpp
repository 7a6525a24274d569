#include "shell/SkimboltApp.h"

#include <wx/msgdlg.h>

wxIMPLEMENT_APP_NO_MAIN(CSkimboltApp);

bool CSkimboltApp::OnInit() {
    // The tray program is assembled in later steps; until then say so plainly.
    wxMessageBox("The Skimbolt tray program is not assembled yet.\n"
                 "Run 'skimbolt --help' for the headless commands.",
                 "Skimbolt", wxOK | wxICON_INFORMATION);
    return false;
}
