// Benchmarks of the page scan: the probe and real passes of the story-link
// rules over one parsed page, with the recorder's archive lookup of every
// story link, on
// a page whose stories are all known already (the usual case: most links of
// a polled page were seen in earlier cycles); and the article text cut out of
// an article-sized part of each page for a sample of its headlines. The
// summary sets the cost of the scan beside the cost of parsing the same page
// and gives the memory a parsed page holds and the run's peak.
#include "bench/ScanBench.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchInputs.h"
#include "bench/NewsPage.h"
#include "engine/ArticleText.h"
#include "engine/NewStorySink.h"
#include "engine/PageReader.h"
#include "engine/StoryLinks.h"
#include "engine/StoryRecorder.h"
#include "engine/WordString.h"
#include "html/HtmlParser.h"
#include "store/StoryArchive.h"

namespace {

// QuickScan reads no article page and announces nothing here.
class CNoPages : public CPageReader {
public:
    bool ReadPage(const std::string&, AddressKind, CHtmlParser&, PageReadOutcome& outcome) override {
        outcome.failure = FetchFailure::BadUrl;
        return false;
    }
};

class CNoAnnouncements : public CNewStorySink {
public:
    void OnNewStory(const CStory&, const std::string&) override {}
};

// A story recorder over an archive in a temporary folder that already knows
// every story of the input page.
struct ScanFixture {
    std::string strDir;
    CNoPages pages;
    CNoAnnouncements announcements;
    std::unique_ptr<CStoryArchive> archive;
    std::unique_ptr<CStoryRecorder> recorder;
    CHtmlParser parser;
    std::string strUrl;
    std::string strLastTarget;
    int nStories = 0;

    explicit ScanFixture(const CBenchInput& input) : strUrl(input.m_strUrl) {
        std::string tmpl = (std::filesystem::temp_directory_path() / "skimbolt-scanbench-XXXXXX").string();
        if (!::mkdtemp(tmpl.data())) std::abort();
        strDir = tmpl + "/";
        archive = std::make_unique<CStoryArchive>(strDir);
        recorder = std::make_unique<CStoryRecorder>(*archive, pages, announcements);
        recorder->SetKeywordGroups({CKeywordGroup("+storm-football"), CKeywordGroup("+senate+budget")});
        recorder->SetCycleOptions(1, 1);  // QuickScan: nothing is fetched
        ScanOnce(input);  // records the page's stories
        CStoryArchiveGuard lock(*archive);
        for (int i = 0; i < archive->GetFileCount(); ++i) nStories += archive->GetFileAt(i)->StoryCount();
    }
    ~ScanFixture() {
        recorder.reset();
        archive.reset();
        std::error_code ec;
        std::filesystem::remove_all(strDir, ec);
    }

    // Both passes over the page parsed already.
    void Walk() {
        recorder->BeginPage(strUrl);
        WalkStoryLinks(parser, strUrl, *recorder, strLastTarget);
    }
    bool ScanOnce(const CBenchInput& input) {
        if (!parser.SetPage(input.m_strBytes)) return false;
        parser.ParsePage();
        Walk();
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
    state.counters["tokens"] = static_cast<double>(fx.parser.Tokens().size());
}

// Both passes over a page parsed once: every link's rules and archive
// lookup, no parsing.
void BM_Walk(benchmark::State& state, const CBenchInput* input) {
    ScanFixture fx(*input);
    if (fx.parser.Tokens().empty()) {
        state.SkipWithError("page refused (empty or too large)");
        return;
    }
    for (auto _ : state) fx.Walk();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(input->m_strBytes.size()));
}

// The article-sized part of a page: 100 KB from its middle (the whole page
// when it is smaller), and a sample of up to 16 headlines linked from it.
struct ArticlePart {
    CHtmlParser parser;
    std::vector<std::string> headlines;
    std::size_t bytes = 0;

    explicit ArticlePart(const CBenchInput& input) {
        constexpr std::size_t kPart = 100000;
        const std::string& page = input.m_strBytes;
        std::string part = page.size() <= kPart ? page : PageExcerpt(page, (page.size() - kPart) / 2, kPart);
        bytes = part.size();
        if (!parser.SetPage(std::move(part))) return;
        parser.ParsePage();
        std::vector<std::string> all;
        for (const CHtmlToken& t : parser.Tokens())
            if (t.m_nKind == TK_TEXT && t.IsInside(TK_LINK) && CWordString(t.Text()).CountWords(0) >= 4)
                all.emplace_back(t.Text());
        const std::size_t step = all.size() / 16 + 1;
        for (std::size_t i = 0; i < all.size(); i += step) headlines.push_back(all[i]);
    }
};

// Extensive mode's article scan, once per sampled headline, on a part of the
// page already parsed (the fetch and parse of an article page are measured
// by ParsePage).
void BM_ArticleText(benchmark::State& state, const CBenchInput* input) {
    ArticlePart part(*input);
    if (part.headlines.empty()) {
        state.SkipWithError("no headlines in the article part");
        return;
    }
    std::size_t found = 0, textBytes = 0;
    for (auto _ : state) {
        found = textBytes = 0;
        for (const std::string& headline : part.headlines) {
            const std::string text = ExtractArticleText(part.parser.Tokens(), headline);
            found += !text.empty();
            textBytes += text.size();
        }
        benchmark::DoNotOptimize(textBytes);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(part.bytes * part.headlines.size()));
    state.counters["headlines"] = static_cast<double>(part.headlines.size());
    state.counters["found"] = static_cast<double>(found);
    state.counters["text_bytes"] = static_cast<double>(textBytes);
}

void Register(const std::vector<CBenchInput>& inputs) {
    for (const CBenchInput& in : inputs) {
        benchmark::RegisterBenchmark(("ScanPage/" + in.m_strName).c_str(), BM_ScanPage, &in);
        benchmark::RegisterBenchmark(("Walk/" + in.m_strName).c_str(), BM_Walk, &in);
        benchmark::RegisterBenchmark(("ArticleText/" + in.m_strName).c_str(), BM_ArticleText, &in);
    }
}

// Heap the parsed page holds: its tokens, texts and attributes.
double ParsedPageMegabytes(const CBenchInput& input) {
    auto heldBytes = [] { return static_cast<double>(mallinfo2().uordblks); };
    auto parser = std::make_unique<CHtmlParser>();
    const double before = heldBytes();
    if (!parser->SetPage(input.m_strBytes)) return 0.0;
    parser->ParsePage();
    return (heldBytes() - before) / 1e6;
}

void Summary() {
    for (const CBenchInput& in : GetBenchInputs()) {
        const double bytes = static_cast<double>(in.m_strBytes.size());
        const double parse = GetBenchBytesPerSecond("ParsePage/" + in.m_strName);
        const double scan = GetBenchBytesPerSecond("ScanPage/" + in.m_strName);
        const double walk = GetBenchBytesPerSecond("Walk/" + in.m_strName);
        if (parse <= 0 || scan <= 0) continue;
        const double parseUs = bytes / parse * 1e6;
        const double totalUs = bytes / scan * 1e6;
        const double walkUs = totalUs - parseUs;  // probe and real pass, without the parse
        std::printf("%s (%zu bytes): parse %.1f us, parse+scan %.1f us, scan alone %.1f us (%.2fx the parse)",
                    in.m_strName.c_str(), in.m_strBytes.size(), parseUs, totalUs, walkUs, walkUs / parseUs);
        if (walk > 0) std::printf(", both passes on a parsed page %.1f us", bytes / walk * 1e6);
        std::printf(", parsed page holds %.1f MB\n", ParsedPageMegabytes(in));
    }
    struct rusage usage {};
    if (getrusage(RUSAGE_SELF, &usage) == 0)
        std::printf("peak resident memory of this run: %.1f MB\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
}

CBenchRegistration s_scanBench(Register, Summary);

}  // namespace

int RunWalkLoops(int loops) {
    std::size_t bytes = 0;
    std::size_t links = 0;
    for (const CBenchInput& in : GetBenchInputs()) {
        CHtmlParser parser;
        if (!parser.SetPage(in.m_strBytes)) continue;
        parser.ParsePage();
        for (int i = 0; i < loops; ++i) {
            links += FindStoryLinks(parser, in.m_strUrl).size();
            bytes += in.m_strBytes.size();
        }
    }
    std::printf("walked %zu bytes, %zu story links\n", bytes, links);
    return 0;
}
