// Modal dialog hooks for window tests: nothing modal is ever shown on screen.
// CStrayDialogHook is registered for the whole test run and cancels any modal
// dialog nobody expected; CExpectDialogHook is the hook behind wxTEST_DIALOG,
// answering expected dialogs and cancelling unexpected ones. Both turn an
// unexpected dialog into a failure of the running test.
//
// Include this header (or GuiTest.h) instead of <wx/testing.h>: the hook class
// must be chosen before wx/testing.h is first read.
#pragma once

#include <string>
#include <vector>

#include <wx/modalhook.h>

class CExpectDialogHook;
#ifdef _WX_TESTING_H_
#error "include tests/gui/DialogHook.h before <wx/testing.h>"
#endif
#define wxTEST_DIALOG_HOOK_CLASS CExpectDialogHook
#include <wx/testing.h>

// Unexpected modal dialogs seen since the last ClearUnexpectedDialogs(), each
// described by its kind and title or message text.
std::vector<std::string> UnexpectedDialogs();
void ClearUnexpectedDialogs();

// Describes a dialog for failure messages: a message box by its text, any
// other dialog by its title.
std::string DescribeDialog(wxDialog* dialog);

// The last resort: registered first, so every other hook is asked before it.
class CStrayDialogHook : public wxModalDialogHook {
protected:
    int Enter(wxDialog* dialog) override;
};

// Used by wxTEST_DIALOG: expectations are answered as wx's testing hook does;
// a dialog that matches no expectation is cancelled instead of being shown,
// and every failure is reported to GoogleTest at the wxTEST_DIALOG line.
class CExpectDialogHook : public wxTestingModalHook {
public:
    CExpectDialogHook(const char* file, int line, const char* func);

protected:
    int Enter(wxDialog* dialog) override;
    void ReportFailure(const wxString& message) override;

private:
    const char* m_pszFile;
    int m_nLine;
};
