#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

CTempDir::CTempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "skimbolt-test-XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    m_path = tmpl + "/";
}

CTempDir::~CTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}
