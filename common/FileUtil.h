// Path building and safe file replacement shared by every file the program writes.
#pragma once

#include <string>
#include <string_view>

// Joins a folder and a name with exactly one '/' between them.
std::string JoinPath(std::string_view dir, std::string_view name);

// Makes sure a folder path ends with a separator.
std::string WithTrailingSeparator(std::string_view dir);

// Replaces the file at path with data: writes a temporary file in the same
// folder (created exclusively under a random name, see CreateTemporaryFile),
// flushes it to disk and renames it over the old one, so a crash or a full
// disk never leaves a half-written file. mode is the permission bits of a
// newly created file; an existing file keeps its own, less what mode does
// not allow. A symbolic link at path is left alone and reported. On failure
// the old file is untouched, a diagnostic is reported and the result is false.
bool WriteFileAtomically(const std::string& path, std::string_view data, unsigned mode = 0600);

// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& out);

bool FileExists(const std::string& path);
