#include "net/HttpFetcher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "support/TestHttpServer.h"

namespace {

using namespace std::string_literals;

struct FetchResult {
    int result = -1;
    std::string page;
};

class HttpFetcherTest : public ::testing::Test {
protected:
    FetchResult Fetch(const std::string& url, const char* proxy = nullptr, const char* user = nullptr,
                      const char* password = nullptr)
    {
        CUrlParts parts;
        parts.Set(url);
        FetchResult r;
        r.page = "left over";
        r.result = fetcher.FetchUrl(parts, proxy, user, password, r.page);
        return r;
    }

    // Runs a fetch on another thread, aborts it once the server reports a
    // stall, and returns what the fetch gave and how long the abort took.
    FetchResult FetchAndAbortAtStall(const std::string& url, double& abortDelayMs, std::time_t& startDuring)
    {
        FetchResult r;
        std::thread worker([&] { r = Fetch(url); });
        EXPECT_TRUE(server.WaitForStalls(1, 10000));
        startDuring = fetcher.GetStartTime();
        const auto before = std::chrono::steady_clock::now();
        fetcher.AbortRequest();
        worker.join();
        abortDelayMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - before).count();
        return r;
    }

    CTestHttpServer server;
    CHttpFetcher fetcher;
};

TEST_F(HttpFetcherTest, FetchesAPageWithTheBrowserLikeRequest)
{
    server.SetPage("/news/index.html", "<html><body>Headlines</body></html>");
    const FetchResult r = Fetch(server.Url("/news/index.html"));
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.page, "<html><body>Headlines</body></html>");
    EXPECT_EQ(fetcher.GetStartTime(), 0);

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const TestHttpRequest& q = requests[0];
    EXPECT_EQ(q.method, "GET");
    EXPECT_EQ(q.version, "HTTP/1.1");
    EXPECT_EQ(q.target, "/news/index.html");
    EXPECT_EQ(q.Header("User-Agent"), "Mozilla/4.0 (compatible; MSIE 4.01; Windows 95)");
    EXPECT_EQ(q.Header("Cache-Control"), "no-cache");
    EXPECT_EQ(q.Header("Pragma"), "no-cache");
    EXPECT_EQ(q.Header("Host"), "127.0.0.1:" + std::to_string(server.Port()));
    EXPECT_FALSE(q.HasHeader("Authorization"));
    EXPECT_FALSE(q.HasHeader("Proxy-Authorization"));
}

TEST_F(HttpFetcherTest, SendsThePathWithQueryButNotTheFragment)
{
    server.SetPage("/story", "story");
    const FetchResult r = Fetch(server.Url("/story?id=42&x=y#para"));
    EXPECT_EQ(r.result, 1);
    ASSERT_EQ(server.RequestCount(), 1);
    EXPECT_EQ(server.Requests()[0].target, "/story?id=42&x=y");

    // Bytes a request line cannot carry go out percent-encoded.
    server.SetPage("/a%20b%C3%A9.html", "encoded");
    const FetchResult spaced = Fetch(server.Url("/a b\xC3\xA9.html"));
    EXPECT_EQ(spaced.result, 1);
    EXPECT_EQ(spaced.page, "encoded");
}

TEST_F(HttpFetcherTest, ErrorPagesAreReturnedAsPages)
{
    server.SetResponse("/gone", 404, "<html>Not here</html>");
    server.SetResponse("/broken", 500, "<html>Server trouble</html>");
    for (const char* path : {"/gone", "/broken"}) {
        SCOPED_TRACE(path);
        const FetchResult r = Fetch(server.Url(path));
        EXPECT_EQ(r.result, 1);
        EXPECT_NE(r.page.find("<html>"), std::string::npos);
    }
}

TEST_F(HttpFetcherTest, NulBytesAreRemovedAndAnEmptyPageFails)
{
    struct Case {
        const char* path;
        std::string body;
        int result;
        std::string page;
    };
    const Case cases[] = {
        {"/nuls", "a\0b\0\0c\0"s, 1, "abc"},
        {"/leading", "\0\0<html>"s, 1, "<html>"},
        {"/empty", "", 0, ""},
        {"/only-nuls", std::string(10, '\0'), 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        server.SetPage(c.path, c.body);
        const FetchResult r = Fetch(server.Url(c.path));
        EXPECT_EQ(r.result, c.result);
        EXPECT_EQ(r.page, c.page);
    }
}

TEST_F(HttpFetcherTest, PagesAreCutAt128000Bytes)
{
    auto bodyOf = [](std::size_t size) {
        std::string body(size, 'x');
        for (std::size_t i = 0; i < size; i += 1000)
            body[i] = static_cast<char>('a' + (i / 1000) % 26);
        return body;
    };
    struct Case {
        std::size_t size;
        bool contentLength;
        std::size_t expected;
    };
    const Case cases[] = {
        {127999, true, 127999}, {128000, true, 128000}, {128001, true, 128000},
        {300000, true, 128000}, {127999, false, 127999}, {128000, false, 128000},
        {250000, false, 128000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.size) + (c.contentLength ? " with length" : " close-delimited"));
        TestHttpResponse response;
        response.body = bodyOf(c.size);
        response.sendContentLength = c.contentLength;
        server.SetResponse("/big", response);
        const FetchResult r = Fetch(server.Url("/big"));
        EXPECT_EQ(r.result, 1);
        ASSERT_EQ(r.page.size(), c.expected);
        EXPECT_EQ(r.page, response.body.substr(0, c.expected));
    }
}

TEST_F(HttpFetcherTest, TheSizeLimitCountsBytesBeforeNulRemoval)
{
    std::string body(130000, 'y');
    for (int i = 0; i < 10; ++i)
        body[static_cast<std::size_t>(i) * 100] = '\0';
    server.SetPage("/nul-big", body);
    const FetchResult r = Fetch(server.Url("/nul-big"));
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.page, std::string(127990, 'y'));
}

TEST_F(HttpFetcherTest, ABodyWithoutContentLengthIsReadToTheEnd)
{
    TestHttpResponse response;
    response.body = std::string(50000, 'z') + "<end>";
    response.sendContentLength = false;
    server.SetResponse("/stream", response);
    const FetchResult r = Fetch(server.Url("/stream"));
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.page, response.body);
}

TEST_F(HttpFetcherTest, FollowsRedirectsAlsoToAnotherServerAndPort)
{
    CTestHttpServer other;
    other.SetPage("/moved/here.html", "arrived");
    server.SetRedirect("/old.html", other.Url("/moved/here.html"), 301);
    server.SetRedirect("/hop", "/old.html");

    const FetchResult r = Fetch(server.Url("/hop"));
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.page, "arrived");
    EXPECT_EQ(server.RequestCount("/hop"), 1);
    EXPECT_EQ(server.RequestCount("/old.html"), 1);
    EXPECT_EQ(other.RequestCount("/moved/here.html"), 1);
}

TEST_F(HttpFetcherTest, ARedirectLoopEndsAfterTenRedirects)
{
    server.SetRedirect("/loop", "/loop");
    const FetchResult r = Fetch(server.Url("/loop"));
    EXPECT_EQ(r.result, 0);
    EXPECT_TRUE(r.page.empty());
    EXPECT_EQ(server.RequestCount("/loop"), 11);  // the first request and ten redirects
    EXPECT_EQ(fetcher.GetStartTime(), 0);
}

TEST_F(HttpFetcherTest, AWebServerDemandingCredentialsGetsNoneAndTheFetchFails)
{
    server.SetAuthRequired("/private");
    const FetchResult r = Fetch(server.Url("/private"), nullptr, "proxyuser", "proxysecret");
    EXPECT_EQ(r.result, 0);
    EXPECT_TRUE(r.page.empty());
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_FALSE(requests[0].HasHeader("Authorization"));
    EXPECT_FALSE(requests[0].HasHeader("Proxy-Authorization"));
}

TEST_F(HttpFetcherTest, AWebServer401BehindAnAuthenticatingProxyIsNotRetried)
{
    CTestHttpServer web;
    web.SetAuthRequired("/private");
    server.EnableProxy("alice", "s3cret");
    const std::string proxy = "127.0.0.1:" + std::to_string(server.Port());

    const FetchResult r = Fetch(web.Url("/private"), proxy.c_str(), "alice", "s3cret");
    EXPECT_EQ(r.result, 0);
    const auto seen = web.Requests();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_FALSE(seen[0].HasHeader("Authorization"));
    EXPECT_FALSE(seen[0].HasHeader("Proxy-Authorization"));
    EXPECT_EQ(server.RequestCount(), 2);  // refused once, then let through with credentials
}

TEST_F(HttpFetcherTest, AProxyGetsItsCredentialsAfterA407)
{
    server.EnableProxy("alice", "s3cret");
    server.SetPage("/front.html", "front page via proxy");
    const std::string proxy = "127.0.0.1:" + std::to_string(server.Port());

    // A made-up host name: through a proxy the fetcher never resolves it.
    const FetchResult r = Fetch("http://news.example.invalid/front.html", proxy.c_str(), "alice", "s3cret");
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.page, "front page via proxy");

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].target, "http://news.example.invalid/front.html");
    EXPECT_FALSE(requests[0].HasHeader("Proxy-Authorization"));
    EXPECT_EQ(requests[1].Header("Proxy-Authorization"), "Basic YWxpY2U6czNjcmV0");  // alice:s3cret
    EXPECT_FALSE(requests[1].HasHeader("Authorization"));
}

TEST_F(HttpFetcherTest, WrongProxyCredentialsFailAfterThreeRetries)
{
    server.EnableProxy("alice", "s3cret");
    server.SetPage("/front.html", "front page");
    const std::string proxy = "127.0.0.1:" + std::to_string(server.Port());

    const FetchResult r = Fetch("http://news.example.invalid/front.html", proxy.c_str(), "alice", "wrong");
    EXPECT_EQ(r.result, 0);
    EXPECT_TRUE(r.page.empty());
    EXPECT_EQ(fetcher.GetStartTime(), 0);
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 4u);  // the first request and three answers to 407
    EXPECT_FALSE(requests[0].HasHeader("Proxy-Authorization"));
    for (std::size_t i = 1; i < requests.size(); ++i)
        EXPECT_EQ(requests[i].Header("Proxy-Authorization"), "Basic YWxpY2U6d3Jvbmc=");  // alice:wrong
}

TEST_F(HttpFetcherTest, AnHttpsTunnelThroughTheProxyGetsTheSameAuthentication)
{
    server.EnableProxy("alice", "s3cret");
    const std::string proxy = "127.0.0.1:" + std::to_string(server.Port());
    struct Case {
        const char* password;
        int requests;
    };
    for (const Case c : {Case{"wrong", 4}, Case{"s3cret", 2}}) {
        SCOPED_TRACE(c.password);
        server.ClearLog();
        // The test proxy refuses every tunnel it lets through, so both fail.
        const FetchResult r = Fetch("https://secure.example.invalid/x", proxy.c_str(), "alice", c.password);
        EXPECT_EQ(r.result, 0);
        const auto requests = server.Requests();
        ASSERT_EQ(requests.size(), static_cast<std::size_t>(c.requests));
        for (const TestHttpRequest& q : requests)
            EXPECT_EQ(q.method, "CONNECT");
        EXPECT_FALSE(requests[0].HasHeader("Proxy-Authorization"));
        EXPECT_TRUE(requests.back().HasHeader("Proxy-Authorization"));
    }
}

TEST_F(HttpFetcherTest, AbortDuringAStallBeforeTheHeadersEndsTheFetch)
{
    TestHttpResponse response;
    response.body = "never seen";
    response.stallBeforeHeaders = true;
    server.SetResponse("/slow", response);

    double delayMs = 0;
    std::time_t startDuring = 0;
    const FetchResult r = FetchAndAbortAtStall(server.Url("/slow"), delayMs, startDuring);
    std::printf("abort delay (stall before headers): %.2f ms\n", delayMs);
    EXPECT_NE(startDuring, 0);
    EXPECT_EQ(r.result, 0);
    EXPECT_TRUE(r.page.empty());
    EXPECT_EQ(fetcher.GetStartTime(), 0);
}

TEST_F(HttpFetcherTest, AbortDuringASlowBodyEndsTheFetch)
{
    TestHttpResponse response;
    response.body = std::string(20000, 'b');
    response.stallAfterBodyBytes = 5000;
    server.SetResponse("/half", response);

    double delayMs = 0;
    std::time_t startDuring = 0;
    const FetchResult r = FetchAndAbortAtStall(server.Url("/half"), delayMs, startDuring);
    std::printf("abort delay (stall mid-body): %.2f ms\n", delayMs);
    EXPECT_NE(startDuring, 0);
    EXPECT_EQ(r.result, 0);
    EXPECT_TRUE(r.page.empty());
    EXPECT_EQ(fetcher.GetStartTime(), 0);

    // The fetcher is reused for the next page as if nothing happened.
    server.ReleaseStalls();
    server.SetPage("/next", "next page");
    const FetchResult next = Fetch(server.Url("/next"));
    EXPECT_EQ(next.result, 1);
    EXPECT_EQ(next.page, "next page");
}

TEST_F(HttpFetcherTest, AnAbortWhileIdleDoesNotSpoilTheNextFetch)
{
    server.SetPage("/a", "A");
    fetcher.AbortRequest();
    const FetchResult r = Fetch(server.Url("/a"));
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.page, "A");
}

TEST_F(HttpFetcherTest, SilenceLongerThanTheReceiveTimeOutFails)
{
    FetchTimeouts shortLimits;
    shortLimits.receiveMs = 300;
    fetcher.SetTimeoutsForTesting(shortLimits);

    TestHttpResponse beforeHeaders;
    beforeHeaders.body = "late";
    beforeHeaders.stallBeforeHeaders = true;
    server.SetResponse("/silent", beforeHeaders);
    TestHttpResponse midBody;
    midBody.body = std::string(10000, 'm');
    midBody.stallAfterBodyBytes = 100;
    server.SetResponse("/stuck", midBody);

    for (const char* path : {"/silent", "/stuck"}) {
        SCOPED_TRACE(path);
        const FetchResult r = Fetch(server.Url(path));
        EXPECT_EQ(r.result, 0);
        EXPECT_TRUE(r.page.empty());
        EXPECT_EQ(fetcher.GetStartTime(), 0);
    }
    EXPECT_EQ(server.RequestCount("/silent"), 1);
    EXPECT_EQ(server.RequestCount("/stuck"), 1);
}

TEST_F(HttpFetcherTest, AClosedPortFailsAfterTheConnectRetries)
{
    std::uint16_t closedPort;
    {
        CTestHttpServer gone;
        closedPort = gone.Port();
    }
    FetchTimeouts quick;
    quick.connectBackoffMs = 10;
    fetcher.SetTimeoutsForTesting(quick);
    const FetchResult r = Fetch("http://127.0.0.1:" + std::to_string(closedPort) + "/");
    EXPECT_EQ(r.result, 0);
    EXPECT_TRUE(r.page.empty());
    EXPECT_EQ(fetcher.GetStartTime(), 0);
}

TEST_F(HttpFetcherTest, AnAbortEndsTheConnectBackOff)
{
    std::uint16_t closedPort;
    {
        CTestHttpServer gone;
        closedPort = gone.Port();
    }
    FetchTimeouts slowBackoff;
    slowBackoff.connectBackoffMs = 600000;
    fetcher.SetTimeoutsForTesting(slowBackoff);

    FetchResult r;
    std::thread worker([&] { r = Fetch("http://127.0.0.1:" + std::to_string(closedPort) + "/"); });
    while (fetcher.GetStartTime() == 0)
        std::this_thread::yield();
    fetcher.AbortRequest();
    worker.join();
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(fetcher.GetStartTime(), 0);
}

TEST_F(HttpFetcherTest, AnUnparsedUrlIsNotFetched)
{
    CUrlParts parts;
    EXPECT_FALSE(parts.Set("no url at all"));
    std::string page = "x";
    EXPECT_EQ(fetcher.FetchUrl(parts, nullptr, nullptr, nullptr, page), 0);
    EXPECT_TRUE(page.empty());
    EXPECT_EQ(server.RequestCount(), 0);
}

}  // namespace
