#include "platform/Registry.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string_view>

#include "common/FileUtil.h"

std::string CRegistry::DefaultFile() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return JoinPath(xdg, "skimbolt/registry.ini");
    const char* home = std::getenv("HOME");
    if (home && home[0]) return JoinPath(home, ".config/skimbolt/registry.ini");
    return std::string();
}

namespace {

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == 0) return false;
        int more = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : -1;
        if (more < 0 || c == 0xC0 || c == 0xC1 || c > 0xF4 ||
            text.size() - i <= static_cast<std::size_t>(more))
            return false;
        for (int k = 1; k <= more; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += more + 1;
    }
    return true;
}

}  // namespace

bool CRegistry::Load() {
    m_keys.clear();
    m_bDamaged = false;
    std::string text;
    if (m_strFile.empty() || !ReadWholeFile(m_strFile, text)) return false;
    // We never write an empty file: at least one key is always in it.
    m_bDamaged = text.find_first_not_of(" \t\r\n") == std::string::npos || !IsValidUtf8(text);
    std::map<std::string, std::string>* pKey = nullptr;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line.front() == '[') {
            if (line.back() != ']') {
                m_bDamaged = true;
                pKey = nullptr;
                continue;
            }
            pKey = &m_keys[line.substr(1, line.size() - 2)];
            continue;
        }
        const std::size_t eq = line.find('=');
        if (pKey && eq != std::string::npos && eq > 0)
            (*pKey)[line.substr(0, eq)] = line.substr(eq + 1);
        else
            m_bDamaged = true;
    }
    return true;
}

std::string CRegistry::KeepDamagedCopy() const {
    namespace fs = std::filesystem;
    const std::string stem = m_strFile + ".damaged-" + std::to_string(std::time(nullptr));
    std::string copy = stem;
    std::error_code ec;
    for (int n = 1; fs::exists(copy, ec) || fs::is_symlink(copy, ec); ++n) copy = stem + "-" + std::to_string(n);
    if (!fs::copy_file(m_strFile, copy, ec) || ec) return std::string();
    return copy;
}

bool CRegistry::Save() const {
    if (m_strFile.empty()) return false;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(m_strFile).parent_path(), ec);
    std::string text;
    for (const auto& [key, values] : m_keys) {
        text += "[" + key + "]\n";
        for (const auto& [name, value] : values) text += name + "=" + value + "\n";
    }
    return WriteFileAtomically(m_strFile, text, 0600);
}

bool CRegistry::QueryValue(const std::string& key, const std::string& name, std::string& value) const {
    const auto k = m_keys.find(key);
    if (k == m_keys.end()) return false;
    const auto v = k->second.find(name);
    if (v == k->second.end()) return false;
    value = v->second;
    return true;
}

void CRegistry::SetValue(const std::string& key, const std::string& name, const std::string& value) {
    m_keys[key][name] = value;
}
