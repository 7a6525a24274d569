// Benchmarks of the page scan: the probe and real passes of the story-link
// rules over one parsed page, with the archive lookup of every story link, on
// a page whose stories are all known already (the usual case: most links of
// a polled page were seen in earlier cycles). The summary sets the cost of
// the scan beside the cost of parsing the same page.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchInputs.h"
#include "common/MessageTarget.h"
#include "config/NewsSettings.h"
#include "engine/PageScanner.h"
#include "store/StoryArchive.h"

namespace {

class CNullTarget : public CMessageTarget {
public:
    void Post(unsigned, std::uintptr_t, std::intptr_t) override {}
    std::intptr_t Send(unsigned, std::uintptr_t, std::intptr_t) override { return 0; }
};

// A scanner over an archive in a temporary folder that already knows every
// story of the input page.
struct ScanFixture {
    std::string strDir;
    CNewsSettings settings;
    CNullTarget window;
    std::unique_ptr<CStoryArchive> archive;
    std::unique_ptr<CPageScanner> scanner;
    int nStories = 0;

    explicit ScanFixture(const CBenchInput& input) {
        std::string tmpl = (std::filesystem::temp_directory_path() / "skimbolt-scanbench-XXXXXX").string();
        if (!::mkdtemp(tmpl.data())) std::abort();
        strDir = tmpl + "/";
        archive = std::make_unique<CStoryArchive>(strDir);
        scanner = std::make_unique<CPageScanner>(*archive, settings, window);
        scanner->SetKeywordGroups({CKeywordGroup("+storm-football"), CKeywordGroup("+senate+budget")});
        scanner->SetCycleOptions(1, 1);  // QuickScan: nothing is fetched
        scanner->SetPageUrl(input.m_strUrl);
        ScanOnce(input);  // records the page's stories
        CStoryArchiveGuard lock(*archive);
        for (int i = 0; i < archive->GetFileCount(); ++i) nStories += archive->GetFileAt(i)->StoryCount();
    }
    ~ScanFixture() {
        scanner.reset();
        archive.reset();
        std::error_code ec;
        std::filesystem::remove_all(strDir, ec);
    }

    bool ScanOnce(const CBenchInput& input) {
        if (!scanner->Parser().SetPage(input.m_strBytes)) return false;
        scanner->ScanPage(1);
        if (scanner->ProbeStillSet()) scanner->ScanPage(0);
        return true;
    }
};

// Parse and both passes, as the scanning thread runs them for one page.
void BM_ScanPage(benchmark::State& state, const CBenchInput* input) {
    ScanFixture fx(*input);
    for (auto _ : state) {
        if (!fx.ScanOnce(*input)) {
            state.SkipWithError("page refused (empty or too large)");
            return;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(input->m_strBytes.size()));
    state.counters["stories"] = fx.nStories;
    state.counters["tokens"] = static_cast<double>(fx.scanner->Parser().Tokens().size());
}

// The real pass alone over a page parsed once: every link's rules and
// archive lookup, no parsing.
void BM_RealPass(benchmark::State& state, const CBenchInput* input) {
    ScanFixture fx(*input);
    if (!fx.scanner->Parser().SetPage(input->m_strBytes)) {
        state.SkipWithError("page refused (empty or too large)");
        return;
    }
    fx.scanner->Parser().ParsePage();
    for (auto _ : state) fx.scanner->ScanPage(0);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(input->m_strBytes.size()));
}

void Register(const std::vector<CBenchInput>& inputs) {
    for (const CBenchInput& in : inputs) {
        benchmark::RegisterBenchmark(("ScanPage/" + in.m_strName).c_str(), BM_ScanPage, &in);
        benchmark::RegisterBenchmark(("RealPass/" + in.m_strName).c_str(), BM_RealPass, &in);
    }
}

void Summary() {
    for (const CBenchInput& in : GetBenchInputs()) {
        const double bytes = static_cast<double>(in.m_strBytes.size());
        const double parse = GetBenchBytesPerSecond("ParsePage/" + in.m_strName);
        const double scan = GetBenchBytesPerSecond("ScanPage/" + in.m_strName);
        const double real = GetBenchBytesPerSecond("RealPass/" + in.m_strName);
        if (parse <= 0 || scan <= 0) continue;
        const double parseUs = bytes / parse * 1e6;
        const double totalUs = bytes / scan * 1e6;
        const double walkUs = totalUs - parseUs;  // probe and real pass, without the parse
        std::printf("%s (%zu bytes): parse %.1f us, parse+scan %.1f us, scan alone %.1f us (%.2fx the parse)",
                    in.m_strName.c_str(), in.m_strBytes.size(), parseUs, totalUs, walkUs, walkUs / parseUs);
        if (real > 0) std::printf(", real pass %.1f us", bytes / real * 1e6);
        std::printf("\n");
    }
}

CBenchRegistration s_scanBench(Register, Summary);

}  // namespace
