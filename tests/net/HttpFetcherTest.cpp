#include "net/HttpFetcher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

#include "support/TestHttpServer.h"

namespace {

using namespace std::string_literals;

struct FetchResult {
    int result = -1;
    std::string page;
};

std::uint16_t ClosedPort() {
    CTestHttpServer gone;
    return gone.Port();
}

// A response that stalls before its headers, or after a quarter of its body.
TestHttpResponse Stalling(bool beforeHeaders) {
    TestHttpResponse response;
    response.body = std::string(20000, 's');
    response.stallBeforeHeaders = beforeHeaders;
    if (!beforeHeaders)
        response.stallAfterBodyBytes = 5000;
    return response;
}

class HttpFetcherTest : public ::testing::Test {
protected:
    FetchResult Fetch(const std::string& url, const char* proxy = nullptr, const char* user = nullptr,
                      const char* password = nullptr)
    {
        CUrlParts parts;
        parts.Set(url);
        FetchResult r;
        r.page = "left over";  // a failed fetch must clear it
        r.result = fetcher.FetchUrl(parts, proxy, user, password, r.page);
        return r;
    }
    void ExpectFailed(const FetchResult& r)
    {
        EXPECT_EQ(r.result, 0);
        EXPECT_TRUE(r.page.empty());
        EXPECT_EQ(fetcher.GetStartTime(), 0);
    }
    std::string ProxyAddress() const { return "127.0.0.1:" + std::to_string(server.Port()); }

    CTestHttpServer server;
    CHttpFetcher fetcher;
};

TEST_F(HttpFetcherTest, SendsABrowserLikeRequestForPathAndQuery) {
    server.SetPage("/news/index.html", "<html><body>Headlines</body></html>");
    const FetchResult r = Fetch(server.Url("/news/index.html?id=42&x=y#para"));
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.page, "<html><body>Headlines</body></html>");
    EXPECT_EQ(fetcher.GetStartTime(), 0);

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const TestHttpRequest& q = requests[0];
    EXPECT_EQ(q.method, "GET");
    EXPECT_EQ(q.version, "HTTP/1.1");
    EXPECT_EQ(q.target, "/news/index.html?id=42&x=y");  // no fragment
    EXPECT_EQ(q.Header("User-Agent"), "Mozilla/4.0 (compatible; MSIE 4.01; Windows 95)");
    EXPECT_EQ(q.Header("Cache-Control"), "no-cache");
    EXPECT_EQ(q.Header("Pragma"), "no-cache");
    EXPECT_EQ(q.Header("Host"), "127.0.0.1:" + std::to_string(server.Port()));  // the URL's port is used
    EXPECT_FALSE(q.HasHeader("Authorization"));
    EXPECT_FALSE(q.HasHeader("Proxy-Authorization"));

    // Bytes a request line cannot carry go out percent-encoded.
    server.SetPage("/a%20b%C3%A9.html", "encoded");
    EXPECT_EQ(Fetch(server.Url("/a b\xC3\xA9.html")).page, "encoded");
}

TEST_F(HttpFetcherTest, BodiesStatusesAndTheSizeLimit) {
    auto marked = [](std::size_t size) {
        std::string body(size, 'x');
        for (std::size_t i = 0; i < size; i += 1000)
            body[i] = static_cast<char>('a' + (i / 1000) % 26);
        return body;
    };
    constexpr std::size_t kMax = MAX_FETCH_BUFFER - 1;
    std::string nulBig(kMax + 2000, 'y');
    for (std::size_t i = 0; i < 1000; i += 100)
        nulBig[i] = '\0';
    struct Case {
        const char* why;
        int status;
        std::string body;
        bool contentLength;
        int result;
        std::string page;
    };
    const Case cases[] = {
        {"a 404 page is a failed read", 404, "<html>Not here</html>", true, 0, ""},
        {"NUL bytes are removed", 200, "a\0b\0\0c\0"s, true, 1, "abc"},
        {"an empty page fails", 200, "", true, 0, ""},
        {"a page of only NUL bytes fails", 200, std::string(10, '\0'), true, 0, ""},
        {"below the limit", 200, marked(kMax - 1), true, 1, marked(kMax - 1)},
        {"at the limit", 200, marked(kMax), true, 1, marked(kMax)},
        {"one byte over is cut", 200, marked(kMax + 1), true, 1, marked(kMax)},
        {"close-delimited below", 200, marked(kMax - 1), false, 1, marked(kMax - 1)},
        {"close-delimited over", 200, marked(kMax + 122000), false, 1, marked(kMax)},
        {"the limit counts bytes before NUL removal", 200, nulBig, true, 1, std::string(kMax - 10, 'y')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        TestHttpResponse response;
        response.status = c.status;
        response.body = c.body;
        response.sendContentLength = c.contentLength;
        server.SetResponse("/p", response);
        const FetchResult r = Fetch(server.Url("/p"));
        EXPECT_EQ(r.result, c.result);
        ASSERT_EQ(r.page.size(), c.page.size());
        EXPECT_EQ(r.page, c.page);
    }
}

TEST_F(HttpFetcherTest, FollowsRedirectsToAnotherPortButNotForever) {
    CTestHttpServer other;
    other.SetPage("/moved/here.html", "arrived");
    server.SetRedirect("/old.html", other.Url("/moved/here.html"), 301);
    server.SetRedirect("/hop", "/old.html");
    const FetchResult r = Fetch(server.Url("/hop"));
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.page, "arrived");
    EXPECT_EQ(server.RequestCount("/old.html"), 1);
    EXPECT_EQ(other.RequestCount("/moved/here.html"), 1);

    server.SetRedirect("/loop", "/loop");
    ExpectFailed(Fetch(server.Url("/loop")));
    EXPECT_EQ(server.RequestCount("/loop"), 11);  // the first request and ten redirects
}

TEST_F(HttpFetcherTest, AWebServer401NeverGetsCredentials) {
    // Directly, and behind a proxy that lets the request through.
    CTestHttpServer web;
    web.SetAuthRequired("/private");
    ExpectFailed(Fetch(web.Url("/private"), nullptr, "alice", "s3cret"));
    server.EnableProxy("alice", "s3cret");
    const std::string proxy = ProxyAddress();
    ExpectFailed(Fetch(web.Url("/private"), proxy.c_str(), "alice", "s3cret"));

    const auto seen = web.Requests();
    ASSERT_EQ(seen.size(), 2u);  // no retry either time
    for (const TestHttpRequest& q : seen) {
        EXPECT_FALSE(q.HasHeader("Authorization"));
        EXPECT_FALSE(q.HasHeader("Proxy-Authorization"));
    }
    EXPECT_EQ(server.RequestCount(), 2);  // the proxy: refused once, then let through
}

TEST_F(HttpFetcherTest, AProxyGetsItsCredentialsOnlyAfterA407AndAtMostThreeTimes) {
    server.EnableProxy("alice", "s3cret");
    server.SetPage("/front.html", "front page via proxy");
    const std::string proxy = ProxyAddress();
    // Made-up hosts: through a proxy the fetcher never resolves them.
    struct Case {
        const char *url, *password, *basic;
        int result;
        std::size_t requests;
        const char* method;
    };
    const Case cases[] = {
        {"http://news.example.invalid/front.html", "s3cret", "Basic YWxpY2U6czNjcmV0", 1, 2, "GET"},
        {"http://news.example.invalid/front.html", "wrong", "Basic YWxpY2U6d3Jvbmc=", 0, 4, "GET"},
        // The test proxy refuses every tunnel it lets through, so these fail either way.
        {"https://secure.example.invalid/x", "s3cret", "Basic YWxpY2U6czNjcmV0", 0, 2, "CONNECT"},
        {"https://secure.example.invalid/x", "wrong", "Basic YWxpY2U6d3Jvbmc=", 0, 4, "CONNECT"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.url) + " " + c.password);
        server.ClearLog();
        const FetchResult r = Fetch(c.url, proxy.c_str(), "alice", c.password);
        if (c.result == 1) {
            EXPECT_EQ(r.page, "front page via proxy");
        } else {
            ExpectFailed(r);
        }
        const auto requests = server.Requests();
        ASSERT_EQ(requests.size(), c.requests);
        EXPECT_FALSE(requests[0].HasHeader("Proxy-Authorization"));
        for (std::size_t i = 0; i < requests.size(); ++i) {
            EXPECT_EQ(requests[i].method, c.method);
            EXPECT_FALSE(requests[i].HasHeader("Authorization"));
            if (i > 0) {
                EXPECT_EQ(requests[i].Header("Proxy-Authorization"), c.basic);
            }
        }
    }
}

TEST_F(HttpFetcherTest, AnAbortFromAnotherThreadEndsAStalledFetchOrTheConnectBackOff) {
    server.SetResponse("/slow", Stalling(true));
    server.SetResponse("/half", Stalling(false));
    auto abortOnceBlocked = [&](const std::string& url, const std::function<bool()>& blocked) {
        SCOPED_TRACE(url);
        FetchResult r;
        std::thread worker([&] { r = Fetch(url); });
        EXPECT_TRUE(blocked());
        EXPECT_NE(fetcher.GetStartTime(), 0);
        const auto before = std::chrono::steady_clock::now();
        fetcher.AbortRequest();
        worker.join();
        std::printf("abort delay (%s): %.2f ms\n", url.c_str(),
                    std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - before).count());
        ExpectFailed(r);
    };
    abortOnceBlocked(server.Url("/slow"), [&] { return server.WaitForStalls(1, 10000); });
    abortOnceBlocked(server.Url("/half"), [&] { return server.WaitForStalls(2, 10000); });

    // Neither those aborts nor one while idle spoil the next fetch.
    server.ReleaseStalls();
    fetcher.AbortRequest();
    server.SetPage("/next", "next page");
    const FetchResult next = Fetch(server.Url("/next"));
    EXPECT_EQ(next.result, 1);
    EXPECT_EQ(next.page, "next page");

    FetchTimeouts slowBackoff;
    slowBackoff.connectBackoffMs = 600000;
    fetcher.SetTimeoutsForTesting(slowBackoff);
    abortOnceBlocked("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/", [&] {
        while (fetcher.GetStartTime() == 0)
            std::this_thread::yield();
        return true;
    });
}

TEST_F(HttpFetcherTest, SilenceRefusedConnectionsAndBadUrlsFail) {
    FetchTimeouts quick;
    quick.receiveMs = 300;
    quick.connectBackoffMs = 10;
    fetcher.SetTimeoutsForTesting(quick);
    server.SetResponse("/silent", Stalling(true));
    server.SetResponse("/stuck", Stalling(false));

    for (const std::string& url : {server.Url("/silent"), server.Url("/stuck"),
                                   "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/", "no url at all"s}) {
        SCOPED_TRACE(url);
        ExpectFailed(Fetch(url));
    }
    EXPECT_EQ(server.RequestCount("/silent"), 1);
    EXPECT_EQ(server.RequestCount("/stuck"), 1);
    EXPECT_EQ(server.RequestCount(), 2);  // nothing was sent for the bad URL
}

}  // namespace
