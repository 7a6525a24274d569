// The platform's default notification sound: on Linux the freedesktop sound
// theme's new-message sound when it is installed.
#pragma once

#include <string>

#include "common/FileUtil.h"

inline std::string GetDefaultNotificationSound() {
    static const char* const kThemeSound = "/usr/share/sounds/freedesktop/stereo/message-new-instant.oga";
    return FileExists(kThemeSound) ? std::string(kThemeSound) : std::string();
}
