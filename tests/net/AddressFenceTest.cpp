// Which addresses a fetch may reach: the kinds of addresses, and fetches
// from a public page (a loopback server standing in for one), from a local
// page, through redirects and by the framing check, as the loopback servers
// see them.
#include "net/AddressFence.h"

#include <gtest/gtest.h>

#include <string>

#include "net/FramingCheck.h"
#include "net/HttpFetcher.h"
#include "net/UrlParts.h"
#include "support/TestHttpServer.h"

namespace {

FetchResult Fetch(CHttpFetcher& fetcher, const std::string& url, CAddressFence& fence) {
    CUrlParts parts;
    EXPECT_TRUE(parts.Set(url)) << url;
    FetchResult result;
    FetchOptions options;
    options.fence = &fence;
    fetcher.FetchUrl(parts, nullptr, nullptr, nullptr, result, options);
    return result;
}

}  // namespace

TEST(AddressFence, KindsOfAddressesAndWhatEachPageMayReach) {
    const struct { const char* address; AddressKind kind; } addresses[] = {
        {"127.0.0.1", AddressKind::Loopback},    {"127.8.9.10", AddressKind::Loopback},
        {"0.0.0.0", AddressKind::Loopback},      {"::1", AddressKind::Loopback},
        {"::", AddressKind::Loopback},           {"::ffff:127.0.0.1", AddressKind::Loopback},
        {"64:ff9b::7f00:1", AddressKind::Loopback},
        {"10.1.2.3", AddressKind::Private},      {"172.16.0.1", AddressKind::Private},
        {"172.31.255.255", AddressKind::Private}, {"192.168.1.1", AddressKind::Private},
        {"169.254.169.254", AddressKind::Private}, {"100.64.0.1", AddressKind::Private},
        {"224.0.0.1", AddressKind::Private},     {"255.255.255.255", AddressKind::Private},
        {"fd00::1", AddressKind::Private},       {"fe80::1%eth0", AddressKind::Private},
        {"::ffff:192.168.0.1", AddressKind::Private},
        {"172.32.0.1", AddressKind::Public},     {"100.128.0.1", AddressKind::Public},
        {"93.184.216.34", AddressKind::Public},  {"2606:4700::1111", AddressKind::Public},
        {"::ffff:8.8.8.8", AddressKind::Public}, {"not an address", AddressKind::Public},
    };
    for (const auto& a : addresses) EXPECT_EQ(ClassifyAddress(a.address), a.kind) << a.address;
    EXPECT_EQ(ClassifyHostName("LocalHost."), AddressKind::Loopback);
    EXPECT_EQ(ClassifyHostName("api.localhost"), AddressKind::Loopback);
    EXPECT_EQ(ClassifyHostName("news.example"), AddressKind::Public);
    EXPECT_EQ(KindOfPageAt("http://127.1:8080/news", false), AddressKind::Loopback);
    EXPECT_EQ(KindOfPageAt("http://[fd00::5]/", true), AddressKind::Private);
    EXPECT_EQ(KindOfPageAt("http://203.0.113.7/", false), AddressKind::Public);

    // A public site (a loopback server whose port counts as public) and a
    // site on this machine.
    CTestHttpServer publicSite;
    CTestHttpServer localSite;
    const CAddressFence::Classifier classify = [&](const std::string& ip, int port) {
        return port == publicSite.Port() ? AddressKind::Public : ClassifyAddress(ip);
    };
    publicSite.SetPage("/front", "<a href='x'>front</a>");
    publicSite.SetResponse("/jump", {302, "", {{"Location", localSite.Url("/admin")}}});
    localSite.SetPage("/admin", "<p>router set-up</p>");
    localSite.SetPage("/front", "<a href='x'>local front</a>");
    localSite.SetResponse("/on", {302, "", {{"Location", localSite.Url("/admin")}}});
    localSite.SetResponse("/out", {302, "", {{"Location", publicSite.Url("/front")}}});
    CHttpFetcher fetcher;

    struct Case {
        const char* what;
        CAddressFence fence;
        std::string url;
        FetchFailure failure;
        AddressKind origin;
    };
    const Case cases[] = {
        {"configured public page", CAddressFence::Configured(classify), publicSite.Url("/front"), FetchFailure::None,
         AddressKind::Public},
        {"configured local page", CAddressFence::Configured(classify), localSite.Url("/front"), FetchFailure::None,
         AddressKind::Loopback},
        {"public page -> loopback link", CAddressFence::LedFrom(AddressKind::Public, classify), localSite.Url("/admin"),
         FetchFailure::LocalAddress, AddressKind::Public},
        {"private page -> loopback link", CAddressFence::LedFrom(AddressKind::Private, classify),
         localSite.Url("/admin"), FetchFailure::LocalAddress, AddressKind::Private},
        {"loopback page -> loopback link", CAddressFence::LedFrom(AddressKind::Loopback, classify),
         localSite.Url("/admin"), FetchFailure::None, AddressKind::Loopback},
        {"loopback page -> public link", CAddressFence::LedFrom(AddressKind::Loopback, classify),
         publicSite.Url("/front"), FetchFailure::None, AddressKind::Loopback},
        {"configured public page redirecting to loopback", CAddressFence::Configured(classify),
         publicSite.Url("/jump"), FetchFailure::LocalAddress, AddressKind::Public},
        {"public page -> link redirecting to loopback", CAddressFence::LedFrom(AddressKind::Public, classify),
         publicSite.Url("/jump"), FetchFailure::LocalAddress, AddressKind::Public},
        {"loopback page -> loopback redirect", CAddressFence::LedFrom(AddressKind::Loopback, classify),
         localSite.Url("/on"), FetchFailure::None, AddressKind::Loopback},
        {"configured local page redirecting out", CAddressFence::Configured(classify), localSite.Url("/out"),
         FetchFailure::None, AddressKind::Loopback},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int adminBefore = localSite.RequestCount("/admin");
        CAddressFence fence = c.fence;
        const FetchResult result = Fetch(fetcher, c.url, fence);
        EXPECT_EQ(result.failure, c.failure);
        EXPECT_EQ(fence.OriginKind(), c.origin);
        // Refused means never asked: the local server saw no request.
        if (c.failure == FetchFailure::LocalAddress) EXPECT_EQ(localSite.RequestCount("/admin"), adminBefore);
        else EXPECT_FALSE(result.body.empty());
    }

    // The framing check: an article on this machine is looked at only for a
    // story of a page here.
    localSite.SetResponse("/deny", {200, "<p>x</p>", {{"X-Frame-Options", "DENY"}}});
    FramingCheckOptions options;
    options.sourcePage = "http://203.0.113.7/news";
    EXPECT_EQ(CheckFraming(localSite.Url("/deny"), options), FramingVerdict::Unknown);
    options.sourcePage = "";
    EXPECT_EQ(CheckFraming(localSite.Url("/deny"), options), FramingVerdict::Unknown);
    EXPECT_EQ(localSite.RequestCount("/deny"), 0);
    options.sourcePage = localSite.Url("/front");
    EXPECT_EQ(CheckFraming(localSite.Url("/deny"), options), FramingVerdict::Forbidden);
    EXPECT_EQ(localSite.RequestCount("/deny"), 1);
}
