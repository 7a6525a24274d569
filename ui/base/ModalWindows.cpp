#include "ui/base/ModalWindows.h"

#include <algorithm>

#include <wx/msgdlg.h>

#include "app/Desktop.h"

CModalWindows::CModalWindows() { Register(); }

CModalWindows::~CModalWindows() { Unregister(); }

bool CModalWindows::AnyOpen() {
    std::erase_if(m_open, [](const wxWeakRef<wxDialog>& dialog) { return !dialog; });
    return !m_open.empty() || IsToolkitMenuOpen();
}

void CModalWindows::EndAll(std::function<void()> then) {
    m_then = std::move(then);
    if (m_bEnding) return;  // already under way
    m_bEnding = true;
    EndNext();
}

int CModalWindows::Enter(wxDialog* dialog) {
    if (m_bEnding) return wxID_CANCEL;
    m_open.emplace_back(dialog);
    return wxID_NONE;
}

void CModalWindows::Exit(wxDialog* dialog) {
    const auto it = std::find_if(m_open.rbegin(), m_open.rend(),
                                 [dialog](const wxWeakRef<wxDialog>& open) { return open.get() == dialog; });
    if (it != m_open.rend()) m_open.erase(std::next(it).base());
    // The next one is ended from its own loop, once this one's code has
    // returned.
    if (m_bEnding) CallAfter([this] { EndNext(); });
}

void CModalWindows::EndNext() {
    // A pop-up menu runs its own loop too: it is closed first, and the rest
    // goes on once that loop has returned.
    if (IsToolkitMenuOpen()) {
        CloseToolkitMenus();
        CallAfter([this] { EndNext(); });
        return;
    }
    if (!AnyOpen()) {
        if (m_then) {
            const std::function<void()> then = std::move(m_then);
            m_then = nullptr;
            then();
        }
        return;
    }
    wxDialog* innermost = m_open.back().get();
    if (innermost->IsModal()) {
        innermost->EndModal(wxID_CANCEL);
    } else if (dynamic_cast<wxMessageDialogBase*>(innermost)) {
        // GTK runs its message box itself: it is closed through GTK.
        CloseToolkitDialog(innermost->GetHandle());
    }
    // Otherwise it is returning already; its Exit comes.
}
