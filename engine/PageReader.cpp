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

std::string ProxyServer(const ProxySettings& proxy) {
    if (proxy.useProxy != 1) return std::string();
    char port[16];
    std::snprintf(port, sizeof port, ":%d", proxy.port);
    return proxy.server + port;
}

}  // namespace

bool FetchPageInto(CHttpFetcher& fetcher, const std::string& url, const ProxySettings& proxy, CHtmlParser& page,
                   PageReadOutcome& outcome) {
    page.ReleasePage();
    outcome = PageReadOutcome{FetchFailure::BadUrl, 0};
    if (url.empty()) return false;
    CUrlParts parts;
    if (!parts.Set(url)) return false;
    const std::string server = ProxyServer(proxy);
    FetchResult fetched;
    fetcher.FetchUrl(parts, proxy.useProxy == 1 ? server.c_str() : nullptr, proxy.user.c_str(),
                     proxy.password.c_str(), fetched);
    return TakeFetchedInto(std::move(fetched), page, outcome);
}

CFetchPool::Request PoolRequest(const std::string& url, const ProxySettings& proxy) {
    CFetchPool::Request request;
    request.url = url;
    request.proxy = ProxyServer(proxy);
    request.user = proxy.user;
    request.password = proxy.password;
    return request;
}

bool TakeFetchedInto(FetchResult&& fetched, CHtmlParser& page, PageReadOutcome& outcome) {
    page.ReleasePage();
    outcome.failure = fetched.failure;
    outcome.httpStatus = fetched.httpStatus;
    if (fetched.failure != FetchFailure::None) return false;
    if (page.TakeFetchedPage(std::move(fetched.body), fetched.contentType)) return true;
    outcome.failure = FailureOf(page.GetRefusal());
    return false;
}
