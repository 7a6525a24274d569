#include "engine/ArticleRetries.h"

#include <algorithm>
#include <charconv>
#include <ctime>
#include <string_view>
#include <vector>

#include "common/Diagnostics.h"
#include "common/FileUtil.h"
#include "common/SafeFiles.h"

namespace {

// Story keys hold a line end (source key and headline) and any other byte:
// the file keeps them as lowercase hex.
std::string ToHex(const std::string& key) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(key.size() * 2);
    for (unsigned char c : key) {
        hex += kDigits[c >> 4];
        hex += kDigits[c & 15];
    }
    return hex;
}

bool FromHex(std::string_view hex, std::string& key) {
    if (hex.empty() || hex.size() % 2 != 0) return false;
    auto nibble = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    key.clear();
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = nibble(hex[i]), low = nibble(hex[i + 1]);
        if (high < 0 || low < 0) return false;
        key += static_cast<char>(high << 4 | low);
    }
    return true;
}

bool ParseInt(std::string_view text, std::int64_t& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

// Cycle numbers beyond this are damage (a cycle a second would take
// millennia to reach it); counting on from them could overflow.
constexpr std::int64_t kLastCycleNumber = std::int64_t(1) << 40;

std::vector<std::string_view> SplitTabs(std::string_view line) {
    std::vector<std::string_view> fields;
    for (std::size_t pos = 0;;) {
        const std::size_t tab = line.find('\t', pos);
        fields.push_back(line.substr(pos, tab == std::string_view::npos ? std::string_view::npos : tab - pos));
        if (tab == std::string_view::npos) return fields;
        pos = tab + 1;
    }
}

}  // namespace

CArticleRetries::CArticleRetries() : m_clock([] { return static_cast<std::int64_t>(std::time(nullptr)); }) {}

// The file: the header line, the number of the last cycle, then one line per
// story: hex key, first failure (seconds since 1970), cycles with a failure
// and the last of them, separated by tabs.
void CArticleRetries::Load(const std::string& dataFolder) {
    m_stories.clear();
    m_nCycle = 0;
    m_bDirty = false;
    m_strFile = JoinPath(dataFolder, FILE_NAME);
    std::string text;
    if (!ReadWholeFile(m_strFile, text) || text.empty()) return;
    std::vector<std::string_view> lines;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        lines.emplace_back(text.data() + pos, end - pos);
        pos = end + 1;
    }
    if (lines[0] != FILE_HEADER) {
        ReportDiagnostic(DiagnosticKind::ForeignFile, m_strFile, "not a file of article retries: left alone");
        m_strFile.clear();
        return;
    }
    std::int64_t maxLast = 0;
    for (std::size_t i = 2; i < lines.size() && m_stories.size() < MAX_STORIES; ++i) {
        const std::vector<std::string_view> fields = SplitTabs(lines[i]);
        std::string key;
        Retry retry;
        std::int64_t cycles = 0;
        if (fields.size() != 4 || !FromHex(fields[0], key) || !ParseInt(fields[1], retry.tFirst) ||
            !ParseInt(fields[2], cycles) || !ParseInt(fields[3], retry.nLastCycle) || cycles < 1 ||
            retry.tFirst < 0 || retry.nLastCycle < 0 || retry.nLastCycle > kLastCycleNumber)
            continue;
        // Cycles beyond the bound count no more than the bound.
        retry.nCycles = static_cast<int>(std::min<std::int64_t>(cycles, MAX_CYCLES));
        maxLast = std::max(maxLast, retry.nLastCycle);
        m_stories[key] = retry;
    }
    // A damaged cycle line: the latest cycle a story failed in will do.
    if (lines.size() < 2 || !ParseInt(lines[1], m_nCycle) || m_nCycle < maxLast || m_nCycle > kLastCycleNumber)
        m_nCycle = maxLast;
}

bool CArticleRetries::Save() {
    if (!m_bDirty || m_strFile.empty()) return true;
    std::string text = std::string(FILE_HEADER) + '\n' + std::to_string(m_nCycle) + '\n';
    std::size_t count = 0;
    for (const auto& [key, retry] : m_stories) {
        if (++count > MAX_STORIES) break;
        text += ToHex(key) + '\t' + std::to_string(retry.tFirst) + '\t' + std::to_string(retry.nCycles) + '\t' +
                std::to_string(retry.nLastCycle) + '\n';
    }
    if (!WriteFileAtomically(m_strFile, text, PRIVATE_FILE_MODE)) return false;
    m_bDirty = false;
    return true;
}

void CArticleRetries::BeginCycle() {
    ++m_nCycle;
    m_bDirty |= !m_stories.empty();
    for (auto it = m_stories.begin(); it != m_stories.end();) {
        if (it->second.nLastCycle < m_nCycle - 2)
            it = m_stories.erase(it);
        else
            ++it;
    }
}

bool CArticleRetries::FailedForNow(const std::string& key) {
    m_bDirty = true;
    const std::int64_t now = m_clock();
    const auto [it, bFirst] = m_stories.try_emplace(key);
    Retry& retry = it->second;
    if (bFirst) retry.tFirst = now;
    if (bFirst || retry.nLastCycle != m_nCycle) {
        ++retry.nCycles;
        retry.nLastCycle = m_nCycle;
    }
    if (retry.nCycles < MAX_CYCLES || now - retry.tFirst < RETRY_SECONDS) return false;
    m_stories.erase(it);
    return true;
}

bool CArticleRetries::FailedThisCycle(const std::string& key) const {
    const auto it = m_stories.find(key);
    return it != m_stories.end() && it->second.nLastCycle == m_nCycle;
}

bool IsArticleFailureForNow(FetchFailure failure, int httpStatus) {
    switch (failure) {
    case FetchFailure::Dns:
    case FetchFailure::NoConnection:
    case FetchFailure::Tls:
    case FetchFailure::TimedOut:
    case FetchFailure::BadResponse:
    case FetchFailure::Aborted:
        return true;
    case FetchFailure::HttpStatus:
        return httpStatus >= 500 || httpStatus == 408 || httpStatus == 429 || httpStatus == 0;
    default:
        return false;
    }
}
