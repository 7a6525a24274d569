// CStoryPages: writes the two local pages a story is viewed in around a
// banner (the frame page, and the summary page shown in its upper frame)
// into the pages folder, numbered per run, and deletes them again when the
// program exits. Only files that carry the pages' own mark are ever
// replaced or deleted. The front end decides how to show the frame page and
// hands it to the browser.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CSourceCatalogue;
class CStory;

class CStoryPages {
public:
    // The banner frame loads this path from the banner host.
    static constexpr const char* BANNER_PATH = "/products/banner/";
    // Our own empty page the banner frame shows when there is no banner host.
    static constexpr const char* EMPTY_BANNER_PAGE = "banner.html";
    // Every page written here carries this in its <head> line: the mark that
    // tells our pages from files of the same name that are not ours.
    static constexpr const char* PAGE_MARK = "<meta name=\"generator\" content=\"Skimbolt story page\">";
    // Follows the mark: the writing process, as content="PID@HOST".
    static constexpr const char* WRITER_MARK = "<meta name=\"skimbolt-writer\" content=";

    // The catalogue turns a story's source into the source page link; it
    // must outlive this object.
    explicit CStoryPages(CSourceCatalogue& catalogue) : m_catalogue(catalogue) {}
    CStoryPages(const CStoryPages&) = delete;
    CStoryPages& operator=(const CStoryPages&) = delete;

    // The folder the pages and their companion files lie in; a relative
    // folder is made absolute, since the pages link to it by file:// URLs.
    // Without a folder ("") no page is written.
    void SetDataFolder(const std::string& dataFolder);
    // Makes the folder (mode 0700; an existing one of this user is made
    // private), removes the pages a run that ended without its clean-up
    // left (RemoveLeftoverPages) and copies the companion files it lacks
    // into it (once; again after SetDataFolder). False when the folder
    // cannot be made or is a symbolic link. Writing the first page does it too.
    bool PrepareFolder();
    const std::string& GetDataFolder() const { return m_strDataFolder; }
    // The host (and optional ":port") of the banner server; "" or a value
    // that is no plain host name gives the empty banner page of our own.
    void SetBannerHost(const std::string& host);
    bool HasBannerHost() const { return !m_strBannerHost.empty(); }
    // What the banner frame loads.
    std::string BannerUrl() const;

    // Writes the summary page and the frame page (mode 0600, never through a
    // symbolic link) of the current page number and moves on to the next
    // number. A number whose page file exists without our mark, or is a
    // symbolic link (reported), is passed over, the file left alone. True with
    // framePath set when both were written; false when a page could not be
    // written, the number then staying as it was.
    bool WritePages(const CStory& story, std::string& framePath);
    // Deletes the pages written in this run, newest first, summary page
    // before frame page; a page that cannot be deleted is left (and its
    // number's frame page with it), and so is a file that lost our mark
    // meanwhile. Numbering starts again at 1.
    void CleanUpPages();
    // Whether the file at path is a page of ours (it carries our mark); a
    // symbolic link never is.
    static bool IsOurPage(const std::string& path);
    // Deletes the pages in folder that carry our mark and whose writer is
    // known to have ended (a process of this host that is gone, or an
    // earlier version that named none); files without the mark and pages
    // of a run still going stay, and a symbolic link of a page's name is
    // reported and left. The number of pages deleted.
    static int RemoveLeftoverPages(const std::string& folder);

    // The number the next story's pages get; 1 at start.
    std::int32_t GetPageCounter() const { return m_nPageCounter; }
    // "temp_%04d_s.html" and "temp_%04d.html" in the data folder.
    std::string SummaryPagePath(std::int32_t n) const;
    std::string FramePagePath(std::int32_t n) const;
    // The file:// URL of a page written here, for the browser.
    static std::string PageUrl(const std::string& path);

private:
    // A number whose two page files are free or ours.
    bool NumberIsFree(std::int32_t n) const;
    std::string FormatSummaryPage(const CStory& story) const;
    std::string FormatFramePage(const CStory& story, const std::string& summaryPath) const;

    CSourceCatalogue& m_catalogue;
    std::string m_strDataFolder;  // ends with '/'
    std::string m_strBannerHost;
    std::int32_t m_nPageCounter = 1;
    std::vector<std::int32_t> m_written;  // the numbers written in this run
    bool m_bFolderReady = false;
};
