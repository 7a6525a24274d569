#include "GuiTestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <set>
#include <thread>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/utils.h>
#include <wx/image.h>

bool ClickButton(wxWindow* parent, int id) {
    auto* button = dynamic_cast<wxButton*>(parent->FindWindow(id));
    if (!button) return false;
    wxCommandEvent event(wxEVT_BUTTON, id);
    event.SetEventObject(button);
    return button->ProcessWindowEvent(event);
}

bool SendCommand(wxWindow* window, int id) {
    wxCommandEvent event(wxEVT_MENU, id);
    event.SetEventObject(window);
    return window->ProcessWindowEvent(event);
}

void PumpFor(std::chrono::milliseconds duration) {
    const auto end = std::chrono::steady_clock::now() + duration;
    do {
        wxTheApp->Yield(true);
        wxTheApp->ProcessIdle();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (std::chrono::steady_clock::now() < end);
}

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
    // A wxScreenDC gives the first picture of the run again on later calls
    // under GTK 3, so the screen is copied with ImageMagick's import.
    const std::string geometry = std::to_string(rect.width) + "x" + std::to_string(rect.height) + "+" +
                                 std::to_string(rect.x) + "+" + std::to_string(rect.y);
    const char* const argv[] = {"import", "-window", "root", "-crop", geometry.c_str(), "+repage", path.c_str(), nullptr};
    ASSERT_EQ(wxExecute(argv, wxEXEC_SYNC | wxEXEC_NODISABLE), 0) << "import could not copy the screen";
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

CGuiTestCore::CGuiTestCore() {
    std::string error;
    if (!m_core.FindApplicationFolder(m_dir.File("home"), "") || !m_core.PrepareFolder(error))
        ADD_FAILURE() << "cannot prepare the application folder: " << error;
    m_core.LoadData();
}
