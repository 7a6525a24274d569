// Checks of the loopback test server itself where the fetcher tests do not
// reach: finishing a released stall, and stopping with connections still open.
#include "support/TestHttpServer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

namespace {

// Connects to the server and sends request.
int Send(std::uint16_t port, const std::string& request) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    EXPECT_EQ(::send(fd, request.data(), request.size(), MSG_NOSIGNAL), static_cast<ssize_t>(request.size()));
    return fd;
}

TEST(TestHttpServerTest, ReleasedStallsFinishAndStopEndsOpenConnections) {
    TestHttpResponse half;
    half.body = "0123456789";
    half.stallAfterBodyBytes = 4;
    half.sendContentLength = false;
    TestHttpResponse stalled;
    stalled.body = "abc";
    stalled.stallBeforeHeaders = true;
    CTestHttpServer upstream;
    upstream.SetResponse("/stall", stalled);
    CTestHttpServer server;
    server.EnableProxy("u", "p");
    server.SetResponse("/stall", stalled);
    server.SetResponse("/half", half);

    // A released stall sends the rest of the body, then closes the connection.
    int fd = Send(server.Port(), "GET /half HTTP/1.1\r\n\r\n");
    ASSERT_TRUE(server.WaitForStalls(1, 10000));
    server.ReleaseStalls();
    std::string response;
    char buffer[4096];
    for (ssize_t got; (got = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
        response.append(buffer, static_cast<std::size_t>(got));
    ::close(fd);
    EXPECT_EQ(response.find("Content-Length"), std::string::npos);
    EXPECT_EQ(response.substr(response.find("\r\n\r\n") + 4), "0123456789");

    // A client that never sends a request, one waiting on a stalled response,
    // and one waiting on the proxy while the server behind it stalls.
    const int silent = Send(server.Port(), "");
    const int waiting = Send(server.Port(), "GET /stall HTTP/1.1\r\n\r\n");
    const int proxied = Send(server.Port(), "GET " + upstream.Url("/stall") +
                                                " HTTP/1.1\r\nProxy-Authorization: Basic dTpw\r\n\r\n");
    ASSERT_TRUE(server.WaitForStalls(2, 10000));
    ASSERT_TRUE(upstream.WaitForStalls(1, 10000));
    server.Stop();  // must return although every connection is still open
    for (int fd : {silent, waiting}) {
        char byte;
        EXPECT_EQ(::recv(fd, &byte, 1, 0), 0);  // closed by the server
    }
    for (int fd : {silent, waiting, proxied})
        ::close(fd);
    server.Stop();  // a second Stop does nothing
}

}  // namespace
