// Where the program takes its own files from: the story page companions a
// new pages folder receives (with a banner host set) come from the data
// folder installed next to the program (wherever the program was moved),
// from $SKIMBOLT_RES_DIR when set, and from the source tree for a program in
// its build folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/FileUtil.h"
#include "present/CompanionFiles.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

// A folder laid out like res/: pages/ holding every companion file, each
// ending with marker.
void MakeProgramFiles(const std::string& folder, const std::string& marker) {
    fs::create_directories(folder + "pages");
    for (const std::string& name : CompanionFileNames())
        ASSERT_TRUE(WriteFileAtomically(folder + "pages/" + name, name + marker));
}

// Runs the program's --scan-once on a new application folder (it fails for
// want of keywords, after setting the folder up) with a banner host set, so
// that the story pages folder is set up too, and returns that folder:
// Skimbolt/ in a home folder of the run's own (no download folder named).
std::string SetUpHome(const CTempDir& dir, const std::string& program, const std::string& home,
                      const std::string& resDir = "") {
    const std::string config = dir.File(home + "-config");
    fs::create_directories(config + "/skimbolt");
    EXPECT_TRUE(WriteFileAtomically(config + "/skimbolt/registry.ini",
                                    "[SOFTWARE\\Vantrel Group\\Skimbolt\\0.01k]\nBannerHost=ads.example\n"));
    std::string command = "env -u SKIMBOLT_RES_DIR -u SKIMBOLT_HOME -u XDG_DOWNLOAD_DIR XDG_CONFIG_HOME='" + config +
                          "' HOME='" + dir.File(home + "-user") + "'";
    if (!resDir.empty()) command += " SKIMBOLT_RES_DIR='" + resDir + "'";
    command += " '" + program + "' --scan-once --home '" + dir.File(home) + "' >/dev/null 2>&1";
    EXPECT_NE(std::system(command.c_str()), -1);
    return dir.File(home + "-user") + "/Skimbolt/";
}

void ExpectCopies(const std::string& data, const std::string& marker) {
    for (const std::string& name : CompanionFileNames()) {
        std::string text;
        EXPECT_TRUE(ReadWholeFile(data + name, text)) << data << name;
        EXPECT_EQ(text, name + marker) << data << name;
    }
}

}  // namespace

TEST(ProgramFiles, CompanionsComeFromTheInstalledCopyOrTheOverride) {
    CTempDir dir;
    // An installed program: <prefix>/bin/skimbolt-cli and <prefix>/share/skimbolt/.
    const std::string prefix = dir.File("prefix/");
    fs::create_directories(prefix + "bin");
    fs::copy_file(SKIMBOLT_CLI, prefix + "bin/skimbolt-cli");
    MakeProgramFiles(prefix + "share/skimbolt/", " installed");
    ExpectCopies(SetUpHome(dir, prefix + "bin/skimbolt-cli", "home1"), " installed");

    // The whole prefix moved elsewhere still finds its files.
    fs::rename(prefix, dir.File("moved"));
    ExpectCopies(SetUpHome(dir, dir.File("moved/bin/skimbolt-cli"), "home2"), " installed");

    // $SKIMBOLT_RES_DIR wins over the installed copy.
    MakeProgramFiles(dir.File("override/"), " override");
    ExpectCopies(SetUpHome(dir, dir.File("moved/bin/skimbolt-cli"), "home3", dir.File("override")), " override");
}

TEST(ProgramFiles, BuildFolderProgramUsesTheSourceTree) {
    CTempDir dir;
    const std::string data = SetUpHome(dir, SKIMBOLT_CLI, "home");
    const std::string source = fs::path(SKIMBOLT_TEST_DATA).parent_path().parent_path().string() + "/res/pages/";
    for (const std::string& name : CompanionFileNames()) {
        std::string copied, original;
        EXPECT_TRUE(ReadWholeFile(data + name, copied)) << name;
        EXPECT_TRUE(ReadWholeFile(source + name, original)) << name;
        EXPECT_EQ(copied, original) << name;
    }
}
