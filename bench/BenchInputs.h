// The inputs every benchmark of skimbolt_bench runs on, and the small
// registry that lets benchmark files register per-input benchmarks and print
// a summary after the run.
//
// Inputs: the generated news page (always first, named "news_page"), the
// generated 8 MB pages with 5,000 story links ("large_page"; its headline
// list form "large_headlines"; "large_unclosed", whose anchors are never
// closed) and every HTML file named on the command line (named by its file
// name). Each comes with a page URL under "http://bench.local/" for code
// that resolves links, or, for a file, the first line of NAME.url beside
// NAME.html when there is one.
//
// A benchmark file registers itself with a file-scope object:
//
//     static void Register(const std::vector<CBenchInput>& inputs) {
//         for (const CBenchInput& in : inputs)
//             benchmark::RegisterBenchmark(("Scan/" + in.m_strName).c_str(), ...);
//     }
//     static void Summary() { ... GetBenchBytesPerSecond("Scan/news_page") ... }
//     static CBenchRegistration s_scan(Register, Summary);
//
// bench_main loads the inputs, calls every registration function, runs the
// benchmarks and then calls every summary function.
#pragma once

#include <string>
#include <vector>

struct CBenchInput {
    std::string m_strName;   // "news_page" or the file's name
    std::string m_strBytes;  // the page as read, unchanged
    std::string m_strUrl;    // "http://bench.local/" + the name
};

// All inputs, the generated pages first.
const std::vector<CBenchInput>& GetBenchInputs();

// Adds an HTML file as an input. False (with a message in error) when it
// cannot be read. Called before the first GetBenchInputs.
bool AddBenchInputFile(const std::string& path, std::string& error);

// Keeps only the inputs named in list, comma-separated: the generated pages'
// names and "files" for the files added. Called before the first
// GetBenchInputs; false (with a message in error) for a name it does not know.
bool SelectBenchInputs(const std::string& list, std::string& error);

using BenchRegisterFn = void (*)(const std::vector<CBenchInput>& inputs);
using BenchSummaryFn = void (*)();

// Declared at file scope in a benchmark file; see above.
struct CBenchRegistration {
    explicit CBenchRegistration(BenchRegisterFn registerFn, BenchSummaryFn summaryFn = nullptr);
};

// Called by bench_main.
void RunBenchRegistrations();
void RunBenchSummaries();

// Results of the finished run, recorded by bench_main's reporter: bytes per
// second of a benchmark (as set with SetBytesProcessed) by its full name;
// 0 when it did not run or set no byte count.
void RecordBenchBytesPerSecond(const std::string& name, double bytesPerSecond);
double GetBenchBytesPerSecond(const std::string& name);
