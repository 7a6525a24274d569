// Where the program takes its own files from: the story page companions a
// new application folder receives come from the data folder installed next
// to the program (wherever the program was moved), from $SKIMBOLT_RES_DIR
// when set, and from the source tree for a program in its build folder.
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
// want of keywords, after setting the folder up) and returns the folder.
std::string SetUpHome(const CTempDir& dir, const std::string& program, const std::string& home,
                      const std::string& resDir = "") {
    std::string command = "env -u SKIMBOLT_RES_DIR -u SKIMBOLT_HOME XDG_CONFIG_HOME='" + dir.File("config") + "'";
    if (!resDir.empty()) command += " SKIMBOLT_RES_DIR='" + resDir + "'";
    command += " '" + program + "' --scan-once --home '" + dir.File(home) + "' >/dev/null 2>&1";
    EXPECT_NE(std::system(command.c_str()), -1);
    return dir.File(home) + "/Data/";
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
