// CCustomUrlCheck: what happens to an address the user adds as a custom URL
// before it is stored. The address is put into the form it will be stored
// and reloaded in, the page is read once, a frame page is replaced by the
// frame that most likely holds the news, and the page that will be scanned
// is run through the story-link rules, so that the user sees how many story
// links the program will find there and the first headlines.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "config/ProxySettings.h"
#include "net/HttpFetcher.h"

class CHtmlParser;

// The longest address a custom URL record can hold: its config.txt line
// (as the disabled form, the longer one) must fit the 599 characters a line
// is read back with.
std::size_t MaxCustomUrlLength();

// The address as it is stored: blanks around it dropped, blanks inside it
// written as %20, and "http://" put in front of an address that names no
// scheme ("https://host/" stays as it is).
std::string NormaliseCustomUrl(const std::string& typed);

// The frame of a parsed page that most likely holds the news, resolved
// against the page's address (and its base href); "" when the page has no
// frame worth taking. Only frame and iframe elements take part; iframes only
// when bPageHasStories is false, since a page that gives stories of its own
// keeps its address (its iframes are then mostly advertising or video).
// Frames named, or with an address, like navigation ("top", "left",
// "menu", "nav", ...) are skipped; the longest address wins, and the first
// frame that looks like the main one ("main", "content") ends the search.
std::string ChooseFrameUrl(const CHtmlParser& parser, const std::string& pageUrl, bool bPageHasStories);

class CCustomUrlCheck {
public:
    static constexpr int PREVIEW_HEADLINES = 10;

    struct Result {
        std::string url;          // the address to add: the typed one, or the chosen frame's
        bool bRead = false;       // the typed address's page was read
        std::string failure;      // why not, when not
        bool bFrameChosen = false;
        // The page at url run through the story-link rules.
        bool bPreviewRead = false;
        int nStoryLinks = 0;
        std::vector<std::string> headlines;  // the first PREVIEW_HEADLINES
        std::string previewFailure;
    };

    // Reads url (already normalised) with the proxy settings and works out
    // the result. Any thread; Abort from another thread ends a read at once.
    Result Run(const std::string& url, const ProxySettings& proxy);

    void Abort() { m_fetcher.AbortRequest(); }
    // For a fetch watchdog; tests shorten its time-outs.
    CHttpFetcher& Fetcher() { return m_fetcher; }

private:
    // Reads url and runs the story-link rules over it; the chosen frame's address
    // (when bChooseFrame) is worked out from the same tokens.
    bool ReadAndScan(const std::string& url, const ProxySettings& proxy, bool bChooseFrame, Result& result,
                     std::string& frameUrl, std::string& failure);

    CHttpFetcher m_fetcher;
};
