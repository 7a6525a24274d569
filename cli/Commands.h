// The program's command line: the informational switches and the headless
// commands that run the core without any window.
#pragma once

#include <optional>
#include <string>

// Handles the command line when it asks for something that needs no window.
// Returns the process exit status in that case, or nothing when the caller
// should go on and start the desktop program.
std::optional<int> RunHeadlessCommand(int argc, char** argv);

