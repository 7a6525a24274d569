// Playing a notification sound file (.wav, .oga, ...) through the desktop's
// sound service (libcanberra). Used by the Options page's test button and by
// the main window when new stories arrive.
#pragma once

#include <string>

// Plays the file and returns when it has finished (or failed). False when the
// file does not exist or cannot be read, or when no sound could be played
// (no sound device, unknown format). A sound already playing is not stopped.
bool PlaySoundFile(const std::string& path);
