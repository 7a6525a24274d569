// CDesktopNotifier: the desktop's own notifications (through the session's
// notification server): new stories at the end of a cycle, and problems with
// files. Each notice carries the program's icon and names its desktop entry;
// clicking a new-stories notice (its default action) runs the owner's
// callback. A server started anew takes the next notice. Without a
// notification server nothing is shown and nothing fails.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/Desktop.h"

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
    // The program's icon theme name and desktop entry, as installed.
    static constexpr const char* APP_ICON = "skimbolt";
    static constexpr const char* DESKTOP_ENTRY = "com.vantrelgroup.Skimbolt";
    // The notice's own action: clicking it.
    static constexpr const char* DEFAULT_ACTION = "default";

    // busAddress "": the session bus.
    explicit CDesktopNotifier(std::string busAddress = "");

    // Shows notice; onActivate (may be empty) runs when the user clicks it.
    // False when no notification server took it.
    bool Show(const DesktopNotice& notice, std::function<void()> onActivate);

    // Every notice shown in this run, for the window's diagnostics view and tests.
    const std::vector<DesktopNotice>& Shown() const { return m_shown; }

private:
    const NotificationImage& Icon();

    CDesktopNotifications m_client;
    std::map<CDesktopNotifications::NoticeId, std::function<void()>> m_onActivate;
    NotificationImage m_icon;
    bool m_bIconLoaded = false;
    std::vector<DesktopNotice> m_shown;
};
