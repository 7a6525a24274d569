#include "platform/Registry.h"

#include <cstdlib>
#include <filesystem>

#include "common/FileUtil.h"

std::string CRegistry::DefaultFile() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return JoinPath(xdg, "skimbolt/registry.ini");
    const char* home = std::getenv("HOME");
    if (home && home[0]) return JoinPath(home, ".config/skimbolt/registry.ini");
    return std::string();
}

bool CRegistry::Load() {
    m_keys.clear();
    std::string text;
    if (m_strFile.empty() || !ReadWholeFile(m_strFile, text)) return false;
    std::map<std::string, std::string>* pKey = nullptr;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line.front() == '[' && line.back() == ']') {
            pKey = &m_keys[line.substr(1, line.size() - 2)];
            continue;
        }
        const std::size_t eq = line.find('=');
        if (pKey && eq != std::string::npos) (*pKey)[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return true;
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
