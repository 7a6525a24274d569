// CFilePrompt: how a page asks the user for a file. The window asks with
// the toolkit's file dialog; tests put in an answer of their own, since a
// file dialog cannot be answered from a test.
#pragma once

#include <wx/string.h>

class wxWindow;

class CFilePrompt {
public:
    virtual ~CFilePrompt() = default;
    // Asks for an existing sound file, starting at current. True with the
    // chosen path, false when the user cancelled.
    virtual bool ChooseSoundFile(wxWindow* parent, const wxString& current, wxString& chosen) = 0;
};

// The toolkit's open-file dialog.
class CDialogFilePrompt : public CFilePrompt {
public:
    bool ChooseSoundFile(wxWindow* parent, const wxString& current, wxString& chosen) override;
};
