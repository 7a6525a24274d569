#include "bench/BenchInputs.h"

#include <fstream>
#include <map>
#include <sstream>

#include "bench/NewsPage.h"

namespace {

struct Registry {
    std::vector<CBenchInput> inputs;
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

std::vector<CBenchInput>& Inputs() {
    std::vector<CBenchInput>& inputs = TheRegistry().inputs;
    if (inputs.empty()) {
        inputs.push_back({"news_page", GenerateNewsPage(), "http://bench.local/news_page"});
        inputs.push_back({"large_page", GenerateLargeNewsPage(), "http://bench.local/large_page"});
        inputs.push_back({"large_headlines", GenerateLargeNewsPage(20010514, 7900000, 5000, LargePageStyle::Headlines),
                          "http://bench.local/large_headlines"});
        inputs.push_back({"large_unclosed", GenerateLargeNewsPage(20010513, 7900000, 5000, LargePageStyle::Unclosed),
                          "http://bench.local/large_unclosed"});
    }
    return inputs;
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
    Inputs().push_back({name, bytes.str(), "http://bench.local/" + name});
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
