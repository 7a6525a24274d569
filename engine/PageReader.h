// Reading web pages for the tokenizer: a page is fetched over HTTP (through
// the configured proxy) and its body handed to a CHtmlParser, which checks
// and holds it. CPageReader is what the story recorder reads article pages
// through, so that tests can give it pages without a network.
#pragma once

#include <functional>
#include <string>

#include "config/ProxySettings.h"
#include "net/AddressFence.h"
#include "net/HttpFetcher.h"

class CHtmlParser;

// How a page read went: why no page is held (None when one is), and the
// HTTP status of the fetch (0 when no response came).
struct PageReadOutcome {
    FetchFailure failure = FetchFailure::None;
    int httpStatus = 0;
};

// Drops the page page holds and fetches url with fetcher, through
// "server:port" when proxy.useProxy is 1, every address connected passing
// fence when one is given. True when page holds the page (not parsed yet);
// a page the tokenizer refuses (empty, too large, not text) counts as a
// failed read.
bool FetchPageInto(CHttpFetcher& fetcher, const std::string& url, const ProxySettings& proxy, CHtmlParser& page,
                   PageReadOutcome& outcome, CAddressFence* fence = nullptr);

class CPageReader {
public:
    virtual ~CPageReader() = default;
    // Reads the page at url (a full web address), a link on a page of kind
    // pageKind, into page, as FetchPageInto; a local address of another
    // kind is not fetched.
    virtual bool ReadPage(const std::string& url, AddressKind pageKind, CHtmlParser& page,
                          PageReadOutcome& outcome) = 0;
};

// Reads through one fetcher, with the proxy settings as they are at each read.
class CWebPageReader : public CPageReader {
public:
    CWebPageReader(CHttpFetcher& fetcher, std::function<ProxySettings()> proxy)
        : m_fetcher(fetcher), m_proxy(std::move(proxy)) {}

    bool ReadPage(const std::string& url, AddressKind pageKind, CHtmlParser& page, PageReadOutcome& outcome) override {
        CAddressFence fence = CAddressFence::LedFrom(pageKind);
        return FetchPageInto(m_fetcher, url, m_proxy(), page, outcome, &fence);
    }

private:
    CHttpFetcher& m_fetcher;
    std::function<ProxySettings()> m_proxy;
};
