// --links and --article: the link rules and the article extraction on one
// page, without touching the application folder's data.
#include <cstdio>
#include <string>

#include "app/PageLook.h"
#include "app/StoryTypes.h"
#include "cli/CommandRunners.h"

namespace {

// Reads the page; prints why when it cannot.
bool LoadPage(CPageLook& look, const std::string& home, const std::string& page) {
    std::string error;
    if (look.Load(home, page, error)) return true;
    std::fprintf(stderr, "skimbolt: %s\n", error.c_str());
    return false;
}

}  // namespace

int RunLinks(const std::string& home, const std::string& page, const std::string& pageUrlOption, bool bFiltered) {
    std::string pageUrl = pageUrlOption;
    if (pageUrl.empty()) {
        if (!CPageLook::IsWebAddress(page)) {
            std::fputs("skimbolt: --links with a file needs --page-url URL (the address the page came from)\n"
                       "Try 'skimbolt --help'.\n",
                       stderr);
            return EXIT_USAGE;
        }
        pageUrl = page;
    }
    CPageLook look;
    if (!LoadPage(look, home, page)) return EXIT_FAILED;
    for (const PageLink& link : look.StoryLinks(pageUrl, bFiltered)) {
        std::printf("%s\t%s\t%s", OutputField(link.headline).c_str(), OutputField(link.url).c_str(),
                    OutputField(link.description).c_str());
        // Unfiltered, a fourth field names the filter's rule that drops the link.
        if (!bFiltered) std::printf("\t%s", link.dropRule.c_str());
        std::printf("\n");
    }
    std::fflush(stdout);
    return EXIT_OK;
}

int RunArticle(const std::string& home, const std::string& page, const std::string& headline) {
    CPageLook look;
    if (!LoadPage(look, home, page)) return EXIT_FAILED;
    const std::string text = look.ArticleText(headline);
    if (text.empty()) {
        std::fprintf(stderr, "skimbolt: no article text found for that headline in %s\n", page.c_str());
        return EXIT_OK;
    }
    std::printf("%s\n", CPageLook::Printable(text).c_str());
    std::fflush(stdout);
    return EXIT_OK;
}
