// Benchmarks of the story store: an archive of 100,000 stories over 50 story
// files with realistic headlines, URLs and descriptions. Measures start-up
// loading, a keyed headline lookup as the scanning thread makes it, the
// periodic maintenance with nothing to purge, and the memory the headline
// index costs per story.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "bench/BenchInputs.h"
#include "config/NewsSettings.h"
#include "config/SourceCatalogue.h"
#include "store/StoryArchive.h"
#include "store/StoryFileName.h"
#include "store/StoryRecord.h"

namespace {

constexpr int kFiles = 50;
constexpr int kStoriesPerFile = 2000;
constexpr std::int64_t kNow = 1700000000;

const char* const kWords[] = {
    "Senate", "panel", "approves", "budget", "plan", "after", "late-night", "talks", "storm", "hits", "coast",
    "thousands", "without", "power", "markets", "rally", "as", "inflation", "eases", "court", "rules", "on",
    "election", "dispute", "city", "council", "votes", "to", "expand", "transit", "league", "champions",
    "clinch", "title", "in", "overtime", "scientists", "find", "new", "species", "deep", "sea", "minister",
    "resigns", "amid", "scandal", "wildfire", "spreads", "north", "of", "capital", "tech", "giant", "unveils",
    "phone", "schools", "reopen", "following", "strike", "health", "officials", "warn", "flu", "season",
};

std::string Sentence(std::mt19937& rng, int nMin, int nMax) {
    std::uniform_int_distribution<int> count(nMin, nMax);
    std::uniform_int_distribution<std::size_t> word(0, std::size(kWords) - 1);
    std::string s;
    const int n = count(rng);
    for (int i = 0; i < n; ++i) {
        if (i) s.push_back(' ');
        std::string w = kWords[word(rng)];
        if (i == 0) w[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(w[0])));
        s += w;
    }
    return s;
}

std::string SourceName(int i) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "Source %02d", i);
    return buf;
}

struct StoreFixture {
    std::string strHome;
    std::string strData;
    CSourceCatalogue catalogue;
    CNewsSettings settings;
    std::vector<std::pair<std::string, std::string>> lookups;  // (headline, key), shuffled
    std::unique_ptr<CStoryArchive> archive;
    double indexBytesPerStory = 0;
    double poolBytesPerStory = 0;
    int storyCount = 0;

    StoreFixture() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "skimbolt-storebench-XXXXXX").string();
        if (!::mkdtemp(tmpl.data())) std::abort();
        strHome = tmpl + "/";
        strData = strHome + "Data/";
        std::filesystem::create_directories(strData);
        settings.SetDefaultSoundLookup([] { return std::string(); });
        settings.SetFileName(strHome);
        settings.Load();
        WriteFiles(0);
        archive = LoadArchive();
        for (int i = 0; i < archive->GetFileCount(); ++i) storyCount += archive->GetFileAt(i)->StoryCount();
    }
    ~StoreFixture() {
        archive.reset();
        std::error_code ec;
        std::filesystem::remove_all(strHome, ec);
    }

    // Writes the 50 story files as a previous run left them; every
    // nSupersededEvery-th story also leaves a superseded record (0: none).
    void WriteFiles(int nSupersededEvery) {
        std::mt19937 rng(12345);
        std::uniform_int_distribution<int> age(0, 40 * 3600);
        std::uniform_int_distribution<int> stateDice(0, 99);
        const bool bFirst = lookups.empty();
        for (int f = 0; f < kFiles; ++f) {
            const std::string name = SourceName(f);
            if (bFirst) {
                CNewsSource* src = catalogue.AddSource(name, 1);
                src->AddCategory("http://www.source" + std::to_string(f) + ".example.com/news/", 1, 1,
                                 "Top Stories");
            }
            std::string bytes;
            bytes.reserve(kStoriesPerFile * 300);
            for (int s = 0; s < kStoriesPerFile; ++s) {
                StoryFileRecord rec;
                const int dice = stateDice(rng);
                rec.nState = dice < 60 ? STORY_PENDING : dice < 70 ? STORY_HIDDEN : dice < 80 ? STORY_NEW
                           : dice < 88 ? STORY_UNREAD : dice < 97 ? STORY_READ : STORY_BOOKMARKED;
                rec.tFound = static_cast<std::int32_t>(kNow - age(rng));
                rec.strHeadline = Sentence(rng, 5, 12) + " " + std::to_string(f * kStoriesPerFile + s);
                std::string slug = rec.strHeadline;
                for (char& c : slug) c = c == ' ' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                rec.strUrl = "http://www.source" + std::to_string(f) + ".example.com/news/2024/05/" +
                             std::to_string(1 + s % 28) + "/" + slug + ".html";
                rec.strDescription = Sentence(rng, 15, 30) + ".";
                if (rec.nState != STORY_PENDING && rec.nState != STORY_HIDDEN) rec.strKeywords = "+storm-football";
                rec.strSource = name + " (Top Stories)";
                if (nSupersededEvery && s % nSupersededEvery == 0) {
                    StoryFileRecord old = rec;
                    old.nState = STORY_SUPERSEDED;
                    EncodeStoryRecord(old, bytes);
                }
                EncodeStoryRecord(rec, bytes);
                if (bFirst) lookups.emplace_back(rec.strHeadline, name);
            }
            std::FILE* out = std::fopen((strData + StoryFileStem(name) + ".dat").c_str(), "wb");
            if (!out) std::abort();
            std::fwrite(bytes.data(), 1, bytes.size(), out);
            std::fclose(out);
        }
        if (bFirst) std::shuffle(lookups.begin(), lookups.end(), rng);
    }

    std::unique_ptr<CStoryArchive> LoadArchive() {
        malloc_trim(0);
        const std::size_t before = mallinfo2().uordblks;
        auto a = std::make_unique<CStoryArchive>(strData);
        a->SetClock([] { return kNow; });
        a->LoadAll(catalogue, settings);
        const std::size_t after = mallinfo2().uordblks;
        int stories = 0;
        std::size_t pool = 0;
        for (int i = 0; i < a->GetFileCount(); ++i) {
            stories += a->GetFileAt(i)->StoryCount();
            pool += static_cast<std::size_t>(a->GetFileAt(i)->PoolBlockCount()) * sizeof(StoryNodeBlock);
        }
        if (stories > 0) {
            indexBytesPerStory = static_cast<double>(after - before) / stories;
            poolBytesPerStory = static_cast<double>(pool) / stories;
        }
        return a;
    }
};

StoreFixture& Fixture() {
    static StoreFixture fixture;
    return fixture;
}

void BM_StoreLoadAll(benchmark::State& state) {
    StoreFixture& fx = Fixture();
    for (auto _ : state) {
        auto a = std::make_unique<CStoryArchive>(fx.strData);
        a->SetClock([] { return kNow; });
        benchmark::DoNotOptimize(a->LoadAll(fx.catalogue, fx.settings));
    }
    state.counters["stories"] = fx.storyCount;
}
BENCHMARK(BM_StoreLoadAll)->Unit(benchmark::kMillisecond);

// Start-up when every file has superseded records to drop: each file is
// really rewritten (work file, flush to disk, rename).
void BM_StoreLoadAllCompacting(benchmark::State& state) {
    StoreFixture& fx = Fixture();
    for (auto _ : state) {
        state.PauseTiming();
        fx.WriteFiles(50);
        state.ResumeTiming();
        auto a = std::make_unique<CStoryArchive>(fx.strData);
        a->SetClock([] { return kNow; });
        benchmark::DoNotOptimize(a->LoadAll(fx.catalogue, fx.settings));
    }
}
BENCHMARK(BM_StoreLoadAllCompacting)->Unit(benchmark::kMillisecond)->Iterations(5);

// The scanning thread's "is this link known" sequence: Open, keyed
// FindByHeadline, Close (the lock taken around it in the second variant).
void BM_StoreFindByHeadlineKeyed(benchmark::State& state) {
    StoreFixture& fx = Fixture();
    CStoryArchive& a = *fx.archive;
    const bool bLock = state.range(0) != 0;
    std::size_t i = 0;
    std::int64_t found = 0;
    for (auto _ : state) {
        const auto& [headline, key] = fx.lookups[i];
        if (++i == fx.lookups.size()) i = 0;
        if (bLock) a.Lock();
        a.Open("r+b");
        found += a.FindByHeadline(headline, key);
        a.Close();
        if (bLock) a.Unlock();
    }
    if (found != static_cast<std::int64_t>(state.iterations())) state.SkipWithError("a known headline was not found");
}
BENCHMARK(BM_StoreFindByHeadlineKeyed)->Arg(0)->Arg(1)->ArgName("locked");

void BM_StoreFindByHeadlineKeyedMiss(benchmark::State& state) {
    StoreFixture& fx = Fixture();
    CStoryArchive& a = *fx.archive;
    std::size_t i = 0;
    for (auto _ : state) {
        const auto& [headline, key] = fx.lookups[i];
        if (++i == fx.lookups.size()) i = 0;
        a.Open("r+b");
        benchmark::DoNotOptimize(a.FindByHeadline(headline + " (updated)", key));
        a.Close();
    }
}
BENCHMARK(BM_StoreFindByHeadlineKeyedMiss);

void BM_StoreMaintainNothingToPurge(benchmark::State& state) {
    StoreFixture& fx = Fixture();
    for (auto _ : state) fx.archive->Maintain(false, nullptr);
    state.counters["stories"] = fx.storyCount;
}
BENCHMARK(BM_StoreMaintainNothingToPurge)->Unit(benchmark::kMicrosecond);

// Filling the story list: every visible story read from disk.
void BM_StoreListFill(benchmark::State& state) {
    StoreFixture& fx = Fixture();
    CStoryArchive& a = *fx.archive;
    for (auto _ : state) {
        int n = 0;
        a.Open("rb");
        while (a.FindNextVisible()) n += a.GetCurrentStory() != nullptr;
        a.Close();
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_StoreListFill)->Unit(benchmark::kMillisecond);

void StoreSummary() {
    StoreFixture& fx = Fixture();
    std::printf("\nStory store: %d stories in %d files\n", fx.storyCount, fx.archive->GetFileCount());
    std::printf("  heap held by the loaded archive (mallinfo2 before/after LoadAll): %.1f bytes per story\n",
                fx.indexBytesPerStory);
    std::printf("  of which node pool blocks: %.1f bytes per story (node %zu bytes, block %zu bytes)\n",
                fx.poolBytesPerStory, sizeof(StoryIndexNode), sizeof(StoryNodeBlock));
}

void RegisterNothing(const std::vector<CBenchInput>&) {}

CBenchRegistration s_store(RegisterNothing, StoreSummary);

}  // namespace
