#include "app/SourceHealth.h"

#include <charconv>
#include <ctime>

#include "common/FileUtil.h"

namespace {

// Fields of a line are separated by tabs; none of them holds a tab or a
// line end (page URLs are stored without control characters).
std::string Clean(std::string text) {
    for (char& c : text)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return text;
}

bool ParseInt(std::string_view text, std::int64_t& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

bool ParseLine(std::string_view line, PageHealth& health) {
    std::vector<std::string_view> fields;
    for (std::size_t pos = 0;;) {
        const std::size_t tab = line.find('\t', pos);
        fields.push_back(line.substr(pos, tab == std::string_view::npos ? std::string_view::npos : tab - pos));
        if (tab == std::string_view::npos) break;
        pos = tab + 1;
    }
    // Six fields; a seventh counts the article pages not read; ten add the
    // 304 mark and the validators. Older files have six.
    std::int64_t t = 0, ok = 0, links = 0, fresh = 0, articles = 0, notModified = 0;
    if (fields.size() == 10 && (!ParseInt(fields[7], notModified) || (notModified != 0 && notModified != 1)))
        return false;
    if ((fields.size() != 6 && fields.size() != 7 && fields.size() != 10) || fields[0].empty() ||
        !ParseInt(fields[1], t) || !ParseInt(fields[2], ok) || (ok != 0 && ok != 1) || !ParseInt(fields[3], links) ||
        !ParseInt(fields[4], fresh) || links < 0 ||
        fresh < 0 || links > 1000000 || fresh > links)
        return false;
    if (fields.size() >= 7 && (!ParseInt(fields[6], articles) || articles < 0 || articles > links)) return false;
    health.url = std::string(fields[0]);
    health.tRead = t;
    health.bOk = ok == 1;
    health.nStoryLinks = static_cast<int>(links);
    health.nNewStories = static_cast<int>(fresh);
    health.nArticleFailures = static_cast<int>(articles);
    health.failure = std::string(fields[5]);
    if (fields.size() == 10) {
        health.bNotModified = notModified == 1;
        health.etag = std::string(fields[8]);
        health.lastModified = std::string(fields[9]);
    }
    return true;
}

}  // namespace

std::string PageHealth::Outcome() const {
    if (!bOk) return failure.empty() ? std::string("not read") : failure;
    if (bNotModified) return "read, not changed (HTTP 304)";
    std::string text = "read, " + std::to_string(nStoryLinks) +
                       (nStoryLinks == 1 ? " story link, " : " story links, ") + std::to_string(nNewStories) + " new";
    if (nArticleFailures > 0)
        text += ", " + std::to_string(nArticleFailures) +
                (nArticleFailures == 1 ? " article page not read" : " article pages not read");
    return text;
}

CSourceHealth::CSourceHealth()
    : m_writer([](const std::string& path, const std::string& text) { return WriteFileAtomically(path, text, 0600); }) {}

void CSourceHealth::Put(PageHealth health) {
    const auto [it, bNew] = m_index.try_emplace(health.url, m_pages.size());
    if (bNew)
        m_pages.push_back(std::move(health));
    else
        m_pages[it->second] = std::move(health);
}

void CSourceHealth::Load(const std::string& dataFolder) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_strFile = JoinPath(dataFolder, FILE_NAME);
    m_pages.clear();
    m_index.clear();
    m_bDirty = false;
    std::string text;
    if (!ReadWholeFile(m_strFile, text)) return;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        PageHealth health;
        if (ParseLine(line, health)) Put(std::move(health));
        pos = end + 1;
    }
}

void CSourceHealth::Record(const PageHealth& health) {
    std::lock_guard<std::mutex> lock(m_mutex);
    PageHealth clean = health;
    clean.url = Clean(clean.url);
    clean.failure = Clean(clean.failure);
    clean.etag = Clean(clean.etag);
    clean.lastModified = Clean(clean.lastModified);
    Put(std::move(clean));
    m_bDirty = true;
}

bool CSourceHealth::Save() {
    std::lock_guard<std::mutex> saving(m_saveMutex);
    std::string path, text;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_bDirty || m_strFile.empty()) return true;
        for (const PageHealth& p : m_pages) {
            text += p.url + '\t' + std::to_string(p.tRead) + '\t' + (p.bOk ? "1" : "0") + '\t' +
                    std::to_string(p.nStoryLinks) + '\t' + std::to_string(p.nNewStories) + '\t' + p.failure + '\t' +
                    std::to_string(p.nArticleFailures);
            if (p.bNotModified || !p.etag.empty() || !p.lastModified.empty())
                text += std::string("\t") + (p.bNotModified ? "1" : "0") + '\t' + p.etag + '\t' + p.lastModified;
            text += "\r\n";
        }
        path = m_strFile;
        m_bDirty = false;
    }
    if (m_writer(path, text)) return true;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bDirty = true;
    return false;
}

std::vector<PageHealth> CSourceHealth::Snapshot() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_pages;
}

bool CSourceHealth::Find(const std::string& url, PageHealth& health) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_index.find(url);
    if (it == m_index.end()) return false;
    health = m_pages[it->second];
    return true;
}

std::string FormatReadTime(std::int64_t t) {
    if (t == 0) return "never";
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm local{};
    localtime_r(&tt, &local);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M", &local);
    return buf;
}

std::vector<SourceStatusRow> SourceStatusRows(const std::vector<std::string>& pages, const CSourceHealth& health) {
    std::vector<SourceStatusRow> failing, unread, good;
    for (const std::string& url : pages) {
        SourceStatusRow row;
        row.url = url;
        PageHealth page;
        if (!health.Find(url, page)) {
            row.lastRead = FormatReadTime(0);
            row.outcome = "not read yet";
            unread.push_back(std::move(row));
            continue;
        }
        row.lastRead = FormatReadTime(page.tRead);
        row.outcome = page.Outcome();
        row.bFailing = !page.bOk;
        (row.bFailing ? failing : good).push_back(std::move(row));
    }
    failing.insert(failing.end(), unread.begin(), unread.end());
    failing.insert(failing.end(), good.begin(), good.end());
    return failing;
}
