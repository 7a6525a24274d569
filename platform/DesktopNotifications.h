// CDesktopNotifications: a client of the desktop's notification server
// (org.freedesktop.Notifications on the session bus) that needs no toolkit.
// Every notice goes to whichever program owns that name at the time, so a
// server that was restarted takes the next one. What the server reports
// back (a notice's action invoked, a notice closed) comes to handlers, run
// by the GLib main loop of the thread that made the client: the toolkit's
// own loop in the desktop program, RunEventsUntil elsewhere.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// A picture sent with a notice: 8 bits a sample, RGBA (or RGB without
// alpha), rows one after the other without padding.
struct NotificationImage {
    int width = 0;
    int height = 0;
    bool hasAlpha = true;
    std::vector<unsigned char> pixels;
};

struct NotificationRequest {
    std::string appName;
    std::string appIcon;  // an icon theme's name for the program
    std::string summary;
    std::string body;     // plain text (escaped for a server that reads markup)
    // Key and label of each action; the key "default" is the notice itself
    // being clicked.
    std::vector<std::pair<std::string, std::string>> actions;
    std::string desktopEntry;  // the program's desktop entry, without ".desktop"
    NotificationImage image;   // sent when it has pixels
    std::int32_t timeoutMs = -1;  // -1: as the server likes
};

class CDesktopNotifications {
public:
    // Our own number for a notice, never 0 and never reused in a run,
    // whichever server showed it.
    using NoticeId = std::uint64_t;

    // busAddress "": the session bus. The bus is reached at the first notice.
    explicit CDesktopNotifications(std::string busAddress = "");
    ~CDesktopNotifications();
    CDesktopNotifications(const CDesktopNotifications&) = delete;
    CDesktopNotifications& operator=(const CDesktopNotifications&) = delete;

    // Shows a notice; 0 when no server took it (no bus, no server, an error).
    NoticeId Notify(const NotificationRequest& request);

    // An action of a notice of ours was invoked (its key).
    void SetActionHandler(std::function<void(NoticeId, const std::string&)> handler);
    // A notice of ours was closed, with the server's reason (1 expired,
    // 2 dismissed, 3 closed by a call, 4 other).
    void SetClosedHandler(std::function<void(NoticeId, std::uint32_t)> handler);

    // Runs this thread's GLib main context until done() is true or maxWaitMs
    // have passed; done()'s last answer. For callers without a GLib loop.
    static bool RunEventsUntil(const std::function<bool()>& done, int maxWaitMs);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
