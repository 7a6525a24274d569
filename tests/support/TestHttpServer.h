// CTestHttpServer: a small HTTP/1.1 server on 127.0.0.1 that tests start and
// stop themselves. It serves pages, stalls and a proxy with Basic
// authentication, and records every request. One thread serves each
// connection; every response closes its connection.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

struct TestHttpRequest {
    std::string method, target, path, version;  // target as sent; path: its path and query
    bool absoluteForm = false;         // "GET http://host/..." as sent to a proxy
    std::vector<std::pair<std::string, std::string>> headers;

    // The first header of that name (case-insensitive), or "" when absent.
    std::string Header(const std::string& name) const;
    bool HasHeader(const std::string& name) const;
};

struct TestHttpResponse {
    static constexpr std::size_t kNoStall = static_cast<std::size_t>(-1);
    int status = 200;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;  // Content-Type text/html unless given
    bool sendContentLength = true;  // false: the body ends with the connection
    // Stalls last until ReleaseStalls() or the server stops.
    bool stallBeforeHeaders = false;
    std::size_t stallAfterBodyBytes = kNoStall;
};

class CTestHttpServer {
public:
    using Handler = std::function<TestHttpResponse(const TestHttpRequest&)>;

    CTestHttpServer();  // listens on a port the system chooses
    ~CTestHttpServer();  // closes every connection, stalled ones included
    CTestHttpServer(const CTestHttpServer&) = delete;
    CTestHttpServer& operator=(const CTestHttpServer&) = delete;

    std::uint16_t Port() const { return m_nPort; }
    std::string Url(const std::string& path) const;  // "http://127.0.0.1:PORT" + path

    // Requests are answered by their path and query, then by the path alone,
    // else with a 404.
    void SetPage(const std::string& path, std::string body, const std::string& contentType = "text/html");
    void SetResponse(const std::string& path, TestHttpResponse response);
    void SetHandler(const std::string& path, Handler handler);  // runs on a connection thread
    void ClearPages();

    // Absolute-form requests and CONNECT get 407 until they carry
    // "Proxy-Authorization: <credentials>" (e.g. "Basic YWxpY2U6czNjcmV0");
    // then CONNECT gets 502 (no tunnels) and the rest are served from this
    // server's pages by their path.
    void EnableProxy(const std::string& credentials);

    void ReleaseStalls();
    // Waits until count responses in all have reached a stall.
    bool WaitForStalls(int count, int timeoutMs);

    std::vector<TestHttpRequest> Requests() const;
    int RequestCount() const;
    int RequestCount(const std::string& path) const;
    void ClearLog();

private:
    void AcceptLoop();
    void Serve(int fd);
    void Send(int fd, const TestHttpResponse& response);
    bool Stall();  // false when the server stops meanwhile

    int m_listenFd = -1;
    std::uint16_t m_nPort = 0;
    std::thread m_acceptThread;

    mutable std::mutex m_mutex;  // guards everything below
    std::condition_variable m_cv;
    bool m_bStopping = false;
    std::map<std::string, Handler> m_handlers;
    std::string m_strProxyCredentials;  // empty: not a proxy
    std::vector<TestHttpRequest> m_log;
    int m_nStalls = 0;
    int m_nReleases = 0;
    int m_nLive = 0;  // connection threads still running
    std::vector<int> m_openFds;
};
