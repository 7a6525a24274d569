// Feeds arbitrary bytes to the readers of the text data files: one config.txt
// line at a time, then the whole input as config.txt and as sources.txt.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "common/FileUtil.h"
#include "config/ConfigItem.h"
#include "config/ConfigStore.h"
#include "config/NewsSettings.h"
#include "config/SourceCatalogue.h"

namespace {
const std::string& AppDir() {
    static const std::string dir = [] {
        std::string tmpl = (std::filesystem::temp_directory_path() / "skimbolt-fuzz-XXXXXX").string();
        if (!::mkdtemp(tmpl.data())) std::abort();
        std::filesystem::create_directories(tmpl + "/Data");
        return tmpl + "/";
    }();
    return dir;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        CConfigItem item;
        ParseConfigLine(text.substr(start, end - start), item);
        start = end + 1;
    }

    const std::string dataDir = AppDir() + "Data/";
    if (!WriteFileAtomically(dataDir + "config.txt", text)) return 0;
    if (!WriteFileAtomically(dataDir + "sources.txt", text)) return 0;

    CNewsSettings settings(nullptr);
    settings.SetFileName(AppDir());
    settings.Load();
    std::string value;
    while (settings.GetNextKeyword(value)) {
    }
    while (settings.GetNextUrl(value)) {
    }

    CSourceCatalogue catalogue;
    catalogue.SetFileName(AppDir());
    catalogue.Load();
    for (CNewsSource* s = catalogue.FirstSource(false); s; s = catalogue.NextSource(false)) {
    }
    catalogue.CountSelected();
    return 0;
}
