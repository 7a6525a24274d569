// CUrlParts: a URL split into the pieces the fetcher and the scanning engine
// use. An unparsable URL leaves the full URL empty.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Service types of a parsed URL.
constexpr std::uint32_t SERVICE_UNKNOWN = 0;
constexpr std::uint32_t SERVICE_HTTP = 3;   // "http:"
constexpr std::uint32_t SERVICE_HTTPS = 4;  // "https:"

class CUrlParts {
public:
    std::string m_strUrl;       // the full URL as given; empty when it could not be parsed
    std::string m_strServer;    // host name, its letter case kept as written
    std::string m_strObject;    // path and query, always beginning with '/', without the fragment
    std::string m_strFragment;  // the part after '#', without it
    std::uint16_t m_nPort = 0;  // the URL's port, or the scheme's default
    std::uint32_t m_nServiceType = SERVICE_UNKNOWN;

    // Splits url. Returns false (and empties m_strUrl) when it is not an
    // http or https URL with a host.
    bool Set(std::string_view url);
};
