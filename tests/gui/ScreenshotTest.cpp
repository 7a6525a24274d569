// One screenshot per window, as tests named Screenshots.<file name>. With
// SKIMBOLT_SCREENSHOT_DIR set, the pictures are kept there (NAME.png) for
// review; otherwise they go to a temporary folder and the test only checks
// that a real picture came out.
#include <chrono>
#include <cstdio>
#include <cstdlib>
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

// Handles the toolkit's events for a while.
void PumpFor(std::chrono::milliseconds duration) {
    const auto end = std::chrono::steady_clock::now() + duration;
    do {
        wxTheApp->Yield(true);
        wxTheApp->ProcessIdle();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (std::chrono::steady_clock::now() < end);
}

// Shows the window, copies it from the screen into NAME.png and checks the picture.
void Photograph(const char* name, wxTopLevelWindow* window) {
    CTempDir scratch;
    const char* wanted = std::getenv("SKIMBOLT_SCREENSHOT_DIR");
    const bool keep = wanted && *wanted;
    const std::string path = (keep ? std::string(wanted) + "/" : scratch.Path()) + name + ".png";

    window->Move(40, 40);
    window->Show();
    window->Raise();
    for (int i = 0; i < 100 && !window->IsShownOnScreen(); ++i) PumpFor(std::chrono::milliseconds(50));
    ASSERT_TRUE(window->IsShownOnScreen());
    PumpFor(std::chrono::milliseconds(100));  // the children draw themselves
    window->Update();
    const wxRect rect = window->GetScreenRect();
    wxBitmap bitmap(rect.width, rect.height, 24);
    {
        wxScreenDC screen;
        wxMemoryDC memory(bitmap);
        ASSERT_TRUE(memory.Blit(0, 0, rect.width, rect.height, &screen, rect.x, rect.y));
    }
    ASSERT_TRUE(bitmap.ConvertToImage().SaveFile(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG)) << path;

    wxImage image;
    ASSERT_TRUE(image.LoadFile(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG));
    EXPECT_EQ(image.GetSize(), rect.GetSize());
    // A drawn window has text and frames: far more than a couple of colours.
    std::set<unsigned long> colours;
    const unsigned char* rgb = image.GetData();
    for (int i = 0, n = image.GetWidth() * image.GetHeight(); i < n; ++i, rgb += 3)
        colours.insert((rgb[0] << 16) | (rgb[1] << 8) | rgb[2]);
    EXPECT_GT(colours.size(), 8u) << "the picture looks blank";
    if (keep) std::printf("screenshot: %s\n", path.c_str());
    window->Destroy();
}

// Every window worth a picture: add a test here for a new one.
TEST(Screenshots, smoke_dialog) { Photograph("smoke_dialog", new CSmokeDlg); }

}  // namespace
