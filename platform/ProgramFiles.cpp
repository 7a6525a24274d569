#include "platform/ProgramFiles.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "common/FileUtil.h"

// The source tree's res/ folder, for a program run from its build folder.
#ifndef SKIMBOLT_SOURCE_RES_DIR
#define SKIMBOLT_SOURCE_RES_DIR "res/"
#endif
// The installed data folder relative to the folder of the executable.
#ifndef SKIMBOLT_DATA_FROM_BIN
#define SKIMBOLT_DATA_FROM_BIN "../share/skimbolt"
#endif

std::string ProgramFilesFolder() {
    if (const char* dir = std::getenv("SKIMBOLT_RES_DIR"); dir && *dir) return WithTrailingSeparator(dir);
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        const std::filesystem::path installed = exe.parent_path() / SKIMBOLT_DATA_FROM_BIN;
        if (std::filesystem::is_directory(installed, ec))
            return WithTrailingSeparator(installed.lexically_normal().string());
    }
    return WithTrailingSeparator(SKIMBOLT_SOURCE_RES_DIR);
}
