// The symbolic-link table that both ways of starting are tried on (the
// desktop program's through CAppCore, the commands' through the headless
// core): for each kind of file the program writes in Data/ or in the story
// pages folder, a link planted at its name that leads outside. After a start
// and a scan the place outside must be as it was, the link still there, and
// the link reported exactly once.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "common/Diagnostics.h"
#include "common/FileUtil.h"
#include "config/NewsSettings.h"
#include "platform/Registry.h"
#include "store/StoreTestUtil.h"
#include "store/StoryFileName.h"
#include "support/TempDir.h"

struct SymlinkCase {
    const char* kind;
    bool bPagesFolder;  // in the story pages folder, else in Data/
    const char* name;   // "@" stands for the stem of the scanned page's story file
    bool bDangling;     // leads to nothing outside, else to a file (or, for a folder's name, the folder) outside
};

inline const std::vector<SymlinkCase>& SymlinkCases() {
    static const std::vector<SymlinkCase> cases = {
        {"story file", false, "@.dat", false},
        {"dangling link named like a missing story file", false, "@.dat", true},
        {"story file's work file (the name earlier versions used)", false, "@.tmp", false},
        {"temporary file of an atomic save", false, "config.txt.skimbolt-AbC123.tmp", false},
        {"settings file, missing", false, "config.txt", true},
        {"news source catalogue, missing", false, "sources.txt", true},
        {"source health file", false, "health.txt", false},
        {"folder of damaged story files' copies", false, "damaged", false},
        {"story page", true, "temp_0001_s.html", false},
        {"companion page, missing", true, "line.html", true},
    };
    return cases;
}

// An application folder set up to scan one page, a registry stand-in with a
// banner host (so that the story pages folder is used), the download folder
// holding that pages folder, and the case's link; environment variables it
// changes are put back when it goes.
class CSymlinkBed {
public:
    CSymlinkBed(const SymlinkCase& c, const std::string& page, const std::string& keywords) {
        ClearDiagnostics();
        namespace fs = std::filesystem;
        const std::string data = Data(), pages = Pages();
        fs::create_directories(pages);
        fs::create_directories(m_dir.File("outside"));
        EXPECT_TRUE(WriteFileAtomically(m_dir.File("outside/victim.txt"), "the user's own file\n"));
        CRegistry registry(Registry());
        fs::create_directories(m_dir.File("config/skimbolt"));
        registry.SetValue("SOFTWARE\\Vantrel Group\\Skimbolt\\0.01k", "BannerHost", "ads.example");
        EXPECT_TRUE(registry.Save());
        Setenv("XDG_CONFIG_HOME", m_dir.File("config"));
        Setenv("XDG_DOWNLOAD_DIR", m_dir.File("downloads"));

        CNewsSettings settings;
        settings.SetFileName(Home());
        settings.SetAutoSave();
        settings.Load();
        settings.AddKeyword(keywords);
        settings.AddUrl(page);

        // The page's story file holds an expired story, so the start rewrites
        // it, and for the damaged-copies case a damaged tail, so that the
        // start keeps a copy before it repairs the file.
        std::string name = c.name ? c.name : "";  // none: no link
        const std::string stem = StoryFileStem("Custom: " + page);
        if (!name.empty() && name[0] == '@') name = stem + name.substr(1);
        if (name != stem + ".dat") {
            std::string bytes = EncodeStories({MakeStory("Custom: " + page, "An expired story", 1000, STORY_READ)});
            if (name == "damaged") bytes += "\x01\x02garbage";
            EXPECT_TRUE(WriteFileAtomically(data + stem + ".dat", bytes));
        }
        m_outsideBefore = Outside();
        m_bScans = name != "config.txt";
        if (name.empty()) return;
        m_strLink = (c.bPagesFolder ? pages : data) + name;
        if (name == "config.txt") std::filesystem::remove(m_strLink);  // nothing to scan then: only the start writes
        m_strTarget = c.bDangling ? m_dir.File("outside/missing.txt")
                      : name == "damaged" ? m_dir.File("outside") : m_dir.File("outside/victim.txt");
        EXPECT_EQ(::symlink(m_strTarget.c_str(), m_strLink.c_str()), 0) << m_strLink;
    }
    ~CSymlinkBed() {
        for (const auto& [name, value] : m_savedEnv)
            value.empty() ? ::unsetenv(name.c_str()) : ::setenv(name.c_str(), value.c_str(), 1);
    }
    CSymlinkBed(const CSymlinkBed&) = delete;
    CSymlinkBed& operator=(const CSymlinkBed&) = delete;

    std::string Home() const { return m_dir.File("home/"); }
    std::string Data() const { return Home() + "Data/"; }
    std::string Pages() const { return m_dir.File("downloads/Skimbolt/"); }
    std::string Registry() const { return m_dir.File("config/skimbolt/registry.ini"); }
    const std::string& Link() const { return m_strLink; }

    // The checks of every row; nReports: how often the link was reported.
    // A scan's new stories are kept all the same (headline: one of them).
    void ExpectLeftAlone(int nReports, const std::string& headline) const {
        if (m_bScans) {
            bool bKept = false;
            for (const auto& e : std::filesystem::directory_iterator(Data()))
                if (e.path().extension() == ".dat" && !e.is_symlink())
                    bKept = bKept || FileBytes(e.path().string()).find(headline) != std::string::npos;
            EXPECT_TRUE(bKept) << "the new stories are in a story file";
        }
        EXPECT_EQ(Outside(), m_outsideBefore) << "nothing outside is written, created or deleted";
        std::error_code ec;
        EXPECT_EQ(std::filesystem::read_symlink(m_strLink, ec).string(), m_strTarget) << "the link stays";
        EXPECT_EQ(nReports, 1) << "the link is reported once";
    }
    // How many of these lines name the link as their subject.
    int ReportsIn(const std::vector<std::string>& lines) const {
        int n = 0;
        for (const std::string& line : lines)
            if (line.find(" " + m_strLink + ": ") != std::string::npos) ++n;
        return n;
    }
    int RecordedReports() const {
        std::vector<std::string> lines;
        for (const Diagnostic& d : RecordedDiagnostics()) lines.push_back(FormatDiagnostic(d));
        return ReportsIn(lines);
    }

private:
    void Setenv(const char* name, const std::string& value) {
        const char* old = std::getenv(name);
        m_savedEnv[name] = old ? old : "";
        ::setenv(name, value.c_str(), 1);
    }
    std::map<std::string, std::string> Outside() const {
        std::map<std::string, std::string> out;
        for (const auto& e : std::filesystem::recursive_directory_iterator(m_dir.File("outside")))
            out[e.path().string()] = e.is_directory() ? "<folder>" : FileBytes(e.path().string());
        return out;
    }

    CTempDir m_dir;
    std::string m_strLink, m_strTarget;
    std::map<std::string, std::string> m_outsideBefore;
    std::map<std::string, std::string> m_savedEnv;
    bool m_bScans = true;
};
