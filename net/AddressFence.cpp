#include "net/AddressFence.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

AddressKind ClassifyV4(const std::uint8_t a[4]) {
    if (a[0] == 127 || a[0] == 0) return AddressKind::Loopback;
    if (a[0] == 10 || (a[0] == 172 && (a[1] & 0xf0) == 16) || (a[0] == 192 && a[1] == 168) ||
        (a[0] == 100 && (a[1] & 0xc0) == 64) ||  // shared address space (carrier-grade NAT)
        (a[0] == 169 && a[1] == 254) ||           // link-local
        (a[0] == 192 && a[1] == 0 && a[2] == 0) ||  // protocol assignments
        (a[0] == 198 && (a[1] & 0xfe) == 18) ||   // benchmarking
        a[0] >= 224)                              // multicast, reserved, broadcast
        return AddressKind::Private;
    return AddressKind::Public;
}

AddressKind ClassifyV6(const std::uint8_t a[16]) {
    static const std::uint8_t kZero[16] = {};
    if (std::memcmp(a, kZero, 15) == 0 && (a[15] == 0 || a[15] == 1)) return AddressKind::Loopback;  // :: and ::1
    // IPv4-mapped (::ffff:0:0/96), IPv4-compatible (::/96) and NAT64 (64:ff9b::/96).
    static const std::uint8_t kMapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    static const std::uint8_t kNat64[12] = {0, 0x64, 0xff, 0x9b, 0, 0, 0, 0, 0, 0, 0, 0};
    if (std::memcmp(a, kMapped, 12) == 0 || std::memcmp(a, kZero, 12) == 0 || std::memcmp(a, kNat64, 12) == 0)
        return ClassifyV4(a + 12);
    if ((a[0] & 0xfe) == 0xfc ||                    // unique local fc00::/7
        (a[0] == 0xfe && (a[1] & 0x80) == 0x80) ||  // link-local fe80::/10 and site-local fec0::/10
        a[0] == 0xff)                               // multicast
        return AddressKind::Private;
    return AddressKind::Public;
}

AddressKind ClassifySockaddr(const sockaddr* address) {
    if (address->sa_family == AF_INET) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(address);
        return ClassifyV4(reinterpret_cast<const std::uint8_t*>(&in->sin_addr));
    }
    if (address->sa_family == AF_INET6) {
        const auto* in6 = reinterpret_cast<const sockaddr_in6*>(address);
        return ClassifyV6(in6->sin6_addr.s6_addr);
    }
    return AddressKind::Public;
}

// The host of url as libcurl reads it (IPv4 numbers in any form made
// dotted, IPv6 without brackets); "" when url has none.
std::string HostOf(const std::string& url) {
    std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> parts(curl_url(), curl_url_cleanup);
    char* host = nullptr;
    if (!parts || curl_url_set(parts.get(), CURLUPART_URL, url.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK ||
        curl_url_get(parts.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK)
        return std::string();
    std::string text(host);
    curl_free(host);
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']') text = text.substr(1, text.size() - 2);
    return text;
}

}  // namespace

AddressKind ClassifyAddress(const std::string& ip) {
    std::string text = ip;
    if (const std::size_t zone = text.find('%'); zone != std::string::npos) text.resize(zone);  // fe80::1%eth0
    std::array<std::uint8_t, 16> bytes{};
    if (::inet_pton(AF_INET, text.c_str(), bytes.data()) == 1) return ClassifyV4(bytes.data());
    if (::inet_pton(AF_INET6, text.c_str(), bytes.data()) == 1) return ClassifyV6(bytes.data());
    return AddressKind::Public;
}

AddressKind ClassifyHostName(const std::string& host) {
    std::string name = host;
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    while (!name.empty() && name.back() == '.') name.pop_back();
    if (name == "localhost" || (name.size() > 10 && name.compare(name.size() - 10, 10, ".localhost") == 0))
        return AddressKind::Loopback;
    return ClassifyAddress(name);
}

AddressKind KindOfPageAt(const std::string& url, bool viaProxy) {
    const std::string host = HostOf(url);
    if (host.empty() || viaProxy) return ClassifyHostName(host);
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return ClassifyHostName(host);
    const AddressKind kind = ClassifySockaddr(found->ai_addr);
    ::freeaddrinfo(found);
    return kind;
}

CAddressFence CAddressFence::Configured(Classifier classify) {
    CAddressFence fence;
    fence.m_classify = std::move(classify);
    return fence;
}

CAddressFence CAddressFence::LedFrom(AddressKind origin, Classifier classify) {
    CAddressFence fence;
    fence.m_classify = std::move(classify);
    fence.m_origin = origin;
    fence.m_bOriginSet = true;
    return fence;
}

bool CAddressFence::Admit(AddressKind kind) {
    if (!m_bOriginSet) {
        m_origin = kind;
        m_bOriginSet = true;
        return true;
    }
    if (kind == AddressKind::Public || kind == m_origin) return true;
    m_bRefused = true;
    return false;
}

void CAddressFence::Attach(void* curlEasy, bool viaProxy) {
    m_pEasy = curlEasy;
    m_bViaProxy = viaProxy;
    curl_easy_setopt(curlEasy, CURLOPT_PREREQFUNCTION, &CAddressFence::OnRequest);
    curl_easy_setopt(curlEasy, CURLOPT_PREREQDATA, this);
}

int CAddressFence::OnRequest(void* data, char* primaryIp, char*, int primaryPort, int) {
    auto* fence = static_cast<CAddressFence*>(data);
    AddressKind kind = AddressKind::Public;
    if (fence->m_bViaProxy) {
        // The proxy connects; what it connects to is named by the URL.
        char* url = nullptr;
        curl_easy_getinfo(fence->m_pEasy, CURLINFO_EFFECTIVE_URL, &url);
        kind = ClassifyHostName(HostOf(url != nullptr ? url : ""));
    } else {
        const std::string ip = primaryIp != nullptr ? primaryIp : "";
        kind = fence->m_classify ? fence->m_classify(ip, primaryPort) : ClassifyAddress(ip);
    }
    return fence->Admit(kind) ? CURL_PREREQFUNC_OK : CURL_PREREQFUNC_ABORT;
}
