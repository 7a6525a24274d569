// File and enumeration helpers shared by the configuration tests.
#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "common/FileUtil.h"

inline std::string ReadText(const std::string& path) {
    std::string text;
    ReadWholeFile(path, text);
    return text;
}

inline void WriteText(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteFileAtomically(path, text, 0644);
}

inline unsigned FileMode(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 0777) : 0;
}

// Lines of the file at path that contain part.
inline int CountLinesWith(const std::string& path, const std::string& part) {
    std::istringstream in(ReadText(path));
    int n = 0;
    for (std::string line; std::getline(in, line);) n += line.find(part) != std::string::npos;
    return n;
}

// Runs an enumeration call until it returns false, collecting every value it
// delivered (the last one comes with the false result). Stops after 100 calls.
template <typename Next>
std::vector<std::string> Drain(Next next) {
    std::vector<std::string> out;
    std::string value;
    for (bool more = true; more && out.size() < 100;) {
        more = next(value);
        out.push_back(value);
    }
    return out;
}
