// CSourceHealth: the outcome of the last read of every page the scanning
// thread reads (category page or custom URL): when, and either how many
// story links it gave, how many of them were new and how many of their
// article pages could not be read, or why it failed. Kept across runs in
// Data/health.txt (owner-only, replaced atomically; lines that cannot be
// read are skipped), written when a scan cycle ends and at the stop rather
// than after every page; offered to the windows and printed by the
// headless commands.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

struct PageHealth {
    std::string url;
    std::int64_t tRead = 0;  // seconds since 1970
    bool bOk = false;
    int nStoryLinks = 0;     // when read
    int nNewStories = 0;     // when read
    std::string failure;     // why not, in words, when not read
    int nArticleFailures = 0;  // when read: article pages of its stories that could not be read
    bool bNotModified = false;  // read with a 304: unchanged since the read before
    // The page's validators, sent with its next request ("" for none).
    std::string etag = {};
    std::string lastModified = {};

    // "read, 12 story links, 3 new" (and ", 2 article pages not read" when
    // some were not), "read, not changed (HTTP 304)", or the failure.
    std::string Outcome() const;
};

class CSourceHealth {
public:
    // The file name inside the data folder.
    static constexpr const char* FILE_NAME = "health.txt";

    // Writes text to path atomically; true when it did.
    using Writer = std::function<bool(const std::string& path, const std::string& text)>;

    CSourceHealth();

    // Reads dataFolder's health file, if any; later records are saved there.
    void Load(const std::string& dataFolder);

    // Any thread: records the outcome of one read, replacing the page's
    // earlier one, in memory only.
    void Record(const PageHealth& health);
    // Any thread: writes the file when something was recorded since the
    // last write. False when the write failed (the outcomes stay to be
    // written next time).
    bool Save();
    // Replaces the file writer (tests count the writes).
    void SetWriter(Writer writer) { m_writer = std::move(writer); }

    // Every page's last outcome, in the order first recorded.
    std::vector<PageHealth> Snapshot() const;
    // The outcome of one page; false when it was never read.
    bool Find(const std::string& url, PageHealth& health) const;

private:
    void Put(PageHealth health);

    mutable std::mutex m_mutex;
    std::mutex m_saveMutex;  // one write at a time, in the order of the texts
    std::string m_strFile;
    std::vector<PageHealth> m_pages;
    std::unordered_map<std::string, std::size_t> m_index;  // url -> position in m_pages
    bool m_bDirty = false;
    Writer m_writer;
};

// Seconds since 1970 as local "YYYY-MM-DD HH:MM", "never" for 0.
std::string FormatReadTime(std::int64_t t);

// One configured page as the source status window lists it.
struct SourceStatusRow {
    std::string url;
    std::string lastRead;  // "never" when not read yet
    std::string outcome;
    bool bFailing = false;
};

// The rows for the configured pages: failing pages first, then pages not read
// yet, then the pages read well; each group in configuration order.
std::vector<SourceStatusRow> SourceStatusRows(const std::vector<std::string>& pages, const CSourceHealth& health);
