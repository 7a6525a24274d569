#include "bench/BenchInputs.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

#include "bench/NewsPage.h"

namespace {

struct Registry {
    std::vector<CBenchInput> inputs;
    std::vector<CBenchInput> files;
    bool built = false;
    bool withFiles = true;
    std::vector<std::string> generated{"news_page", "large_page", "large_headlines", "large_unclosed"};
    std::vector<BenchRegisterFn> registrations;
    std::vector<BenchSummaryFn> summaries;
    std::map<std::string, double> bytesPerSecond;
};

// Built on first use, so that registrations from other files' static
// objects are safe whatever the order of initialization.
Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

std::string GeneratedPage(const std::string& name) {
    if (name == "news_page") return GenerateNewsPage();
    if (name == "large_page") return GenerateLargeNewsPage();
    if (name == "large_headlines") return GenerateLargeNewsPage(20010514, 7900000, 5000, LargePageStyle::Headlines);
    return GenerateLargeNewsPage(20010513, 7900000, 5000, LargePageStyle::Unclosed);
}

// The generated pages are made only when first needed, and only those selected.
std::vector<CBenchInput>& Inputs() {
    Registry& r = TheRegistry();
    if (!r.built) {
        r.built = true;
        for (const std::string& name : r.generated)
            r.inputs.push_back({name, GeneratedPage(name), "http://bench.local/" + name});
        if (r.withFiles)
            for (CBenchInput& in : r.files) r.inputs.push_back(std::move(in));
        r.files.clear();
    }
    return r.inputs;
}

}  // namespace

const std::vector<CBenchInput>& GetBenchInputs() { return Inputs(); }

bool AddBenchInputFile(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const std::size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string url = "http://bench.local/" + name;
    const std::size_t dot = path.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        std::ifstream urlFile(path.substr(0, dot) + ".url");
        std::string line;
        if (urlFile && std::getline(urlFile, line) && !line.empty()) url = line;
    }
    TheRegistry().files.push_back({name, bytes.str(), url});
    return true;
}

bool SelectBenchInputs(const std::string& list, std::string& error) {
    Registry& r = TheRegistry();
    const std::vector<std::string> known = r.generated;
    r.generated.clear();
    r.withFiles = false;
    std::istringstream names(list);
    for (std::string name; std::getline(names, name, ',');) {
        if (name == "files") {
            r.withFiles = true;
        } else if (std::find(known.begin(), known.end(), name) != known.end()) {
            r.generated.push_back(name);
        } else {
            error = "unknown input " + name + " (known: news_page, large_page, large_headlines, large_unclosed, files)";
            return false;
        }
    }
    return true;
}

CBenchRegistration::CBenchRegistration(BenchRegisterFn registerFn, BenchSummaryFn summaryFn) {
    if (registerFn) TheRegistry().registrations.push_back(registerFn);
    if (summaryFn) TheRegistry().summaries.push_back(summaryFn);
}

void RunBenchRegistrations() {
    for (BenchRegisterFn fn : TheRegistry().registrations) fn(Inputs());
}

void RunBenchSummaries() {
    for (BenchSummaryFn fn : TheRegistry().summaries) fn();
}

void RecordBenchBytesPerSecond(const std::string& name, double bytesPerSecond) {
    TheRegistry().bytesPerSecond[name] = bytesPerSecond;
}

double GetBenchBytesPerSecond(const std::string& name) {
    const auto& map = TheRegistry().bytesPerSecond;
    auto it = map.find(name);
    return it == map.end() ? 0.0 : it->second;
}
