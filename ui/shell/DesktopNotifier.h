// CDesktopNotifier: the desktop's own notifications (through the session's
// notification server): new stories at the end of a pass, and problems with
// files. Activating a new-stories notice runs the owner's callback. Without
// a notification server nothing is shown and nothing fails.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

class wxNotificationMessage;
class wxWindow;

struct DesktopNotice {
    std::string title;
    std::string body;
};

// "3 new stories" with up to three headlines, one a line, and "and N more".
DesktopNotice NewStoriesNotice(int count, const std::vector<std::string>& headlines);
// A problem with one file: its kind, the file's name and what happened.
DesktopNotice ProblemNotice(const std::string& kindText, const std::string& subject, const std::string& detail);

class CDesktopNotifier {
public:
    explicit CDesktopNotifier(wxWindow* pParent);
    ~CDesktopNotifier();

    // Shows notice; onActivate (may be empty) runs when the user activates it.
    // False when no notification server took it.
    bool Show(const DesktopNotice& notice, std::function<void()> onActivate);

    // Every notice shown in this run, for the window's diagnostics view and tests.
    const std::vector<DesktopNotice>& Shown() const { return m_shown; }

private:
    wxWindow* m_pParent;
    std::vector<std::unique_ptr<wxNotificationMessage>> m_live;
    std::vector<DesktopNotice> m_shown;
};
