#include "gui/GuiTest.h"

#include <vector>

#include <wx/app.h>
#include <wx/toplevel.h>

void DestroyAllTopLevelWindows() {
    std::vector<wxWindow*> windows;
    for (auto node = wxTopLevelWindows.GetFirst(); node; node = node->GetNext())
        windows.push_back(node->GetData());
    for (wxWindow* window : windows) window->Destroy();
    // Destroy() only queues top-level windows for deletion; idle time deletes them.
    gui::PumpUntil([] { return wxTopLevelWindows.empty(); }, std::chrono::seconds(5));
}

void CGuiTest::SetUp() { ClearUnexpectedDialogs(); }

void CGuiTest::TearDown() {
    DestroyAllTopLevelWindows();
    EXPECT_TRUE(wxTopLevelWindows.empty()) << "a window outlived its test";
}
