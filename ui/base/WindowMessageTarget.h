// CWindowMessageTarget: how the scanning thread reaches the main window. Post
// queues the message to the window's event loop; Send queues it and waits
// for the window's answer. Once closed (at exit), a Send still waiting or
// still to come returns 0 unhandled, so the scanning thread can always stop.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "app/Messages.h"

class wxEvtHandler;

class CWindowMessageTarget : public CMessageTarget {
public:
    // Runs on the user-interface thread for every message, in order.
    using Handler = std::function<std::intptr_t(unsigned message, std::uintptr_t wParam, std::intptr_t lParam)>;

    CWindowMessageTarget(wxEvtHandler& window, Handler handler);
    ~CWindowMessageTarget() override;
    CWindowMessageTarget(const CWindowMessageTarget&) = delete;
    CWindowMessageTarget& operator=(const CWindowMessageTarget&) = delete;

    // Any thread. A Send from the user-interface thread is handled at once.
    void Post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
    std::intptr_t Send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;

    // User-interface thread: from now on nothing queued is handled and every
    // Send returns 0.
    void Close();

private:
    struct State;
    wxEvtHandler& m_window;
    std::shared_ptr<State> m_state;
};
