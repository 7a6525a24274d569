// CSourceCatalogue: the news sources the program knows (Data/sources.txt),
// each a CNewsSource with up to thirteen CNewsCategory pages the user can
// select for scanning; merges a downloaded catalogue (Data/sourceupdate.txt).
// Every operation holds the catalogue's recursive lock; a walk over the
// sources holds it from FirstSource to its last NextSource, and pointers to
// sources and categories are valid only while the lock is held.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "common/LinkedList.h"
#include "common/RecursiveLock.h"
#include "config/NewsSource.h"

constexpr std::int32_t MAX_CATEGORY_ID = 13;

class CSourceCatalogue : public CRecursiveLock {
public:
    CSourceCatalogue() = default;
    ~CSourceCatalogue() override;

    // path := appDir + "Data/sources.txt"; the update file is
    // appDir + "Data/sourceupdate.txt".
    void SetFileName(const std::string& appDir);
    const std::string& GetFileName() const { return m_strFileName; }
    std::string GetUpdateFileName() const;

    // Reads sources.txt (bUpdateFile 0) or sourceupdate.txt (1) and adds what
    // it reads. A file that cannot be opened changes nothing; result 0 then.
    int Load(int bUpdateFile = 0);
    // Writes the whole catalogue to sources.txt (atomically). False when the
    // file could not be written (a line goes to standard error).
    bool Save();

    // The new source, or null when a source of that name exists or the name
    // is empty.
    CNewsSource* AddSource(const std::string& name, std::int32_t enabled);
    bool SourceExists(const std::string& name);
    CNewsSource* FindSource(const std::string& name);
    // Walk in catalogue (file) order over the catalogue's one cursor; with
    // bEnabledOnly disabled sources are skipped. Null at the end.
    CNewsSource* FirstSource(bool bEnabledOnly);
    CNewsSource* NextSource(bool bEnabledOnly);
    int GetCount();
    // Selected categories of all enabled sources.
    int CountSelected();

    // URL of the page a source descriptor names ("Custom: URL", or
    // "Source (Category)"); "" when there is none.
    std::string GetUrlFor(const std::string& descriptor);
    // Descriptor of a page URL: "Source (Category)" (bDisplayForm 1) or
    // "Source" (0); "Custom: URL" when no category has that URL. A look-up
    // in an index of the pages, built again after a change of the sources.
    std::string GetDescriptorFor(const std::string& url, int bDisplayForm);

    // Merges sourceupdate.txt into the catalogue, deletes it, saves and
    // reloads sources.txt. An update file that cannot be read or holds no
    // source leaves the catalogue unchanged; result false then.
    bool MergeUpdate();

    // Frees every source.
    void RemoveAllSources();
    // The text Save writes: every source line followed by its category lines.
    std::string FormatText();

private:
    using SourceList = CLinkedList<CNewsSource*>;
    int LoadFile(const std::string& path);
    CNewsSource* Step(bool bEnabledOnly, bool bFirst);

    // The source and category names of every page URL (the first source
    // in catalogue order, then the newest category, when several list it).
    struct PageNames {
        std::string source;
        std::string category;
    };
    const PageNames* FindPage(const std::string& url);

    SourceList m_listSources;  // owned, newest at the head, walked from the tail
    std::unordered_map<std::string, PageNames> m_pageIndex;
    bool m_bIndexStale = true;  // set by every change of sources or categories
    std::string m_strFileName;
    std::string m_strAppDir;
};
