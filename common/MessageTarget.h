// CMessageTarget: where the core reports to a window without knowing it.
// The UI implementation queues an event to the main window; the headless one
// prints or records. Post never blocks; Send waits for the receiver's answer.
#pragma once

#include <cstdint>

class CMessageTarget {
public:
    virtual ~CMessageTarget() = default;
    virtual void Post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
    virtual std::intptr_t Send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
};

// A target that drops every message, for scans nobody watches.
class CSilentTarget : public CMessageTarget {
public:
    void Post(unsigned, std::uintptr_t, std::intptr_t) override {}
    std::intptr_t Send(unsigned, std::uintptr_t, std::intptr_t) override { return 0; }
};

// CMessageBoxSink: how the core shows a refusal or failure to the user. The
// UI shows a message box; tests and headless runs capture or print the text.
class CMessageBoxSink {
public:
    virtual ~CMessageBoxSink() = default;
    // stringId is the string-table number (0 for a literal text); returns the
    // button chosen (IDOK when only OK is offered).
    virtual int ShowMessage(int stringId, const char* text) = 0;

    // The same with the icon the box shows; the default ignores the icon.
    enum Icon { ICON_INFORMATION, ICON_STOP, ICON_WARNING };
    virtual int ShowNotice(int stringId, const char* text, Icon icon) {
        (void)icon;
        return ShowMessage(stringId, text);
    }
};

constexpr int IDOK = 1;
