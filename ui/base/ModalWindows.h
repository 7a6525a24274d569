// CModalWindows: the modal windows open now, each running its own loop, the
// innermost last. When the program must end while some are open, it ends
// them one after the other, innermost first, as their Cancel would, so that
// each one's code returns before the windows that own it go. A pop-up menu
// shown now is closed first, as Esc would close it.
#pragma once

#include <functional>
#include <vector>

#include <wx/dialog.h>
#include <wx/event.h>
#include <wx/modalhook.h>
#include <wx/weakref.h>

class CModalWindows : public wxEvtHandler, public wxModalDialogHook {
public:
    CModalWindows();
    ~CModalWindows() override;

    bool AnyOpen();
    // Ends every modal window open now and refuses new ones (they return
    // Cancel without being shown); calls `then` once the last has returned,
    // at once when none is open.
    void EndAll(std::function<void()> then);
    bool IsEnding() const { return m_bEnding; }

protected:
    int Enter(wxDialog* dialog) override;
    void Exit(wxDialog* dialog) override;

private:
    void EndNext();

    std::vector<wxWeakRef<wxDialog>> m_open;
    std::function<void()> m_then;
    bool m_bEnding = false;
};
