// Whether a web page lets a page of another origin show it inside a frame.
// The story's frame page shows the article in a frame, and many news sites
// forbid that (X-Frame-Options, Content-Security-Policy frame-ancestors);
// the browser then shows an empty frame. A short request reads the
// article's response headers so that such an article is opened by itself.
#pragma once

#include <string>
#include <utility>
#include <vector>

enum class FramingVerdict {
    Allowed,    // the final response says nothing against framing
    Forbidden,  // X-Frame-Options or frame-ancestors forbids a file:// parent
    Unknown,    // no response headers could be read (error, time-out, not http)
};

using HeaderList = std::vector<std::pair<std::string, std::string>>;

// The verdict of one response's headers (names in any letter case).
FramingVerdict FramingFromHeaders(const HeaderList& headers);

struct FramingCheckOptions {
    long timeoutMs = 4000;  // the whole check, redirects included
    std::string proxy;      // "host:port", "" for a direct connection
    std::string user;       // proxy credentials, "" for none
    std::string password;
    // The page that led to the article: the check reaches a local address
    // only when that page is on one of the same kind ("": a public page).
    std::string sourcePage;
};

// Requests url (http or https only) and judges the headers of the final
// response after redirects; the body is not read. A local address the
// source page may not lead to is never requested (Unknown). Blocks for at most the
// time-out: call it off the window thread.
FramingVerdict CheckFraming(const std::string& url, const FramingCheckOptions& options);
