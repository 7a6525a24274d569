// The program's command line: the informational switches and the headless
// commands that run the core without any window.
#pragma once

#include <optional>
#include <string>

// Handles the command line when it asks for something that needs no window.
// Returns the process exit status in that case, or nothing when the caller
// should go on and start the desktop program.
std::optional<int> RunHeadlessCommand(int argc, char** argv);

// The application folder the command line names (--home DIR), or the
// default one ($SKIMBOLT_HOME, the XDG data folder), with a trailing '/';
// for the desktop program, which uses the same folder as the commands.
std::string HomeFolderOption(int argc, char** argv);
