// Which addresses a fetch may connect to. A page on a public address must
// not make the program reach the user's own machine or network (a router's
// set-up page, a service on loopback): a fetch that a page led to (a story
// link, the framing check, every redirect) connects only to public
// addresses and to addresses of the page's own kind. A page the user
// configured is read wherever it is; its first address sets its kind. The
// address judged is the one actually connected, at every request of a
// transfer (after name resolution, at each redirect, on a reused
// connection), through libcurl's pre-request callback; through a proxy,
// which resolves names itself, the URL's host is judged as written.
#pragma once

#include <functional>
#include <string>

enum class AddressKind {
    Public,
    Private,   // the local network: RFC 1918, shared (CGNAT), link-local, unique-local, multicast, reserved
    Loopback,  // this machine: 127/8, ::1, and the unspecified 0.0.0.0 and ::
};

// The kind of a numeric IPv4 or IPv6 address ("192.168.1.1", "::ffff:127.0.0.1");
// IPv4 addresses inside IPv6 ones are judged as IPv4. Text that is no
// address counts as Public.
AddressKind ClassifyAddress(const std::string& ip);
// The kind of a host as a URL names it: a numeric address as above,
// "localhost" and names under it as Loopback, any other name as Public.
AddressKind ClassifyHostName(const std::string& host);
// The kind of the page at url: the first address its host resolves to
// (the host as named when viaProxy, or when it does not resolve).
AddressKind KindOfPageAt(const std::string& url, bool viaProxy);

class CAddressFence {
public:
    // Tells the kind of the address connected; tests replace it to stand
    // loopback servers in for public ones.
    using Classifier = std::function<AddressKind(const std::string& ip, int port)>;

    // A page the user configured: the first address connected sets the kind.
    static CAddressFence Configured(Classifier classify = {});
    // A fetch that a page of kind origin led to.
    static CAddressFence LedFrom(AddressKind origin, Classifier classify = {});

    // Puts the check on a libcurl easy handle (a CURL*) for its transfers;
    // the fence must outlive them. viaProxy: the connection goes to the
    // proxy, so the URL's host is judged instead of the address.
    void Attach(void* curlEasy, bool viaProxy);

    // Judges one connection; false (and Refused() from then on) when the
    // fence keeps it out.
    bool Admit(AddressKind kind);
    bool Refused() const { return m_bRefused; }
    // The kind that decides (the first address connected, for a configured
    // page); Public while none was connected.
    AddressKind OriginKind() const { return m_bOriginSet ? m_origin : AddressKind::Public; }

private:
    CAddressFence() = default;
    static int OnRequest(void* fence, char* primaryIp, char* localIp, int primaryPort, int localPort);

    Classifier m_classify;
    AddressKind m_origin = AddressKind::Public;
    bool m_bOriginSet = false;
    bool m_bRefused = false;
    bool m_bViaProxy = false;
    void* m_pEasy = nullptr;
};
