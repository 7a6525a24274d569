// Starting the program when the user logs in: an XDG autostart entry,
// $XDG_CONFIG_HOME/autostart/skimbolt.desktop (~/.config/autostart/ by
// default). Only an entry this program wrote (it carries our marker line)
// is ever replaced or removed.
#pragma once

#include <string>
#include <vector>

enum class AutostartState {
    Off,      // no entry
    Ours,     // an entry this program wrote
    Foreign,  // an entry of that name that someone else wrote: left alone
};

std::string AutostartEntryPath();
AutostartState GetAutostartState();
// Writes our entry starting the program at programPath with arguments, or
// removes our entry. False, with error saying why, when the file could not
// be written or removed, or when a foreign entry stands in the way.
bool SetAutostart(bool bEnable, const std::string& programPath, const std::vector<std::string>& arguments,
                  std::string& error);
