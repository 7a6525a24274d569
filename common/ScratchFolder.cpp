#include "common/ScratchFolder.h"

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

CScratchFolder::CScratchFolder(const std::string& prefix) {
    std::error_code ec;
    fs::path base = fs::temp_directory_path(ec);
    if (ec) base = "/tmp";
    std::string pattern = (base / (prefix + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data())) m_strPath = pattern;
}

CScratchFolder::~CScratchFolder() {
    std::error_code ec;
    if (!m_strPath.empty()) fs::remove_all(m_strPath, ec);
}
