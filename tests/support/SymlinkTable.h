// The symbolic-link table both ways of starting (the desktop program's and
// the commands') are tried on: for each kind of file written in Data/ or the
// story pages folder, a link planted at its name that leads outside.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <vector>

#include "config/NewsSettings.h"
#include "platform/Registry.h"
#include "store/StoreTestUtil.h"  // gtest, files, stories, CTempDir
#include "store/StoryFileName.h"

struct SymlinkCase {
    const char* kind;
    bool bPagesFolder;  // in the story pages folder, else in Data/
    const char* name;   // "@" stands for the stem of the scanned page's story file
    bool bDangling;     // leads to nothing outside, else to a file (or, for a folder's name, the folder) outside
};

inline const SymlinkCase kSymlinkCases[] = {
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

// A folder set up to scan one page, a banner host (so that story pages are
// used) and the case's link; the environment it changes is put back.
class CSymlinkBed {
public:
    CSymlinkBed(const SymlinkCase& c, const std::string& page, const std::string& keywords) {
        namespace fs = std::filesystem;
        for (const std::string& folder : {Pages(), m_dir.File("config/skimbolt"), m_dir.File("outside")})
            fs::create_directories(folder);
        EXPECT_TRUE(WriteFileAtomically(m_dir.File("outside/victim.txt"), "the user's own file\n"));
        CRegistry registry(Registry());
        registry.SetValue("SOFTWARE\\Vantrel Group\\Skimbolt\\0.01k", "BannerHost", "ads.example");
        EXPECT_TRUE(registry.Save());
        for (const auto& [name, value] : {std::pair{"XDG_CONFIG_HOME", "config"}, {"XDG_DOWNLOAD_DIR", "downloads"}}) {
            m_savedEnv.emplace_back(name, std::getenv(name) ? std::getenv(name) : "");
            ::setenv(name, m_dir.File(value).c_str(), 1);
        }
        CNewsSettings settings;
        settings.SetFileName(Home());
        settings.SetAutoSave();
        settings.Load();
        settings.AddKeyword(keywords);
        settings.AddUrl(page);

        // An expired story makes the start rewrite the page's story file; a
        // damaged tail makes it keep a copy in damaged/ first.
        std::string name = c.name ? c.name : "";  // none: no link
        const std::string stem = StoryFileStem("Custom: " + page);
        if (!name.empty() && name[0] == '@') name = stem + name.substr(1);
        if (name != stem + ".dat") {
            std::string bytes = EncodeStories({MakeStory("Custom: " + page, "An expired story", 1000, STORY_READ)});
            EXPECT_TRUE(WriteFileAtomically(Data() + stem + ".dat", bytes + (name == "damaged" ? "\x01garbage" : "")));
        }
        m_outsideBefore = Outside();
        m_bScans = name != "config.txt";  // without it nothing is scanned: only the start writes
        if (name.empty()) return;
        m_strLink = (c.bPagesFolder ? Pages() : Data()) + name;
        fs::remove(m_strLink);
        m_strTarget = m_dir.File(c.bDangling ? "outside/missing.txt" : name == "damaged" ? "outside" : "outside/victim.txt");
        EXPECT_EQ(::symlink(m_strTarget.c_str(), m_strLink.c_str()), 0) << m_strLink;
    }
    ~CSymlinkBed() {
        for (const auto& [name, value] : m_savedEnv)
            value.empty() ? ::unsetenv(name.c_str()) : ::setenv(name.c_str(), value.c_str(), 1);
    }

    std::string Home() const { return m_dir.File("home/"); }
    std::string Data() const { return Home() + "Data/"; }
    std::string Pages() const { return m_dir.File("downloads/Skimbolt/"); }
    std::string Registry() const { return m_dir.File("config/skimbolt/registry.ini"); }

    // Every row: the link is reported once and stays, nothing outside changed,
    // and the scan's new stories (headline: one of them) are kept.
    void ExpectLeftAlone(const std::string& reports, const std::string& headline) const {
        int nReports = 0;
        for (std::size_t at = 0; (at = reports.find(" " + m_strLink + ": ", at)) != std::string::npos; ++at) ++nReports;
        EXPECT_EQ(nReports, 1) << reports;
        std::error_code ec;
        EXPECT_EQ(std::filesystem::read_symlink(m_strLink, ec).string(), m_strTarget);
        EXPECT_EQ(Outside(), m_outsideBefore) << "nothing outside is written, created or deleted";
        bool bKept = !m_bScans;
        for (const auto& e : std::filesystem::directory_iterator(Data()))
            if (e.path().extension() == ".dat" && !e.is_symlink())
                bKept = bKept || FileBytes(e.path().string()).find(headline) != std::string::npos;
        EXPECT_TRUE(bKept) << "the new stories are in a story file";
    }

private:
    std::map<std::string, std::string> Outside() const {
        std::map<std::string, std::string> out;
        for (const auto& e : std::filesystem::recursive_directory_iterator(m_dir.File("outside")))
            out[e.path().string()] = e.is_directory() ? "<folder>" : FileBytes(e.path().string());
        return out;
    }

    CTempDir m_dir;
    std::string m_strLink, m_strTarget;
    std::map<std::string, std::string> m_outsideBefore;
    std::vector<std::pair<std::string, std::string>> m_savedEnv;
    bool m_bScans = true;
};
