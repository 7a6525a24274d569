// Helpers shared by the story store tests: a data folder under a fixed clock,
// file bytes, stories and their encoded records.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "common/FileUtil.h"
#include "store/StoryFile.h"
#include "store/StoryRecord.h"
#include "support/DiagnosticCapture.h"
#include "support/TempDir.h"

inline std::string FileBytes(const std::string& path) {
    std::string out;
    ReadWholeFile(path, out);
    return out;
}

inline void WriteBytes(const std::string& path, const std::string& bytes) { ASSERT_TRUE(WriteFileAtomically(path, bytes)); }

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

// The bytes a story file holding these stories has, in order.
inline std::string EncodeStories(const std::vector<CStory>& stories, CSourceCatalogue* pCatalogue = nullptr) {
    std::string bytes;
    for (const CStory& s : stories) {
        StoryFileRecord rec;
        s.BuildRecord(rec, pCatalogue);
        EncodeStoryRecord(rec, bytes);
    }
    return bytes;
}

// Whether fn reports a diagnostic that mentions text.
template <class Fn>
bool ReportsDiagnostic(const char* text, Fn fn) {
    return DiagnosticsOf(fn).find(text) != std::string::npos;
}

// A Data folder in a fresh temporary directory and a clock the test moves.
class StoreTest : public ::testing::Test {
protected:
    StoreTest() { ::mkdir(m_strData.c_str(), 0755); }

    std::int32_t Age(std::int64_t seconds) const { return static_cast<std::int32_t>(m_now - seconds); }

    // A story file under the test clock, set to the key unless it is empty.
    std::unique_ptr<CStoryFile> NewFile(const std::string& key = "Daily News") {
        auto f = std::make_unique<CStoryFile>(m_strData);
        f->SetClock([this] { return m_now; });
        if (!key.empty()) f->SetKey(key);
        return f;
    }

    CTempDir m_dir;
    std::string m_strData = m_dir.Path() + "Data/";
    std::int64_t m_now = 1700000000;
};
