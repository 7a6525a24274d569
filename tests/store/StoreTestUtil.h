// Helpers shared by the story store tests: a data folder in a temporary
// directory, reading a file's bytes and making stories.
#pragma once

#include <cstdint>
#include <string>
#include <sys/stat.h>

#include "common/FileUtil.h"
#include "store/Story.h"
#include "support/TempDir.h"

inline std::string FileBytes(const std::string& path) {
    std::string out;
    ReadWholeFile(path, out);
    return out;
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

inline std::string MakeStoryDataFolder(const CTempDir& dir) {
    const std::string data = dir.Path() + "Data/";
    ::mkdir(data.c_str(), 0755);
    return data;
}

inline CStory MakeStory(const std::string& source, const std::string& headline, std::int32_t tFound,
                        int nState = STORY_PENDING, const std::string& url = "http://example.com/a") {
    CStory s;
    s.SetSource(source);
    s.SetHeadline(headline);
    s.SetUrl(url);
    s.SetTimeFound(tFound);
    s.SetState(nState);
    return s;
}
