#include "common/DamagedCopy.h"

#include <ctime>
#include <filesystem>

#include "common/FileUtil.h"

std::string KeepDamagedCopyBeside(const std::string& path, std::string_view data) {
    namespace fs = std::filesystem;
    const fs::path file(path);
    const std::string prefix = file.filename().string() + ".damaged-";
    std::error_code ec;
    // A copy of the same bytes kept by an earlier run serves again.
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::string kept;
        if (name.compare(0, prefix.size(), prefix) == 0 && !it->is_symlink(ec) && it->is_regular_file(ec) &&
            ReadWholeFile(it->path().string(), kept) && kept == data)
            return name;
    }
    const std::string stem = path + ".damaged-" + std::to_string(std::time(nullptr));
    std::string copy = stem;
    // Never over anything already there, a link included.
    for (int n = 2; fs::exists(fs::symlink_status(copy, ec)); ++n) copy = stem + "-" + std::to_string(n);
    if (!WriteFileAtomically(copy, data, 0600)) return std::string();
    return fs::path(copy).filename().string();
}
