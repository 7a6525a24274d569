#include "engine/PageReader.h"

#include <cstdio>
#include <utility>

#include "html/HtmlParser.h"
#include "net/UrlParts.h"

namespace {

FetchFailure FailureOf(PageRefusal refusal) {
    switch (refusal) {
    case PageRefusal::Empty: return FetchFailure::Empty;
    case PageRefusal::TooLarge: return FetchFailure::TooLarge;
    case PageRefusal::NotHtml: return FetchFailure::NotHtml;
    case PageRefusal::None: break;
    }
    return FetchFailure::None;
}

}  // namespace

bool FetchPageInto(CHttpFetcher& fetcher, const std::string& url, const ProxySettings& proxy, CHtmlParser& page,
                   PageReadOutcome& outcome, CAddressFence* fence) {
    page.ReleasePage();
    outcome = PageReadOutcome{FetchFailure::BadUrl, 0};
    if (url.empty()) return false;
    CUrlParts parts;
    if (!parts.Set(url)) return false;
    std::string server;
    if (proxy.useProxy == 1) {
        char port[16];
        std::snprintf(port, sizeof port, ":%d", proxy.port);
        server = proxy.server + port;
    }
    FetchResult fetched;
    const int ok = fetcher.FetchUrl(parts, proxy.useProxy == 1 ? server.c_str() : nullptr, proxy.user.c_str(),
                                    proxy.password.c_str(), fetched, fence);
    outcome.failure = fetched.failure;
    outcome.httpStatus = fetched.httpStatus;
    if (!ok) return false;
    if (page.TakeFetchedPage(std::move(fetched.body), fetched.contentType)) return true;
    outcome.failure = FailureOf(page.GetRefusal());
    return false;
}
