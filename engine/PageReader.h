// Reading web pages for the tokenizer: a page is fetched over HTTP (through
// the configured proxy) and its body handed to a CHtmlParser, which checks
// and holds it. CPageReader is what the story recorder reads article pages
// through, so that tests can give it pages without a network; a reader may
// start reads ahead of the moment their pages are wanted.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "config/ProxySettings.h"
#include "net/AddressFence.h"
#include "net/FetchPool.h"
#include "net/HttpFetcher.h"

class CHtmlParser;

// How a page read went: why no page is held (None when one is), and the
// HTTP status of the fetch (0 when no response came).
struct PageReadOutcome {
    FetchFailure failure = FetchFailure::None;
    int httpStatus = 0;
};

// Drops the page page holds and fetches url with fetcher, through
// "server:port" when proxy.useProxy is 1. True when page holds the page (not parsed yet);
// a page the tokenizer refuses (empty, too large, not text) counts as a
// failed read.
bool FetchPageInto(CHttpFetcher& fetcher, const std::string& url, const ProxySettings& proxy, CHtmlParser& page,
                   PageReadOutcome& outcome);

// The pool request for url through proxy (as FetchPageInto reaches it).
CFetchPool::Request PoolRequest(const std::string& url, const ProxySettings& proxy);

// Drops the page page holds and hands it what a fetch brought back, as
// FetchPageInto does after its fetch. True when page holds the page.
bool TakeFetchedInto(FetchResult&& fetched, CHtmlParser& page, PageReadOutcome& outcome);

class CPageReader {
public:
    using ReadHandle = std::uint64_t;  // 0: no read started

    virtual ~CPageReader() = default;
    // Reads the page at url (a full web address), a link on a page of kind
    // pageKind, into page, as FetchPageInto; a local address of another
    // kind is not fetched.
    virtual bool ReadPage(const std::string& url, AddressKind pageKind, CHtmlParser& page,
                          PageReadOutcome& outcome) = 0;
    // Starts reading url ahead, as ReadPage would; the page is then taken
    // with FinishRead (or forgotten with DropRead). A reader that cannot
    // read ahead returns 0.
    virtual ReadHandle StartRead(const std::string&, AddressKind) { return 0; }
    virtual bool FinishRead(ReadHandle, const std::string& url, AddressKind pageKind, CHtmlParser& page,
                            PageReadOutcome& outcome) {
        return ReadPage(url, pageKind, page, outcome);
    }
    virtual void DropRead(ReadHandle) {}
};

// Reads through a pool of fetchers: reads started ahead run side by side.
class CPooledPageReader : public CPageReader {
public:
    CPooledPageReader(CFetchPool& pool, std::function<ProxySettings()> proxy)
        : m_pool(pool), m_proxy(std::move(proxy)) {}

    bool ReadPage(const std::string& url, AddressKind pageKind, CHtmlParser& page, PageReadOutcome& outcome) override {
        return FinishRead(StartRead(url, pageKind), url, pageKind, page, outcome);
    }
    ReadHandle StartRead(const std::string& url, AddressKind pageKind) override {
        CFetchPool::Request request = PoolRequest(url, m_proxy());
        request.ledFrom = pageKind;
        return m_pool.Start(std::move(request));
    }
    bool FinishRead(ReadHandle handle, const std::string&, AddressKind, CHtmlParser& page,
                    PageReadOutcome& outcome) override {
        return TakeFetchedInto(m_pool.Take(handle), page, outcome);
    }
    void DropRead(ReadHandle handle) override { m_pool.Drop(handle); }

private:
    CFetchPool& m_pool;
    std::function<ProxySettings()> m_proxy;
};
