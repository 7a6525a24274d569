#include "gui/GuiTest.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/toplevel.h>

namespace {

// One lock file per X display, shared by every test process using it.
std::string DisplayLockPath() {
    std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    for (char& c : display)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return (std::filesystem::temp_directory_path() / ("skimbolt-gui-test-display" + display + ".lock"))
        .string();
}

}  // namespace

void DestroyAllTopLevelWindows() {
    std::vector<wxWindow*> windows;
    for (auto node = wxTopLevelWindows.GetFirst(); node; node = node->GetNext())
        windows.push_back(node->GetData());
    for (wxWindow* window : windows) window->Destroy();
    // Destroy() only queues top-level windows for deletion; idle time deletes them.
    gui::PumpUntil([] { return wxTopLevelWindows.empty(); }, std::chrono::seconds(5));
}

void CGuiTest::SetUp() {
    ClearUnexpectedDialogs();
    // A death test's child runs while its parent, inside the same test, holds
    // the lock already.
    if (!GTEST_FLAG_GET(internal_run_death_test).empty()) return;
    m_nDisplayLock = ::open(DisplayLockPath().c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
    if (m_nDisplayLock >= 0) {
        while (::flock(m_nDisplayLock, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
}

void CGuiTest::TearDown() {
    DestroyAllTopLevelWindows();
    EXPECT_TRUE(wxTopLevelWindows.empty()) << "a window outlived its test";
    if (m_nDisplayLock >= 0) ::close(m_nDisplayLock);  // releases the lock
    m_nDisplayLock = -1;
}
