// CDesktopSystem: what the browser link asks of the desktop session: its
// environment variables, the desktop's own answer for the default web
// browser, and starting a program. Tests replace parts of it.
#pragma once

#include <functional>
#include <string>
#include <vector>

class CDesktopSystem {
public:
    virtual ~CDesktopSystem() = default;

    // The value of an environment variable; "" when it is unset.
    virtual std::string GetEnv(const std::string& name) const;
    // The desktop file id that `xdg-settings get default-web-browser` prints
    // ("firefox-esr.desktop"); false when the tool is missing, fails or
    // prints nothing.
    virtual bool QueryDefaultBrowser(std::string& desktopId) const;
    // Starts argv[0] (looked up in PATH when it holds no '/') with the other
    // elements as its arguments, directly, never through a shell, and does
    // not wait for it. True when the program was started. onExit (may be
    // empty) runs on a thread of its own when the program has ended, with
    // its exit code (128 + the signal's number when a signal ended it).
    virtual bool StartProcess(const std::vector<std::string>& argv,
                              std::function<void(int exitStatus)> onExit = {}) const;
};
