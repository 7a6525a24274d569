#include "ui/base/WindowMessageTarget.h"

#include <condition_variable>
#include <mutex>

#include <wx/event.h>
#include <wx/thread.h>

struct CWindowMessageTarget::State {
    Handler handler;
    std::mutex mutex;
    std::condition_variable answered;
    bool bClosed = false;

    bool IsClosed() {
        std::lock_guard<std::mutex> lock(mutex);
        return bClosed;
    }
};

namespace {
struct SendSlot {
    bool bDone = false;
    std::intptr_t result = 0;
};
}  // namespace

CWindowMessageTarget::CWindowMessageTarget(wxEvtHandler& window, Handler handler)
    : m_window(window), m_state(std::make_shared<State>()) {
    m_state->handler = std::move(handler);
}

CWindowMessageTarget::~CWindowMessageTarget() { Close(); }

void CWindowMessageTarget::Post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (m_state->IsClosed()) return;
    std::shared_ptr<State> state = m_state;
    m_window.CallAfter([state, message, wParam, lParam] {
        if (!state->IsClosed()) state->handler(message, wParam, lParam);
    });
}

std::intptr_t CWindowMessageTarget::Send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (wxThread::IsMain()) return m_state->IsClosed() ? 0 : m_state->handler(message, wParam, lParam);
    std::shared_ptr<State> state = m_state;
    auto slot = std::make_shared<SendSlot>();
    {
        std::lock_guard<std::mutex> lock(state->mutex);
        if (state->bClosed) return 0;
    }
    m_window.CallAfter([state, slot, message, wParam, lParam] {
        std::intptr_t result = 0;
        if (!state->IsClosed()) result = state->handler(message, wParam, lParam);
        std::lock_guard<std::mutex> lock(state->mutex);
        slot->result = result;
        slot->bDone = true;
        state->answered.notify_all();
    });
    std::unique_lock<std::mutex> lock(state->mutex);
    state->answered.wait(lock, [&] { return slot->bDone || state->bClosed; });
    return slot->bDone ? slot->result : 0;
}

void CWindowMessageTarget::Close() {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->bClosed = true;
    m_state->answered.notify_all();
}
