#include "GuiTestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <thread>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/image.h>
#include <wx/utils.h>


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

void PressKey(wxWindow* receiver, wxWindow* source, int code, bool bShift) {
    wxKeyEvent key(wxEVT_CHAR_HOOK);
    key.m_keyCode = code;
    key.SetShiftDown(bShift);
    key.SetEventObject(source);
    receiver->ProcessWindowEvent(key);
}

void PumpFor(std::chrono::milliseconds duration) {
    const auto end = std::chrono::steady_clock::now() + duration;
    do {
        wxTheApp->Yield(true);
        wxTheApp->ProcessIdle();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (std::chrono::steady_clock::now() < end);
}

// Copies a rectangle of the screen into the PNG file at path and reads it back.
// wxScreenDC keeps showing the screen as it first read it (GTK 3), so a
// second picture would show the first window: the screen is read afresh
// with ImageMagick's import, and with wxScreenDC only without it.
static bool CopyScreen(const wxRect& rect, const std::string& path, wxImage& image) {
    const wxString crop = wxString::Format("%dx%d+%d+%d", rect.width, rect.height, rect.x, rect.y);
    const wxString out = wxString::FromUTF8(path);
    const wchar_t* import[] = {L"import", L"-window", L"root", L"-crop", crop.wc_str(), L"+repage", out.wc_str(), nullptr};
    if (wxExecute(import, wxEXEC_SYNC | wxEXEC_HIDE_CONSOLE) != 0) {
        wxBitmap bitmap(rect.width, rect.height, 24);
        {
            wxScreenDC screen;
            wxMemoryDC memory(bitmap);
            if (!memory.Blit(0, 0, rect.width, rect.height, &screen, rect.x, rect.y)) return false;
        }
        if (!bitmap.ConvertToImage().SaveFile(out, wxBITMAP_TYPE_PNG)) return false;
    }
    return image.LoadFile(out, wxBITMAP_TYPE_PNG);
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
    // The children draw themselves; on a slow run (sanitizers, a busy
    // machine) that takes a while, so an empty picture is taken again.
    std::size_t nColours = 0;
    for (int attempt = 0; attempt < 30 && nColours <= 8; ++attempt) {
        PumpFor(std::chrono::milliseconds(100));
        window->Update();
        wxImage image;
        ASSERT_TRUE(CopyScreen(window->GetScreenRect(), path, image));
        EXPECT_EQ(image.GetSize(), window->GetScreenRect().GetSize());
        // A drawn window has text and frames: far more than a couple of colours.
        std::set<unsigned long> colours;
        const unsigned char* rgb = image.GetData();
        for (int i = 0, n = image.GetWidth() * image.GetHeight(); i < n; ++i, rgb += 3)
            colours.insert((rgb[0] << 16) | (rgb[1] << 8) | rgb[2]);
        nColours = colours.size();
    }
    EXPECT_GT(nColours, 8u) << "the picture looks blank";
    if (keep) std::printf("screenshot: %s\n", path.c_str());
    window->Destroy();
}

namespace {

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out.flush()) ADD_FAILURE() << "cannot write " << path;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Written before the core loads the folder, as an earlier run left them.
void WriteOutcomes(const std::string& dataFolder, const std::vector<PageHealth>& outcomes) {
    if (outcomes.empty()) return;
    std::filesystem::create_directories(dataFolder);
    CSourceHealth health;
    health.Load(dataFolder);
    for (const PageHealth& outcome : outcomes) health.Record(outcome);
    health.Save();
}

}  // namespace

CGuiTestCore::CGuiTestCore(const std::string& sources, const std::string& config, const std::string& updateHost,
                           const std::vector<PageHealth>& outcomes) {
    std::filesystem::create_directories(m_dir.File("home/Data"));
    if (!sources.empty()) WriteFile(m_dir.File("home/Data/sources.txt"), sources);
    if (!config.empty()) {
        WriteFile(m_dir.File("home/Data/config.txt"), config);
        std::filesystem::permissions(m_dir.File("home/Data/config.txt"), std::filesystem::perms::owner_read |
                                                                              std::filesystem::perms::owner_write);
    }
    if (!updateHost.empty())
        WriteFile(m_dir.File("registry.ini"),
                  std::string("[") + REGISTRY_KEY_CURRENT + "]\nUpdateHost=" + updateHost + "\n");
    std::string error;
    m_core.FindApplicationFolder(m_dir.File("home"), m_dir.File("registry.ini"));
    if (!m_core.PrepareFolder(error))
        ADD_FAILURE() << "cannot prepare the application folder: " << error;
    WriteOutcomes(m_core.GetDataPath(), outcomes);
    m_core.LoadData();
}

std::string CGuiTestCore::DataFile(const char* name) const {
    return ReadFile(m_dir.File(std::string("home/Data/") + name));
}

void AddRecentStory(CAppCore& core, const char* headline, const char* description, std::time_t ageSeconds) {
    StoryItem story;
    story.sourceName = "Custom: http://127.0.0.1/news";
    story.key.headline = headline;
    story.description = description;
    story.url = "http://127.0.0.1/a";
    story.tFound = static_cast<std::int32_t>(std::time(nullptr) - ageSeconds);
    ASSERT_TRUE(core.Stories().Add(story));
}

int StoryFileCount(CAppCore& core) {
    int n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(core.GetDataPath()))
        n += entry.path().extension() == ".dat";
    return n;
}

int CNoUnexpectedDialogs::Enter(wxDialog* dialog) {
    ADD_FAILURE() << "unexpected dialog \"" << dialog->GetTitle() << "\"";
    return wxID_CANCEL;
}

void ClickCheckBox(wxWindow* parent, int id, bool bChecked) {
    auto* box = dynamic_cast<wxCheckBox*>(parent->FindWindow(id));
    ASSERT_NE(box, nullptr) << id;
    box->SetValue(bChecked);
    wxCommandEvent event(wxEVT_CHECKBOX, id);
    event.SetEventObject(box);
    event.SetInt(bChecked ? 1 : 0);
    box->ProcessWindowEvent(event);
}
