#include "ui/base/FilePrompt.h"

#include <wx/filedlg.h>
#include <wx/filename.h>

bool CDialogFilePrompt::ChooseSoundFile(wxWindow* parent, const wxString& current, wxString& chosen) {
    const wxFileName file(current);
    wxFileDialog dialog(parent, "Choose a sound file", file.GetPath(), file.GetFullName(),
                        "Sound files (*.oga, *.ogg, *.wav)|*.oga;*.ogg;*.wav;*.OGA;*.OGG;*.WAV|All files|*", wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() != wxID_OK) return false;
    chosen = dialog.GetPath();
    return true;
}
