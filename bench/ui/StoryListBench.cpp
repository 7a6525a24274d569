// Benchmark of the story list window: filling it from an archive of 1,000
// and 10,000 stories over 20 story files, with the visible rows drawn. Needs
// a display: run it under xvfb-run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <memory>
#include <string>

#include <wx/app.h>
#include <wx/image.h>
#include <wx/log.h>

#include "app/AppCore.h"
#include "app/Messages.h"
#include "support/TempDir.h"
#include "ui/stories/StoryListView.h"
#include "ui/stories/StoryListWindow.h"

namespace {

class CQuietBoxes : public CMessageBoxSink {
public:
    int ShowMessage(int, const char*) override { return IDOK; }
};

void BM_FillStoryList(benchmark::State& state) {
    const int stories = static_cast<int>(state.range(0));
    CTempDir dir;
    CQuietBoxes boxes;
    CAppCore core(boxes);
    std::string error;
    core.FindApplicationFolder(dir.File("home"), "");
    if (!core.PrepareFolder(error)) {
        state.SkipWithError("cannot prepare the application folder");
        return;
    }
    core.LoadData();
    const auto now = static_cast<std::int32_t>(std::time(nullptr));
    for (int i = 0; i < stories; ++i) {
        StoryItem s;
        s.sourceName = "Custom: http://news" + std::to_string(i % 20) + ".example/";
        // Headlines are told apart by their first six characters, sum and length.
        char number[16];
        std::snprintf(number, sizeof number, "%06d", i);
        s.key = {s.sourceName, std::string(number) + ": council votes to expand transit after long talks"};
        s.description = "City council members voted on the plan late on Tuesday evening.";
        s.url = "http://news.example/story/" + std::to_string(i);
        s.tFound = now - stories + i;
        s.state = 1 + i % 4;
        core.Stories().Add(s);
    }
    auto* list = new CStoryListDlg(nullptr, core);
    list->Show();
    for (auto _ : state) {
        list->Fill();
        list->Update();
    }
    if (list->List()->GetRowCount() != stories) state.SkipWithError("not every story was listed");
    state.SetItemsProcessed(state.iterations() * stories);
    list->Destroy();
    wxTheApp->ProcessIdle();
}
BENCHMARK(BM_FillStoryList)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "Cannot start wxWidgets: run this benchmark under xvfb-run.\n");
        return 1;
    }
    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxImage::AddHandler(new wxPNGHandler);
    benchmark::RunSpecifiedBenchmarks();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return 0;
}
