// Small file helpers shared by the configuration tests.
#pragma once

#include <filesystem>
#include <string>

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
