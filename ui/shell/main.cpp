// skimbolt: the desktop program. Headless commands are answered before any
// window or display is touched.
#include <wx/app.h>

#include "cli/Commands.h"
#include "ui/shell/Application.h"

int main(int argc, char** argv) {
    if (auto status = RunHeadlessCommand(argc, argv)) return *status;
    wxApp::SetInstance(new CSkimboltApp);
    return wxEntry(argc, argv);
}
