// Feeds arbitrary bytes to the story file reader as the contents of a story
// file, then walks and rewrites what it indexed.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "common/FileUtil.h"
#include "store/StoryFile.h"

namespace {
const std::string& Folder() {
    static const std::string dir = [] {
        std::string tmpl = (std::filesystem::temp_directory_path() / "skimbolt-fuzz-XXXXXX").string();
        if (!::mkdtemp(tmpl.data())) std::abort();
        return tmpl + "/";
    }();
    return dir;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string name = "fuzzstor00000000.dat";
    const std::string path = Folder() + name;
    if (!WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(data), size))) return 0;
    {
        CStoryFile file(Folder());
        if (file.LoadFromFile(name)) {
            file.Open("r+b");
            while (file.NextVisible()) {
                auto story = file.ReadCurrent();
                if (story) file.Find(story->GetHeadline());
            }
            file.Close();
            file.Rewrite(true);
        }
    }
    // Start every input from an empty folder.
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(Folder(), ec))
        std::filesystem::remove(entry.path(), ec);
    return 0;
}
