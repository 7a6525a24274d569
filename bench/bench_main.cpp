// skimbolt_bench: Google Benchmark runner over the generated news page and
// any HTML files named on the command line.
//
//   skimbolt_bench [benchmark flags] [page.html ...]
//   skimbolt_bench --parse-loops=N [--inputs=LIST] [page.html ...]
//   skimbolt_bench --walk-loops=N [--inputs=LIST] [page.html ...]
//   skimbolt_bench --write-pages=DIR
//   skimbolt_bench --write-site=DIR --pages=N [--page-bytes=B]
//
// Arguments not starting with "--" are input files. --parse-loops=N skips the
// benchmark framework and only reads every input N times (SetPage, with its
// decoding to UTF-8, and ParsePage), which suits instruction counting under
// callgrind; --walk-loops=N parses every input once and finds its story
// links N times. --inputs=LIST keeps only the inputs named (comma-separated:
// news_page, large_page, large_headlines, large_unclosed, and files for the
// files named); bench/callgrind_figures.sh uses these modes. The page URL of
// a file NAME.html is the first line of NAME.url beside it, when there is
// one. --write-pages=DIR writes the
// generated pages to DIR as NAME.html, to be fed to other tools;
// --write-site=DIR writes N front pages of about B bytes (default 60000),
// each of its own seed, as DIR/pNNNNN.html (the scan benchmark's site).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/BenchInputs.h"
#include "bench/NewsPage.h"
#include "bench/ParserBench.h"
#include "bench/ScanBench.h"

namespace {

// Prints like the console reporter and remembers each benchmark's byte rate
// for the summaries.
class CRecordingReporter : public benchmark::ConsoleReporter {
public:
    explicit CRecordingReporter(OutputOptions options) : ConsoleReporter(options) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            auto it = run.counters.find("bytes_per_second");
            if (it != run.counters.end()) RecordBenchBytesPerSecond(run.benchmark_name(), it->second.value);
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

int WritePages(const std::string& dir) {
    for (const CBenchInput& in : GetBenchInputs()) {
        const std::string path = dir + "/" + in.m_strName + ".html";
        std::ofstream out(path, std::ios::binary);
        out << in.m_strBytes;
        if (!out.flush()) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s\t%zu bytes\n", path.c_str(), in.m_strBytes.size());
    }
    return 0;
}

int WriteSite(const std::string& dir, int pages, std::size_t bytes) {
    for (int i = 0; i < pages; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/p%05d.html", i);
        std::ofstream out(dir + name, std::ios::binary);
        out << GenerateNewsPage(static_cast<std::uint32_t>(1000003u * static_cast<unsigned>(i) + 17u), bytes);
        if (!out.flush()) {
            std::fprintf(stderr, "cannot write %s%s\n", dir.c_str(), name);
            return 1;
        }
    }
    std::printf("%d pages in %s\n", pages, dir.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> flags;
    flags.push_back(argv[0]);
    int parseLoops = -1;
    int walkLoops = -1;
    std::string siteDir;
    int sitePages = 0;
    std::size_t pageBytes = 60000;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--write-site=", 13) == 0) {
            siteDir = argv[i] + 13;
            continue;
        }
        if (std::strncmp(argv[i], "--pages=", 8) == 0) {
            sitePages = std::atoi(argv[i] + 8);
            continue;
        }
        if (std::strncmp(argv[i], "--page-bytes=", 13) == 0) {
            pageBytes = static_cast<std::size_t>(std::atol(argv[i] + 13));
            continue;
        }
        if (std::strncmp(argv[i], "--parse-loops=", 14) == 0) {
            parseLoops = std::atoi(argv[i] + 14);
        } else if (std::strncmp(argv[i], "--walk-loops=", 13) == 0) {
            walkLoops = std::atoi(argv[i] + 13);
        } else if (std::strncmp(argv[i], "--inputs=", 9) == 0) {
            std::string error;
            if (!SelectBenchInputs(argv[i] + 9, error)) {
                std::fprintf(stderr, "%s\n", error.c_str());
                return 1;
            }
        } else if (std::strncmp(argv[i], "--write-pages=", 14) == 0) {
            return WritePages(argv[i] + 14);
        } else if (std::strncmp(argv[i], "--", 2) == 0) {
            flags.push_back(argv[i]);
        } else {
            std::string error;
            if (!AddBenchInputFile(argv[i], error)) {
                std::fprintf(stderr, "%s\n", error.c_str());
                return 1;
            }
        }
    }
    if (!siteDir.empty()) return WriteSite(siteDir, sitePages, pageBytes);
    if (parseLoops >= 0) return RunParseLoops(parseLoops);
    if (walkLoops >= 0) return RunWalkLoops(walkLoops);

    int flagCount = static_cast<int>(flags.size());
    flags.push_back(nullptr);
    benchmark::Initialize(&flagCount, flags.data());
    if (benchmark::ReportUnrecognizedArguments(flagCount, flags.data())) return 1;
    RunBenchRegistrations();
    // Colours only on a terminal.
    CRecordingReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                      : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    RunBenchSummaries();
    benchmark::Shutdown();
    return 0;
}
