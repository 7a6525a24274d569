// Reading web pages for the tokenizer: a page is fetched over HTTP (through
// the configured proxy) and its body handed to a CHtmlParser, which checks
// and holds it. CPageReader is what the story recorder reads article pages
// through, so that tests can give it pages without a network.
#pragma once

#include <functional>
#include <string>

#include "config/ProxySettings.h"
#include "net/HttpFetcher.h"

class CHtmlParser;

// How a page read went: why no page is held (None when one is), and the
// HTTP status of the fetch (0 when no response came).
struct PageReadOutcome {
    FetchFailure failure = FetchFailure::None;
    int httpStatus = 0;
};

// Drops the page page holds and fetches url with fetcher, through
// "server:port" when proxy.useProxy is 1. True when page holds the page
// (not parsed yet); a page the tokenizer refuses (empty, too large, not
// text) counts as a failed read.
bool FetchPageInto(CHttpFetcher& fetcher, const std::string& url, const ProxySettings& proxy, CHtmlParser& page,
                   PageReadOutcome& outcome);

class CPageReader {
public:
    virtual ~CPageReader() = default;
    // Reads the page at url (a full web address) into page, as FetchPageInto.
    virtual bool ReadPage(const std::string& url, CHtmlParser& page, PageReadOutcome& outcome) = 0;
};

// Reads through one fetcher, with the proxy settings as they are at each read.
class CWebPageReader : public CPageReader {
public:
    CWebPageReader(CHttpFetcher& fetcher, std::function<ProxySettings()> proxy)
        : m_fetcher(fetcher), m_proxy(std::move(proxy)) {}

    bool ReadPage(const std::string& url, CHtmlParser& page, PageReadOutcome& outcome) override {
        return FetchPageInto(m_fetcher, url, m_proxy(), page, outcome);
    }

private:
    CHttpFetcher& m_fetcher;
    std::function<ProxySettings()> m_proxy;
};
