// The window tests: a small dialog driven by control id, with the message
// box its handler opens answered through wxTEST_DIALOG, and one screenshot
// per window, as tests named Screenshots.<file name>. With
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
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/dialog.h>
#include <wx/image.h>
#include <wx/msgdlg.h>
#include <wx/stattext.h>
#include <wx/testing.h>

#include "res/resource.h"
#include "support/TempDir.h"

namespace {

// A small dialog laid out in dialog units, as the program's dialogs are.
wxDialog* NewSmokeDialog() {
    auto* dlg = new wxDialog(nullptr, wxID_ANY, "Skimbolt window test");
    auto at = [dlg](int x, int y) { return wxDLG_UNIT(dlg, wxPoint(x, y)); };
    auto size = [dlg](int cx, int cy) { return wxDLG_UNIT(dlg, wxSize(cx, cy)); };
    new wxStaticText(dlg, wxID_ANY, "Groups of 6 words or less are searched for as Keyword Groups", at(7, 7),
                     size(220, 10));
    new wxCheckBox(dlg, wxID_ANY, "Ask before adding", at(7, 22), size(120, 10));
    new wxButton(dlg, IDC_KEYWORD_CLEAR, "Clear", at(120, 40), size(50, 14));
    new wxButton(dlg, IDC_KEYWORD_ADD, "Add", at(177, 40), size(50, 14));
    dlg->SetClientSize(size(234, 61));
    return dlg;
}

// Sends the event a click on the button with this id sends; whether a handler took it.
bool ClickButton(wxWindow* parent, int id) {
    auto* button = dynamic_cast<wxButton*>(parent->FindWindow(id));
    if (!button) return false;
    wxCommandEvent event(wxEVT_BUTTON, id);
    event.SetEventObject(button);
    return button->ProcessWindowEvent(event);
}

TEST(SmokeDlg, ButtonsFoundByIdReachTheirHandlersAndTheConfirmationBoxIsAnswered) {
    wxDialog* dlg = NewSmokeDialog();
    int added = 0, answer = 0;
    dlg->Bind(wxEVT_BUTTON, [&](wxCommandEvent&) {
        answer = wxMessageBox("Add this keyword group?", "Skimbolt", wxYES_NO, dlg);
        added += answer == wxYES;
    }, IDC_KEYWORD_ADD);
    dlg->Bind(wxEVT_BUTTON, [&](wxCommandEvent&) { added = 0; }, IDC_KEYWORD_CLEAR);
    for (int expected : {wxNO, wxYES}) {
        wxTEST_DIALOG(EXPECT_TRUE(ClickButton(dlg, IDC_KEYWORD_ADD)), wxExpectModal<wxMessageDialog>(expected));
        EXPECT_EQ(answer, expected);
    }
    EXPECT_EQ(added, 1);
    EXPECT_FALSE(ClickButton(dlg, 4242));
    EXPECT_TRUE(ClickButton(dlg, IDC_KEYWORD_CLEAR));
    EXPECT_EQ(added, 0);
    dlg->Destroy();
}

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
TEST(Screenshots, smoke_dialog) { Photograph("smoke_dialog", NewSmokeDialog()); }

}  // namespace
