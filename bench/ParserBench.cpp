// ParsePage against libxml2's forgiving HTML parser on the same bytes. Both
// report bytes per second; the summary prints how many times faster
// ParsePage is on each input.
#include "bench/ParserBench.h"

#include <benchmark/benchmark.h>
#include <libxml/HTMLparser.h>
#include <libxml/parser.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchInputs.h"
#include "html/HtmlParser.h"

namespace {

void BM_ParsePage(benchmark::State& state, const CBenchInput* input) {
    CHtmlParser parser;
    if (!parser.SetPage(input->m_strBytes)) {
        state.SkipWithError("page refused (empty or too large)");
        return;
    }
    std::size_t tokens = 0;
    for (auto _ : state) {
        // The parser decodes in place and frees its page, so every round
        // hands it a fresh copy; the copy is part of the measured cost.
        parser.SetPage(input->m_strBytes);
        parser.ParsePage();
        tokens = parser.Tokens().size();
        benchmark::DoNotOptimize(tokens);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(input->m_strBytes.size()));
    state.counters["tokens"] = static_cast<double>(tokens);
}

void BM_LibXml2(benchmark::State& state, const CBenchInput* input) {
    const int options = HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET;
    for (auto _ : state) {
        htmlDocPtr doc = htmlReadMemory(input->m_strBytes.data(), static_cast<int>(input->m_strBytes.size()),
                                        input->m_strUrl.c_str(), nullptr, options);
        benchmark::DoNotOptimize(doc);
        if (doc) xmlFreeDoc(doc);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(input->m_strBytes.size()));
}

void Register(const std::vector<CBenchInput>& inputs) {
    xmlInitParser();
    for (const CBenchInput& in : inputs) {
        benchmark::RegisterBenchmark(("ParsePage/" + in.m_strName).c_str(), BM_ParsePage, &in);
        benchmark::RegisterBenchmark(("libxml2/" + in.m_strName).c_str(), BM_LibXml2, &in);
    }
}

void Summary() {
    for (const CBenchInput& in : GetBenchInputs()) {
        const double ours = GetBenchBytesPerSecond("ParsePage/" + in.m_strName);
        const double theirs = GetBenchBytesPerSecond("libxml2/" + in.m_strName);
        if (ours <= 0 || theirs <= 0) continue;
        std::printf("%s (%zu bytes): ParsePage %.1f MB/s, libxml2 %.1f MB/s, ratio %.2fx\n", in.m_strName.c_str(),
                    in.m_strBytes.size(), ours / 1e6, theirs / 1e6, ours / theirs);
    }
}

CBenchRegistration s_parserBench(Register, Summary);

}  // namespace

int RunParseLoops(int loops) {
    CHtmlParser parser;
    std::size_t bytes = 0;
    std::size_t tokens = 0;
    for (const CBenchInput& in : GetBenchInputs()) {
        for (int i = 0; i < loops; ++i) {
            if (!parser.SetPage(in.m_strBytes)) break;
            parser.ParsePage();
            bytes += in.m_strBytes.size();
            tokens += parser.Tokens().size();
        }
    }
    std::printf("parsed %zu bytes into %zu tokens\n", bytes, tokens);
    return 0;
}
