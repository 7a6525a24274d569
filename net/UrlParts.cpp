#include "net/UrlParts.h"

#include <cctype>
#include <cstddef>

namespace {

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

bool IsSpaceChar(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// Characters a host name may hold: letters, digits, the unreserved and
// sub-delimiter punctuation, percent escapes and bytes of non-ASCII names.
bool IsHostChar(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 0x80)
        return true;
    if (std::isalnum(u))
        return true;
    switch (c) {
    case '-': case '.': case '_': case '~': case '%':
    case '!': case '$': case '&': case '\'': case '(': case ')':
    case '*': case '+': case ',': case ';': case '=':
        return true;
    default:
        return false;
    }
}

bool IsHexOrColon(char c)
{
    return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
}

}  // namespace

bool CUrlParts::Set(std::string_view url)
{
    m_strUrl.clear();
    m_strServer.clear();
    m_strObject.clear();
    m_strFragment.clear();
    m_nPort = 0;
    m_nServiceType = SERVICE_UNKNOWN;

    // Surrounding white space (common in page attributes) is not part of the URL.
    std::string_view text = url;
    while (!text.empty() && IsSpaceChar(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpaceChar(text.back()))
        text.remove_suffix(1);

    const std::size_t schemeEnd = text.find("://");
    if (schemeEnd == std::string_view::npos)
        return false;
    const std::string_view scheme = text.substr(0, schemeEnd);
    std::uint32_t service = SERVICE_UNKNOWN;
    std::uint16_t defaultPort = 0;
    if (EqualsNoCase(scheme, "http")) {
        service = SERVICE_HTTP;
        defaultPort = 80;
    } else if (EqualsNoCase(scheme, "https")) {
        service = SERVICE_HTTPS;
        defaultPort = 443;
    } else {
        return false;
    }

    std::string_view rest = text.substr(schemeEnd + 3);
    const std::size_t authorityEnd = rest.find_first_of("/?#");
    std::string_view authority = rest.substr(0, authorityEnd);
    const std::string_view tail = authorityEnd == std::string_view::npos ? std::string_view() : rest.substr(authorityEnd);

    // User information ("user:password@") is accepted and skipped.
    const std::size_t at = authority.rfind('@');
    if (at != std::string_view::npos)
        authority.remove_prefix(at + 1);

    std::string_view host;
    std::string_view portText;
    bool hasPort = false;
    if (!authority.empty() && authority.front() == '[') {
        // An IPv6 literal; the brackets are not part of the server name.
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos)
            return false;
        host = authority.substr(1, close - 1);
        for (char c : host) {
            if (!IsHexOrColon(c))
                return false;
        }
        if (host.find(':') == std::string_view::npos)
            return false;
        const std::string_view after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':')
                return false;
            portText = after.substr(1);
            hasPort = true;
        }
    } else {
        const std::size_t colon = authority.find(':');
        host = authority.substr(0, colon);
        if (colon != std::string_view::npos) {
            portText = authority.substr(colon + 1);
            hasPort = true;
        }
        for (char c : host) {
            if (!IsHostChar(c))
                return false;
        }
    }
    if (host.empty())
        return false;

    std::uint16_t port = defaultPort;
    if (hasPort && !portText.empty()) {
        if (portText.size() > 5)
            return false;
        unsigned value = 0;
        for (char c : portText) {
            if (c < '0' || c > '9')
                return false;
            value = value * 10 + static_cast<unsigned>(c - '0');
        }
        if (value == 0 || value > 65535)
            return false;
        port = static_cast<std::uint16_t>(value);
    }

    // The object is the path and query; a bare query gets the root path.
    std::string_view objectText = tail;
    std::string_view fragment;
    const std::size_t hash = objectText.find('#');
    if (hash != std::string_view::npos) {
        fragment = objectText.substr(hash + 1);
        objectText = objectText.substr(0, hash);
    }
    for (char c : objectText) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f)
            return false;
    }

    m_strServer.assign(host);
    if (objectText.empty() || objectText.front() != '/')
        m_strObject = "/";
    m_strObject.append(objectText);
    m_strFragment.assign(fragment);
    m_nPort = port;
    m_nServiceType = service;
    m_strUrl.assign(url);
    return true;
}
