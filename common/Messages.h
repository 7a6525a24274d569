// Private message values exchanged between the scanning thread, the tray icon
// and the windows. The values are fixed: other code dispatches on them.
#pragma once

#include <cstdint>

constexpr unsigned WM_USER = 0x400;
constexpr unsigned WM_TRAY_NOTIFY = WM_USER + 0;      // tray icon callback
constexpr unsigned WM_NEW_STORIES = WM_USER + 1;      // a story matched
constexpr unsigned WM_STORIES_CHANGED = WM_USER + 4;  // story list must refill
constexpr unsigned WM_SCAN_STARTED = WM_USER + 10;    // lParam 1: cycle start, 0: further page
constexpr unsigned WM_SCAN_FINISHED = WM_USER + 11;   // after every pass; lParam: pages of the cycle left (0: cycle over)
constexpr unsigned WM_SHOW_STORIES = WM_USER + 12;    // tray double-click with stories pending
constexpr unsigned WM_NEED_SETUP = WM_USER + 13;      // sent: 0 nothing, 1 no keywords, 2 no pages
constexpr unsigned WM_PROBLEM_NEWS = WM_USER + 14;    // a problem with a file waits in the core's news

// Timer ids of the main window.
constexpr unsigned TIMER_FETCH_WATCHDOG = 1;       // every 10 s
constexpr unsigned TIMER_TRAY_ANIMATION = 2;       // every 400 ms
constexpr unsigned TIMER_ARCHIVE_MAINTENANCE = 3;  // every 300 s
constexpr unsigned TIMER_RESUME_AFTER_STOP = 4;    // 500 ms after Stop Scanning
