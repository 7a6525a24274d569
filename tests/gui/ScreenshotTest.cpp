// One screenshot per window. With SKIMBOLT_SCREENSHOT_DIR set, the pictures
// are kept there (NAME.png) for review; otherwise they go to a temporary
// folder and the test only checks that a real picture came out.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <thread>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/image.h>
#include <wx/toplevel.h>

#include "gui/SmokeDlg.h"
#include "support/TempDir.h"

namespace {

struct WindowShot {
    const char* name;  // file name without ".png"; letters, digits and '_'
    std::function<wxTopLevelWindow*()> create;
};

// Every window worth a picture: add a line here for a new one.
const WindowShot kWindows[] = {
    {"smoke_dialog", [] { return new CSmokeDlg; }},
};

// Handles the toolkit's events for a while.
void PumpFor(std::chrono::milliseconds duration) {
    const auto end = std::chrono::steady_clock::now() + duration;
    do {
        wxTheApp->Yield(true);
        wxTheApp->ProcessIdle();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (std::chrono::steady_clock::now() < end);
}

// Shows the window and waits until it is on screen and drawn.
bool ShowAndSettle(wxTopLevelWindow* window) {
    window->Show();
    window->Raise();
    for (int i = 0; i < 100 && !window->IsShownOnScreen(); ++i) PumpFor(std::chrono::milliseconds(50));
    PumpFor(std::chrono::milliseconds(100));  // the children draw themselves
    window->Update();
    return window->IsShownOnScreen();
}

// Copies the window as it is on the screen into a PNG file.
bool SaveScreenshot(wxWindow* window, const std::string& path) {
    const wxRect rect = window->GetScreenRect();
    wxBitmap bitmap(rect.width, rect.height, 24);
    {
        wxScreenDC screen;
        wxMemoryDC memory(bitmap);
        if (!memory.Blit(0, 0, rect.width, rect.height, &screen, rect.x, rect.y)) return false;
    }
    return bitmap.ConvertToImage().SaveFile(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG);
}

class ScreenshotTest : public testing::Test {
public:
    explicit ScreenshotTest(const WindowShot& shot) : m_shot(shot) {}
    void TestBody() override;

private:
    const WindowShot& m_shot;
};

void ScreenshotTest::TestBody() {
    CTempDir scratch;
    std::string dir = scratch.Path();
    const char* wanted = std::getenv("SKIMBOLT_SCREENSHOT_DIR");
    if (wanted && *wanted) dir = std::string(wanted) + "/";
    const std::string path = dir + m_shot.name + ".png";

    wxTopLevelWindow* window = m_shot.create();
    window->Move(40, 40);
    ASSERT_TRUE(ShowAndSettle(window));
    ASSERT_TRUE(SaveScreenshot(window, path)) << path;

    wxImage image;
    ASSERT_TRUE(image.LoadFile(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG));
    EXPECT_EQ(image.GetSize(), window->GetScreenRect().GetSize());
    // A drawn window has text and frames: far more than a couple of colours.
    std::set<unsigned long> colours;
    const unsigned char* rgb = image.GetData();
    for (int i = 0, n = image.GetWidth() * image.GetHeight(); i < n; ++i, rgb += 3)
        colours.insert((rgb[0] << 16) | (rgb[1] << 8) | rgb[2]);
    EXPECT_GT(colours.size(), 8u) << "the picture looks blank";
    if (wanted && *wanted) std::printf("screenshot: %s\n", path.c_str());
    window->Destroy();
}

// One test per window, named Screenshots.<name>, so that a run can be limited
// to the pictures with --gtest_filter=Screenshots.*
const bool kRegistered = [] {
    for (const WindowShot& shot : kWindows)
        testing::RegisterTest("Screenshots", shot.name, nullptr, nullptr, __FILE__, __LINE__,
                              [&shot] { return new ScreenshotTest(shot); });
    return true;
}();

}  // namespace
