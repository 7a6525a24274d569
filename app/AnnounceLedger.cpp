#include "app/AnnounceLedger.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <unordered_set>

#include <fcntl.h>
#include <unistd.h>

#include "common/DamagedCopy.h"
#include "common/Diagnostics.h"
#include "common/FileUtil.h"
#include "common/SafeFiles.h"

namespace {

constexpr const char* kHeading = "Skimbolt stories not announced yet 1";

void AppendEscaped(std::string& out, const std::string& text) {
    for (char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        default: out.push_back(c);
        }
    }
}

bool Unescape(std::string_view text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\t' || c == '\r' || c == '\n') return false;
        if (c != '\\') {
            out.push_back(c);
            continue;
        }
        if (++i == text.size()) return false;
        switch (text[i]) {
        case '\\': out.push_back('\\'); break;
        case 't': out.push_back('\t'); break;
        case 'r': out.push_back('\r'); break;
        case 'n': out.push_back('\n'); break;
        default: return false;
        }
    }
    return !out.empty();
}

void RemoveKeys(std::vector<StoryKey>& from, const std::vector<StoryKey>& keys) {
    std::unordered_set<std::string> gone;
    for (const StoryKey& k : keys) gone.insert(FormatLedgerLine(k));
    std::erase_if(from, [&gone](const StoryKey& k) { return gone.count(FormatLedgerLine(k)) != 0; });
}

// Appends text to the file at path, never through a link; false when it
// cannot be opened or written whole.
bool AppendToFile(const std::string& path, const std::string& text) {
    const int fd = OpenRegularFile(path, O_WRONLY | O_APPEND);
    if (fd < 0) return false;
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    return ::close(fd) == 0 && done == text.size();
}

}  // namespace

std::string FormatLedgerLine(const StoryKey& key) {
    std::string line;
    AppendEscaped(line, key.source);
    line.push_back('\t');
    AppendEscaped(line, key.headline);
    return line;
}

bool ParseLedgerLine(const std::string& line, StoryKey& key) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos) return false;
    return Unescape(std::string_view(line).substr(0, tab), key.source) &&
           Unescape(std::string_view(line).substr(tab + 1), key.headline);
}

std::vector<StoryKey> CAnnounceLedger::Load(const std::string& dataFolder) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_strFile = JoinPath(dataFolder, FILE_NAME);
    m_keys.clear();
    std::string text;
    if (!ReadWholeFile(m_strFile, text)) {
        if (FileExists(m_strFile))
            ReportDiagnostic(DiagnosticKind::ReadFailed, m_strFile, "stories of an earlier run may not be announced");
        return {};
    }
    // Lines end with LF (CR LF as written). Stories are appended one line
    // at a time, so a last line without its end is one cut short by a kill:
    // its story was not recorded yet, and the line is dropped.
    std::vector<std::string> lines;
    bool bCutShort = false;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) {
            end = text.size();
            bCutShort = !lines.empty();  // (a heading alone is judged as it is)
            if (bCutShort) break;
        }
        std::string line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        pos = end + 1;
    }
    const bool bOurs = !lines.empty() && lines.front() == kHeading;
    int nBad = bOurs ? 0 : 1;
    m_listed.clear();
    for (std::size_t i = 1; bOurs && i < lines.size(); ++i) {
        StoryKey key;
        if (ParseLedgerLine(lines[i], key)) {
            if (m_listed.insert(lines[i]).second) m_keys.push_back(std::move(key));
        } else if (!lines[i].empty()) {
            ++nBad;
        }
    }
    if (bCutShort && bOurs) m_bRewrite = true;  // the next append must not join the cut line
    if (nBad > 0) {
        // Kept as it was before the ledger is written anew; what could be
        // read is used, the rest only shown as new in the story list.
        const std::string copy = KeepDamagedCopyBeside(m_strFile, text);
        const std::string what = bOurs ? std::to_string(nBad) + (nBad == 1 ? " line" : " lines") + " could not be read"
                                       : "not a list of stories of this program";
        ReportDiagnostic(DiagnosticKind::DamagedFile, m_strFile,
                         what + (copy.empty() ? "; it could not be copied and is left as it is"
                                              : "; kept as " + copy + " and written anew"));
        if (copy.empty()) m_strFile.clear();  // never written over without a copy
        m_bRewrite = true;
    }
    return m_keys;
}

void CAnnounceLedger::Keep(const std::vector<StoryKey>& keys) {
    std::lock_guard<std::mutex> lock(m_mutex);
    // A damaged file is written anew (its copy is kept).
    const bool bRewrite = m_bRewrite || keys != m_keys || !FileExists(m_strFile);
    m_keys = keys;
    m_listed.clear();
    for (const StoryKey& key : m_keys) m_listed.insert(FormatLedgerLine(key));
    m_bRewrite = false;
    if (bRewrite) WriteLocked();
}

bool CAnnounceLedger::Add(const StoryKey& key) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::string line = FormatLedgerLine(key);
    if (!m_listed.insert(line).second) return true;
    m_keys.push_back(key);
    const bool bWorkFileCurrent = m_bPrepared && m_nPrepared == m_nGeneration;
    ++m_nGeneration;
    // One line appended: a scan that finds thousands of new stories does
    // not write the whole list again for each.
    const bool bAdded = (!m_strFile.empty() && AppendToFile(m_strFile, line + "\r\n")) || WriteLocked();
    // While stories are being announced the scan may go on adding: the
    // work file of their removal takes the line too, so that only its
    // rename stays between the announcement and its record.
    if (bAdded && bWorkFileCurrent && AppendToFile(m_strFile + ".next", line + "\r\n")) m_nPrepared = m_nGeneration;
    return bAdded;
}

void CAnnounceLedger::PrepareRemoval(const std::vector<StoryKey>& keys) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bPrepared = false;
    std::vector<StoryKey> after = m_keys;
    RemoveKeys(after, keys);
    // Stories the ledger does not list (a run that found them ended
    // meanwhile without a kill, a story added by hand) need no change.
    m_removing = after.size() == m_keys.size() ? std::vector<StoryKey>() : keys;
    if (m_strFile.empty() || m_removing.empty()) return;
    const std::string next = m_strFile + ".next";
    m_bPrepared = WriteFileAtomically(next, Text(after), 0600);
    m_nPrepared = m_nGeneration;
}

void CAnnounceLedger::CommitRemoval(bool bAnnounced) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::string next = m_strFile + ".next";
    if (!bAnnounced || m_removing.empty()) {
        if (m_bPrepared) std::remove(next.c_str());
        m_bPrepared = false;
        m_removing.clear();
        return;
    }
    // The rename comes first: a kill between the announcement and it is
    // what would announce these stories again.
    const bool bRenamed =
        m_bPrepared && m_nPrepared == m_nGeneration && std::rename(next.c_str(), m_strFile.c_str()) == 0;
    RemoveKeys(m_keys, m_removing);
    for (const StoryKey& key : m_removing) m_listed.erase(FormatLedgerLine(key));
    m_removing.clear();
    if (bRenamed || m_strFile.empty()) {
        m_bPrepared = false;
        return;
    }
    if (m_bPrepared) std::remove(next.c_str());
    m_bPrepared = false;
    WriteLocked();
}

std::vector<StoryKey> CAnnounceLedger::Keys() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_keys;
}

std::string CAnnounceLedger::Text(const std::vector<StoryKey>& keys) const {
    std::string text = std::string(kHeading) + "\r\n";
    for (const StoryKey& key : keys) text += FormatLedgerLine(key) + "\r\n";
    return text;
}

bool CAnnounceLedger::WriteLocked() {
    if (m_strFile.empty()) return false;
    return WriteFileAtomically(m_strFile, Text(m_keys), 0600);
}
