// Path building and safe file replacement shared by every file the program writes.
#pragma once

#include <string>
#include <string_view>

// Joins a folder and a name with exactly one '/' between them.
std::string JoinPath(std::string_view dir, std::string_view name);

// Makes sure a folder path ends with a separator.
std::string WithTrailingSeparator(std::string_view dir);

// Replaces the file at path with data: writes a temporary file in the same
// folder, flushes it to disk and renames it over the old one, so a crash or a
// full disk never leaves a half-written file. mode is the permission bits of
// a newly created file (an existing file keeps its own). On failure the old
// file is untouched, a line goes to standard error and the result is false.
bool WriteFileAtomically(const std::string& path, std::string_view data, unsigned mode = 0644);

// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& out);

bool FileExists(const std::string& path);
