#include "net/FramingCheck.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <string_view>

#include "net/AddressFence.h"

namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

// Calls fn for each piece of text between separators, trimmed and non-empty.
template <class Fn>
void ForEachPart(std::string_view text, char separator, Fn fn) {
    while (!text.empty()) {
        const std::size_t end = text.find(separator);
        const std::string_view part = Trim(text.substr(0, end));
        if (!part.empty()) fn(part);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
}

// DENY, SAMEORIGIN and ALLOW-FROM all refuse a file:// parent; browsers
// ignore any other value.
bool XFrameOptionsForbids(std::string_view value) {
    bool forbids = false;
    ForEachPart(value, ',', [&](std::string_view option) {
        const std::string word = Lower(option.substr(0, option.find_first_of(" \t")));
        if (word == "deny" || word == "sameorigin" || word == "allow-from") forbids = true;
    });
    return forbids;
}

// A frame-ancestors directive forbids framing unless its sources allow any
// ancestor ("*"); 'none', 'self' and host lists never match a local page.
bool PolicyForbids(std::string_view value) {
    bool forbids = false;
    ForEachPart(value, ',', [&](std::string_view policy) {
        ForEachPart(policy, ';', [&](std::string_view directive) {
            const std::size_t gap = directive.find_first_of(" \t");
            if (Lower(directive.substr(0, gap)) != "frame-ancestors") return;
            bool anyAncestor = false;
            if (gap != std::string_view::npos)
                ForEachPart(directive.substr(gap), ' ', [&](std::string_view source) { anyAncestor |= Trim(source) == "*"; });
            if (!anyAncestor) forbids = true;
        });
    });
    return forbids;
}

struct Response {
    HeaderList headers;
    bool complete = false;  // the blank line after the headers arrived
};

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto* r = static_cast<Response*>(user);
    const std::string_view line(data, size * count);
    if (line.rfind("HTTP/", 0) == 0) {  // a new response (after a redirect or 100 Continue)
        r->headers.clear();
        r->complete = false;
    } else if (Trim(line).empty()) {
        r->complete = true;
    } else if (const std::size_t colon = line.find(':'); colon != std::string_view::npos) {
        r->headers.emplace_back(std::string(Trim(line.substr(0, colon))), std::string(Trim(line.substr(colon + 1))));
    }
    return size * count;
}

// The body is never wanted: stop at its first bytes.
size_t OnBody(char*, size_t, size_t, void*) { return 0; }

}  // namespace

FramingVerdict FramingFromHeaders(const HeaderList& headers) {
    for (const auto& [name, value] : headers) {
        const std::string key = Lower(name);
        if ((key == "x-frame-options" && XFrameOptionsForbids(value)) ||
            (key == "content-security-policy" && PolicyForbids(value)))
            return FramingVerdict::Forbidden;
    }
    return FramingVerdict::Allowed;
}

FramingVerdict CheckFraming(const std::string& url, const FramingCheckOptions& options) {
    const std::string scheme = Lower(std::string_view(url).substr(0, url.find(':')));
    if (scheme != "http" && scheme != "https") return FramingVerdict::Unknown;
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> easy(curl_easy_init(), curl_easy_cleanup);
    if (!easy) return FramingVerdict::Unknown;
    CURL* h = easy.get();
    Response response;
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    // The browser that will show the page sends the headers it is judged by.
    curl_easy_setopt(h, CURLOPT_USERAGENT, "Mozilla/5.0 (X11; Linux x86_64; rv:115.0) Gecko/20100101 Firefox/115.0");
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, options.timeoutMs);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, options.timeoutMs);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &response);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, OnBody);
    // The proxy comes from the settings only, never from the environment.
    const std::string proxyUrl = options.proxy.empty() ? "" : "http://" + options.proxy;
    curl_easy_setopt(h, CURLOPT_PROXY, proxyUrl.c_str());
    curl_easy_setopt(h, CURLOPT_NOPROXY, "");
    if (!proxyUrl.empty() && !options.user.empty()) {
        curl_easy_setopt(h, CURLOPT_PROXYAUTH, static_cast<unsigned long>(CURLAUTH_BASIC));
        curl_easy_setopt(h, CURLOPT_PROXYUSERNAME, options.user.c_str());
        curl_easy_setopt(h, CURLOPT_PROXYPASSWORD, options.password.c_str());
    }
    const bool bViaProxy = !proxyUrl.empty();
    CAddressFence fence = CAddressFence::LedFrom(
        options.sourcePage.empty() ? AddressKind::Public : KindOfPageAt(options.sourcePage, bViaProxy));
    fence.Attach(h, bViaProxy);
    const CURLcode code = curl_easy_perform(h);
    // Stopping at the body ends with a write error, with the headers read.
    if ((code != CURLE_OK && code != CURLE_WRITE_ERROR) || !response.complete) return FramingVerdict::Unknown;
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    if (status >= 300 && status < 400) return FramingVerdict::Unknown;  // a redirect not followed
    return FramingFromHeaders(response.headers);
}
