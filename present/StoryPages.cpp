#include "present/StoryPages.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <signal.h>
#include <unistd.h>

#include "common/Diagnostics.h"
#include "common/FileUtil.h"
#include "common/SafeFiles.h"
#include "config/SourceCatalogue.h"
#include "present/CompanionFiles.h"
#include "present/HtmlEscaping.h"
#include "store/Story.h"

namespace {

// Paths inside the pages always use '/', whatever the platform writes.
std::string WithSlashes(std::string path) {
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

bool IsPlainHost(const std::string& host) {
    if (host.empty() || host.size() > 260) return false;
    for (char c : host)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != ':' && c != '[' && c != ']')
            return false;
    return true;
}

// Builds a page line by line: every line ends with CR LF, many of them after
// nine blanks; the last line of a page has no line end.
class CPageText {
public:
    void Line(int nIndent, const std::string& text, bool bTrailingBlanks = true) {
        m_text.append(nIndent, ' ');
        m_text += text;
        if (bTrailingBlanks) m_text.append(9, ' ');
        m_text += "\r\n";
    }
    std::string Finish(const std::string& lastLine) { return m_text + lastLine; }

private:
    std::string m_text;
};

bool WritePage(const std::string& path, const std::string& text) {
    errno = 0;
    std::FILE* f = OpenFileStream(path, "wb");
    bool bOk = f && std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (f && std::fclose(f) != 0) bOk = false;
    if (bOk) return true;
    if (errno == ELOOP) ReportSymbolicLink(path);
    else ReportDiagnostic(DiagnosticKind::SaveFailed, path, errno ? std::strerror(errno) : "not written");
    return false;
}

// "PID@HOST" of this process: who wrote a page, so that a later start tells
// the pages of a run that ended from those of one still running.
std::string WriterId() {
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
    return std::to_string(::getpid()) + "@" + EscapeHtml(host);
}

// Whether the writer named in a page's head is known to have ended: a
// process of this host that is gone. Pages of earlier versions name none.
bool WriterEnded(const std::string& head) {
    const std::string key = std::string(CStoryPages::WRITER_MARK) + "\"";
    const std::size_t at = head.find(key);
    if (at == std::string::npos) return true;
    const std::size_t end = head.find('"', at + key.size());
    if (end == std::string::npos) return false;
    const std::string id = head.substr(at + key.size(), end - at - key.size());
    const std::size_t sign = id.find('@');
    const std::string mine = WriterId();
    if (sign == std::string::npos || id.substr(sign) != mine.substr(mine.find('@'))) return false;
    char* rest = nullptr;
    const long pid = std::strtol(id.c_str(), &rest, 10);
    if (rest != id.c_str() + sign || pid <= 0 || pid > std::numeric_limits<pid_t>::max()) return false;
    if (pid == ::getpid()) return false;
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

// "temp_NNNN.html" or "temp_NNNN_s.html", with four digits or more.
bool IsPageName(const std::string& name) {
    if (name.compare(0, 5, "temp_") != 0) return false;
    std::size_t i = 5;
    while (i < name.size() && std::isdigit(static_cast<unsigned char>(name[i]))) ++i;
    if (i < 9) return false;
    const std::string rest = name.substr(i);
    return rest == ".html" || rest == "_s.html";
}

// The first bytes of a page: enough for the head line with both marks.
std::string PageHead(const std::string& path) {
    std::FILE* f = OpenFileStream(path, "rb");
    if (!f) return std::string();
    char head[512];
    const size_t n = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    return std::string(head, n);
}

}  // namespace

void CStoryPages::SetDataFolder(const std::string& dataFolder) {
    m_bFolderReady = false;
    if (dataFolder.empty()) {
        m_strDataFolder.clear();  // no pages are written
        return;
    }
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::absolute(dataFolder.empty() ? "." : dataFolder, ec);
    m_strDataFolder = WithTrailingSeparator(ec ? dataFolder : folder.string());
}

bool CStoryPages::PrepareFolder() {
    if (m_bFolderReady) return true;
    if (m_strDataFolder.empty()) return false;
    std::error_code ec;
    // The folder's parents are the user's; the folder itself is ours and private.
    std::string folder = m_strDataFolder;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    const std::filesystem::path parent = std::filesystem::path(folder).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);
    if (ec || !MakePrivateFolder(folder)) {
        if (!ec && errno == ELOOP) ReportSymbolicLink(folder);
        else ReportDiagnostic(DiagnosticKind::SaveFailed, m_strDataFolder, ec ? ec.message() : std::strerror(errno));
        return false;
    }
    MakePrivate(folder);
    RemoveLeftoverPages(m_strDataFolder);
    InstallCompanionFiles(CompanionSourceFolder(), m_strDataFolder);
    m_bFolderReady = true;
    return true;
}

bool CStoryPages::IsOurPage(const std::string& path) { return PageHead(path).find(PAGE_MARK) != std::string::npos; }

int CStoryPages::RemoveLeftoverPages(const std::string& folder) {
    int nRemoved = 0;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!IsPageName(name)) continue;
        const std::string path = it->path().string();
        if (it->is_symlink(ec)) {
            ReportSymbolicLink(path);
            continue;
        }
        const std::string head = PageHead(path);
        if (head.find(PAGE_MARK) != std::string::npos && WriterEnded(head) && ::unlink(path.c_str()) == 0) ++nRemoved;
    }
    return nRemoved;
}

bool CStoryPages::NumberIsFree(std::int32_t n) const {
    std::error_code ec;
    for (const std::string& path : {SummaryPagePath(n), FramePagePath(n)}) {
        const std::filesystem::file_status status = std::filesystem::symlink_status(path, ec);
        if (!std::filesystem::exists(status)) continue;
        if (std::filesystem::is_symlink(status)) ReportSymbolicLink(path);
        if (std::filesystem::is_symlink(status) || !IsOurPage(path)) return false;
    }
    return true;
}

void CStoryPages::SetBannerHost(const std::string& host) { m_strBannerHost = IsPlainHost(host) ? host : ""; }

std::string CStoryPages::BannerUrl() const {
    if (m_strBannerHost.empty()) return "file://" + WithSlashes(m_strDataFolder) + EMPTY_BANNER_PAGE;
    return "http://" + m_strBannerHost + BANNER_PATH;
}

std::string CStoryPages::SummaryPagePath(std::int32_t n) const {
    char name[32];
    std::snprintf(name, sizeof name, "temp_%04d_s.html", static_cast<int>(n));
    return m_strDataFolder + name;
}

std::string CStoryPages::FramePagePath(std::int32_t n) const {
    char name[32];
    std::snprintf(name, sizeof name, "temp_%04d.html", static_cast<int>(n));
    return m_strDataFolder + name;
}

std::string CStoryPages::PageUrl(const std::string& path) { return "file://" + WithSlashes(path); }

bool CStoryPages::WritePages(const CStory& story, std::string& framePath) {
    if (!PrepareFolder()) return false;
    // Someone else's file of a page's name is left alone: the number is passed over.
    constexpr int kNumbersTried = 1000;
    for (int i = 0; i < kNumbersTried && !NumberIsFree(m_nPageCounter); ++i) ++m_nPageCounter;
    if (!NumberIsFree(m_nPageCounter)) return false;
    const std::string summaryPath = SummaryPagePath(m_nPageCounter);
    if (!WritePage(summaryPath, FormatSummaryPage(story))) return false;
    const std::string frame = FramePagePath(m_nPageCounter);
    if (!WritePage(frame, FormatFramePage(story, summaryPath))) return false;
    framePath = frame;
    m_written.push_back(m_nPageCounter);
    ++m_nPageCounter;
    return true;
}

void CStoryPages::CleanUpPages() {
    for (auto it = m_written.rbegin(); it != m_written.rend(); ++it) {
        const std::string summary = SummaryPagePath(*it);
        if (!IsOurPage(summary) || std::remove(summary.c_str()) != 0) continue;
        const std::string frame = FramePagePath(*it);
        if (IsOurPage(frame)) std::remove(frame.c_str());
    }
    m_written.clear();
    m_nPageCounter = 1;
}

// Text from the web (headline, description, source name) and the keyword
// text are escaped; links from the web are kept only when they are http or
// https. Both pages declare UTF-8 and carry our mark in their <head> line,
// so that the line count stays that of the original layout.
std::string CStoryPages::FormatSummaryPage(const CStory& story) const {
    const std::string displayName = story.GetSourceName(true, &m_catalogue);
    const std::string sourceUrl = EscapeHtml(WebLinkOnly(m_catalogue.GetUrlFor(displayName)));
    const std::string storyUrl = EscapeHtml(WebLinkOnly(story.GetUrl()));
    const std::string folder = EscapeHtml(WithSlashes(m_strDataFolder));

    CPageText page;
    page.Line(0, "<html>", false);
    page.Line(0, std::string("<head><meta charset=\"utf-8\">") + PAGE_MARK + WRITER_MARK + "\"" + WriterId() + "\"></head>",
              false);
    page.Line(0, "<body bgcolor=#ffffff TEXT=#000000>");
    page.Line(0, "", false);
    page.Line(0, "<table border=0 cellspacing=6 cellpadding=0 width=\"100%\">");
    page.Line(2, "<tr><td width=\"50%\" align=\"right\"><img SRC=\"skimbolt_small.gif\" width=\"130\" height=\"21\" "
                 "ALT=\"Skimbolt\"></td>");
    page.Line(4, "<td width=\"50%\" align=\"right\">");
    page.Line(6, "<a href=\"" + storyUrl + "\" target=\"_top\"><img src=\"" + folder +
                     "noframes.gif\" width=\"60\" height=\"16\" border=\"0\"></a>");
    page.Line(4, "</td></tr>");
    page.Line(0, "</table>");
    page.Line(0, "<table border=0 cellspacing=0 cellpadding=0>");
    page.Line(2, "<tr><td vAlign=\"middle\"><font face=\"verdana, arial, helvetica\" color=#004080 size=-1><b>Title: "
                 "&nbsp; </b></font></td>");
    page.Line(4, "<td vAlign=\"top\"><font face=\"verdana, arial, helvetica\" size=-1><b>" +
                     EscapeHtml(story.GetHeadline()) + "</b></font></td></tr>");
    page.Line(0, "</table>");
    page.Line(0, "<table width=\"100%\" border=0 cellspacing=0 cellpadding=0>");
    page.Line(2, "<tr><td width=\"50%\" valign=\"top\">");
    page.Line(6, "<table border=0 cellspacing=0 cellpadding=0>");
    page.Line(9, "<tr><td vAlign=\"top\"><font face=\"verdana, arial, helvetica\" color=#004080 size=-1><b>Source: "
                 "&nbsp; </b></font></td>");
    page.Line(10, "<td vAlign=\"top\"><font face=\"tahoma, verdana, arial, helvetica\" size=-1>");
    page.Line(12, "<a href=\"" + sourceUrl + "\" target=\"_top\">" + EscapeHtml(displayName) + "</a></font>");
    page.Line(10, "</td></tr>");
    page.Line(6, "</table>");
    page.Line(4, "</td><td width=\"50%\" valign=\"top\">");
    page.Line(6, "<table border=0 cellspacing=0 cellpadding=0>");
    page.Line(8, "<tr><td vAlign=\"top\"><font face=\"verdana, arial, helvetica\" color=#004080 size=-1><b>Keywords: "
                 "&nbsp; </b></font></td>");
    page.Line(8, "<td vAlign=\"top\"><font face=\"tahoma, verdana, arial, helvetica\" size=-1>" +
                     EscapeHtml(story.GetKeywords()) + "</font></td></tr>");
    page.Line(6, "</table>");
    page.Line(4, "</td></tr>");
    page.Line(0, "</table>", false);
    if (!story.GetDescription().empty()) {
        page.Line(0, "", false);
        page.Line(0, "<table border=0 cellspacing=0 cellpadding=0>");
        page.Line(2, "<tr><td vAlign=\"top\"><font face=\"verdana, arial, helvetica\" size=-1 color=#004080>"
                     "<b>Description: &nbsp; </b></font></td>");
        page.Line(4, "<td vAlign=\"top\"><font face=\"verdana, arial, helvetica\" size=-1>" +
                         EscapeHtml(story.GetDescription()) + "</font></td></tr>");
        page.Line(0, "</table>", false);
    }
    page.Line(0, "</body>", false);
    return page.Finish("</html>");
}

std::string CStoryPages::FormatFramePage(const CStory& story, const std::string& summaryPath) const {
    const std::string folder = "file://" + EscapeHtml(WithSlashes(m_strDataFolder));
    const std::string storyUrl = EscapeHtml(WebLinkOnly(story.GetUrl()));

    CPageText page;
    page.Line(0, "<html>", false);
    page.Line(0, std::string("<head><meta charset=\"utf-8\">") + PAGE_MARK + WRITER_MARK + "\"" + WriterId() + "\">", false);
    page.Line(2, "<title>" + EscapeHtml(story.GetHeadline()) + "</title>", false);
    page.Line(0, "</head>");
    page.Line(0, "", false);
    page.Line(0, "<FRAMESET ROWS=\"90,1,*,1,70\" FRAMEBORDER=\"0\" BORDER=NO framespacing=\"0\">");
    page.Line(0, "<FRAMESET COLS=\"100, *\" FRAMEBORDER=\"0\" BORDER=NO framespacing=\"0\">");
    page.Line(4, "<FRAME SRC=\"" + folder +
                     "top_left.html\" MARGINHEIGHT=\"0\" NAME=\"top_left\" noresize scrolling=\"no\">");
    page.Line(4, "<FRAME SRC=\"file://" + EscapeHtml(WithSlashes(summaryPath)) +
                     "\" MARGINHEIGHT=\"0\" NAME=\"summary\" noresize>");
    page.Line(2, "</FRAMESET>");
    page.Line(2, "<FRAME SRC=\"" + folder + "line.html\" name=\"top_line\" noresize scrolling=\"no\">");
    page.Line(2, "<FRAME SRC=\"" + storyUrl + "\" NAME=\"story\" noresize>");
    page.Line(2, "<FRAME SRC=\"" + folder + "line.html\" name=\"btm_line\" noresize scrolling=\"no\">");
    page.Line(2, "<FRAMESET COLS=\"100, *, 100\" FRAMEBORDER=\"0\" BORDER=NO framespacing=\"0\">");
    page.Line(4, "<FRAME SRC=\"" + folder +
                     "btm_left.html\" MARGINHEIGHT=\"0\" NAME=\"btm_left\" noresize scrolling=\"no\">");
    page.Line(4, "<FRAME SRC=\"" + EscapeHtml(BannerUrl()) +
                     "\" MARGINWIDTH=\"0\" MARGINHEIGHT=\"0\" NAME=\"ad\" noresize scrolling=\"no\">");
    page.Line(4, "<FRAME SRC=\"" + folder +
                     "btm_right.html\" MARGINWIDTH=\"0\" MARGINHEIGHT=\"0\" NAME=\"btm_right\" noresize "
                     "scrolling=\"no\">");
    page.Line(2, "</FRAMESET>");
    page.Line(0, "</FRAMESET>");
    return page.Finish("</html>");
}
