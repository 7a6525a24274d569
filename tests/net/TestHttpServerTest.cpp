// Checks of the loopback test server itself: the other network tests and the
// engine's end-to-end tests rely on it answering and stopping as described.
#include "support/TestHttpServer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

namespace {

int Connect(std::uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    return fd;
}

// Sends request and reads until the server closes the connection.
std::string Exchange(std::uint16_t port, const std::string& request)
{
    const int fd = Connect(port);
    EXPECT_EQ(::send(fd, request.data(), request.size(), MSG_NOSIGNAL), static_cast<ssize_t>(request.size()));
    std::string response;
    char buffer[4096];
    ssize_t got;
    while ((got = ::recv(fd, buffer, sizeof buffer, 0)) > 0)
        response.append(buffer, static_cast<std::size_t>(got));
    ::close(fd);
    return response;
}

TEST(TestHttpServerTest, AnswersPagesHandlersAndUnknownPaths)
{
    CTestHttpServer server;
    server.SetPage("/page", "body text");
    server.SetHandler("/echo", [](const TestHttpRequest& r) {
        TestHttpResponse response;
        response.body = r.path + "|" + r.Header("x-probe");
        return response;
    });

    const std::string page = Exchange(server.Port(), "GET /page HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_EQ(page.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << page;
    EXPECT_NE(page.find("Content-Length: 9\r\n"), std::string::npos);
    EXPECT_EQ(page.substr(page.size() - 9), "body text");

    const std::string echo = Exchange(server.Port(), "GET /echo?q=1 HTTP/1.1\r\nX-Probe: yes\r\n\r\n");
    EXPECT_EQ(echo.substr(echo.find("\r\n\r\n") + 4), "/echo?q=1|yes");

    const std::string missing = Exchange(server.Port(), "GET /nothing HTTP/1.1\r\n\r\n");
    EXPECT_EQ(missing.rfind("HTTP/1.1 404 Not Found\r\n", 0), 0u);

    EXPECT_EQ(server.RequestCount(), 3);
    EXPECT_EQ(server.RequestCount("/echo?q=1"), 1);
    EXPECT_EQ(server.Requests()[1].Header("X-PROBE"), "yes");
}

TEST(TestHttpServerTest, ProxyModeRefusesWithoutTheRightCredentials)
{
    CTestHttpServer server;
    server.EnableProxy("u", "p");
    server.SetPage("/x", "served");
    const std::string refused = Exchange(server.Port(), "GET http://elsewhere.invalid/x HTTP/1.1\r\n\r\n");
    EXPECT_EQ(refused.rfind("HTTP/1.1 407 ", 0), 0u);
    EXPECT_NE(refused.find("Proxy-Authenticate: Basic"), std::string::npos);

    const std::string served = Exchange(server.Port(),
        "GET http://elsewhere.invalid/x HTTP/1.1\r\nProxy-Authorization: Basic dTpw\r\n\r\n");
    EXPECT_EQ(served.rfind("HTTP/1.1 200 ", 0), 0u);
    EXPECT_EQ(server.Requests()[1].path, "/x");
    EXPECT_TRUE(server.Requests()[1].absoluteForm);

    // Requests in origin form are served as by a web server.
    EXPECT_EQ(Exchange(server.Port(), "GET /x HTTP/1.1\r\n\r\n").rfind("HTTP/1.1 200 ", 0), 0u);
}

TEST(TestHttpServerTest, StopEndsSilentAndStalledConnections)
{
    CTestHttpServer upstream;
    TestHttpResponse stalled;
    stalled.body = "abc";
    stalled.stallBeforeHeaders = true;
    upstream.SetResponse("/stall", stalled);

    CTestHttpServer server;
    server.EnableProxy("u", "p");
    server.SetResponse("/stall", stalled);

    // A client that never sends a request, one waiting on a stalled response,
    // and one waiting on the proxy while the server behind it stalls.
    const int silent = Connect(server.Port());
    const int waiting = Connect(server.Port());
    const std::string request = "GET /stall HTTP/1.1\r\n\r\n";
    ::send(waiting, request.data(), request.size(), MSG_NOSIGNAL);
    const int proxied = Connect(server.Port());
    const std::string viaProxy = "GET " + upstream.Url("/stall") +
                                 " HTTP/1.1\r\nProxy-Authorization: Basic dTpw\r\n\r\n";
    ::send(proxied, viaProxy.data(), viaProxy.size(), MSG_NOSIGNAL);
    ASSERT_TRUE(server.WaitForStalls(1, 10000));
    ASSERT_TRUE(upstream.WaitForStalls(1, 10000));

    server.Stop();  // must return although every connection is still open
    char byte;
    EXPECT_EQ(::recv(silent, &byte, 1, 0), 0);
    EXPECT_EQ(::recv(waiting, &byte, 1, 0), 0);
    for (int fd : {silent, waiting, proxied})
        ::close(fd);
    server.Stop();  // a second Stop does nothing
}

TEST(TestHttpServerTest, ReleasedStallsFinishTheResponse)
{
    CTestHttpServer server;
    TestHttpResponse half;
    half.body = "0123456789";
    half.stallAfterBodyBytes = 4;
    half.sendContentLength = false;
    server.SetResponse("/half", half);

    const int fd = Connect(server.Port());
    const std::string request = "GET /half HTTP/1.1\r\n\r\n";
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    ASSERT_TRUE(server.WaitForStalls(1, 10000));
    server.ReleaseStalls();
    std::string response;
    char buffer[256];
    ssize_t got;
    while ((got = ::recv(fd, buffer, sizeof buffer, 0)) > 0)
        response.append(buffer, static_cast<std::size_t>(got));
    ::close(fd);
    EXPECT_EQ(response.find("Content-Length"), std::string::npos);
    EXPECT_EQ(response.substr(response.find("\r\n\r\n") + 4), "0123456789");
}

}  // namespace
