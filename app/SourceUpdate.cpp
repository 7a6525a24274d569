#include "app/SourceUpdate.h"

#include <cstring>

#include "app/AppCore.h"
#include "common/FileUtil.h"
#include "config/SourceCatalogue.h"
#include "engine/LinkRules.h"
#include "net/UrlParts.h"
#include "platform/ProgramFiles.h"
#include "platform/Registry.h"

namespace {

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    const std::size_t n = std::strlen(prefix);
    if (text.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    return true;
}

std::string Trimmed(const std::string& text) {
    const char* blanks = " \t\r\n";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::string WithoutCarriageReturns(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r') out.push_back(c);
    return out;
}

}  // namespace

std::string CSourceUpdate::IndexUrl() const {
    std::string host = Trimmed(m_strHost);
    if (host.empty()) return std::string();
    while (!host.empty() && host.back() == '/') host.pop_back();
    if (!StartsWithNoCase(host, "http://") && !StartsWithNoCase(host, "https://")) host = "http://" + host;
    return host + INDEX_PATH;
}

std::string CSourceUpdate::FindUpdateAddress(const std::string& index, const std::string& indexUrl) {
    const std::size_t marker = index.find(MARKER);
    if (marker == std::string::npos) return std::string();
    const std::size_t start = marker + std::strlen(MARKER) + 1;
    if (start >= index.size()) return std::string();
    // A line may end with LF alone: the address never runs into the next line.
    const std::size_t end = index.find_first_of("\r\n", start);
    const std::string address = Trimmed(index.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (address.empty()) return std::string();
    return ResolveHref(address, indexUrl);
}

bool CSourceUpdate::FetchText(const std::string& url, std::string& text, std::string& why) {
    CUrlParts parts;
    if (!parts.Set(url)) {
        why = "not a web address: " + url;
        return false;
    }
    const std::string proxy = m_proxy.server + ":" + std::to_string(m_proxy.port);
    const bool bProxy = m_proxy.useProxy == 1;
    FetchResult result;
    if (!m_fetcher.FetchUrl(parts, bProxy ? proxy.c_str() : nullptr, bProxy ? m_proxy.user.c_str() : nullptr,
                            bProxy ? m_proxy.password.c_str() : nullptr, result)) {
        why = url + ": " + FetchFailureText(result.failure, result.httpStatus);
        return false;
    }
    text = std::move(result.body);
    return true;
}

bool CSourceUpdate::WriteUpdateFile(const std::string& text, std::string& why) {
    if (!WriteFileAtomically(m_catalogue.GetUpdateFileName(), WithoutCarriageReturns(text))) {
        why = "cannot write " + m_catalogue.GetUpdateFileName();
        return false;
    }
    return true;
}

bool CSourceUpdate::Download(std::string& why) {
    const std::string indexUrl = IndexUrl();
    std::string index;
    if (!FetchText(indexUrl, index, why)) return false;
    const std::string address = FindUpdateAddress(index, indexUrl);
    if (address.empty()) {
        why = indexUrl + " names no update file";
        return false;
    }
    std::string update;
    if (!FetchText(address, update, why)) return false;
    return WriteUpdateFile(update, why);
}

bool CSourceUpdate::Fetch(std::string& why) {
    if (!Trimmed(m_strHost).empty()) return Download(why);
    std::string starter;
    if (m_strStarterFile.empty() || !ReadWholeFile(m_strStarterFile, starter)) {
        why = "cannot read the starter catalogue " + m_strStarterFile;
        return false;
    }
    return WriteUpdateFile(starter, why);
}

bool CSourceUpdate::Merge() { return m_catalogue.MergeUpdate(); }

std::string StarterCatalogueFile() { return ProgramFilesFolder() + "sources/starter_update.txt"; }

bool InstallStarterCatalogue(const std::string& cataloguePath) {
    std::string text;
    if (!ReadWholeFile(StarterCatalogueFile(), text)) return false;
    // Each line begins with its flag: a source's "on", a category's "selected".
    for (std::size_t line = 0; line < text.size();) {
        if (text[line] == '1') text[line] = '0';
        const std::size_t end = text.find('\n', line);
        if (end == std::string::npos) break;
        line = end + 1;
    }
    return WriteFileAtomically(cataloguePath, text, 0600);
}

std::string ReadUpdateHost(const std::string& registryFile) {
    std::string host;
    if (registryFile.empty()) return host;
    CRegistry registry(registryFile);
    if (registry.Load()) registry.QueryValue(REGISTRY_KEY_CURRENT, CSourceUpdate::REGISTRY_VALUE, host);
    return Trimmed(host);
}
