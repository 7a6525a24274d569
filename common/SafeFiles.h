// Opening, creating and copying the files the program writes in its folders
// without ever following a symbolic link planted at a file's name, and
// keeping those files and folders private to the user.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

constexpr unsigned PRIVATE_FILE_MODE = 0600;
constexpr unsigned PRIVATE_FOLDER_MODE = 0700;

// Whether path itself is a symbolic link (one that leads nowhere included).
bool IsSymbolicLink(const std::string& path);
// Reports path as a symbolic link that was neither followed nor replaced
// (a ForeignFile diagnostic: once per run).
void ReportSymbolicLink(const std::string& path);

// open(2) with O_NOFOLLOW and O_CLOEXEC: a symbolic link at path fails with
// ELOOP, anything but a regular file (a folder, a FIFO, a device) with
// EINVAL; O_TRUNC is applied only once the file is known to be regular. A
// new file gets mode. -1 with errno set on failure.
int OpenRegularFile(const std::string& path, int flags, unsigned mode = PRIVATE_FILE_MODE);
// The same as a stdio stream, for the modes "rb", "r+b", "wb", "w+b", "ab"
// (and without the 'b'); null with errno set on failure.
std::FILE* OpenFileStream(const std::string& path, const char* mode);

// Creates a new, empty file beside path, exclusively and under a random
// name (TemporaryFileName), with mode 0600; the descriptor (read and
// write), or -1 with errno set. tmpPath gets its path.
int CreateTemporaryFile(const std::string& path, std::string& tmpPath);
// The name pattern of those files: "<name>.skimbolt-XXXXXX.tmp".
bool IsTemporaryFileName(std::string_view name);

// Copies the regular file from (not through a link) to a new file to,
// created exclusively with mode; false (errno set) when to exists already
// or anything fails, and then no part of the copy is left behind.
bool CopyToNewFile(const std::string& from, const std::string& to, unsigned mode = PRIVATE_FILE_MODE);

// Makes the folder path (its parent must exist) with mode 0700 when it is
// missing. False (errno set) when path is a symbolic link or not a folder.
bool MakePrivateFolder(const std::string& path);
// Takes the group and other permissions off the folder or regular file at
// path when it belongs to this user and is not a symbolic link. True when
// it is private afterwards; false for a link, a file of another user, or
// nothing at path.
bool MakePrivate(const std::string& path);
