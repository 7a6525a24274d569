// CTestHttpServer: an HTTP/1.1 server on 127.0.0.1 that tests start and stop
// themselves. It serves pages, stalls and a proxy with Basic authentication,
// and records every request. One thread serves each connection; every
// response closes its connection.
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

using TestHttpHeaders = std::vector<std::pair<std::string, std::string>>;

struct TestHttpRequest {
    std::string method, target, path, version;  // target as sent; path: its path and query
    bool absoluteForm = false;                  // "GET http://host/..." as sent to a proxy
    TestHttpHeaders headers;
    std::string Header(const std::string& name) const;  // case-insensitive; "" when absent
    bool HasHeader(const std::string& name) const;
};

struct TestHttpResponse {
    int status = 200;
    std::string body = {};
    TestHttpHeaders headers = {};   // Content-Type text/html unless given
    bool sendContentLength = true;  // false: the body ends with the connection
    // Stalls last until ReleaseStalls() or the server stops.
    bool stallBeforeHeaders = false;
    std::size_t stallAfterBodyBytes = static_cast<std::size_t>(-1);
};

class CTestHttpServer {
public:
    using Handler = std::function<TestHttpResponse(const TestHttpRequest&)>;

    CTestHttpServer();   // listens on a port the system chooses
    ~CTestHttpServer();  // closes every connection, stalled ones included
    CTestHttpServer(const CTestHttpServer&) = delete;
    CTestHttpServer& operator=(const CTestHttpServer&) = delete;

    std::uint16_t Port() const { return m_nPort; }
    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(m_nPort) + path; }

    // A request is answered by its path and query, else by its path, else with a 404.
    void SetPage(const std::string& path, std::string body, const std::string& contentType = "text/html");
    void SetResponse(const std::string& path, TestHttpResponse r) {
        SetHandler(path, [r = std::move(r)](const TestHttpRequest&) { return r; });
    }
    // handler runs on a connection thread.
    void SetHandler(const std::string& path, Handler h) { Locked([&] { m_handlers[path] = std::move(h); }); }
    void ClearPages() { Locked([&] { m_handlers.clear(); }); }

    // Absolute-form requests and CONNECT get 407 until they carry
    // "Proxy-Authorization: <credentials>" (e.g. "Basic YWxpY2U6czNjcmV0");
    // then CONNECT gets 502 (no tunnels) and the rest are served from this
    // server's pages by their path.
    void EnableProxy(const std::string& credentials) { Locked([&] { m_strProxyCredentials = credentials; }); }

    void ReleaseStalls() {
        Locked([&] { ++m_nReleases; });
        m_cv.notify_all();
    }
    bool WaitForStalls(int count, int timeoutMs);  // count reached in all, since the start

    std::vector<TestHttpRequest> Requests() const { return Locked([&] { return m_log; }); }
    int RequestCount() const { return static_cast<int>(Requests().size()); }
    int RequestCount(const std::string& path) const;
    void ClearLog() { Locked([&] { m_log.clear(); }); }

private:
    template <class Fn>
    auto Locked(Fn fn) const -> decltype(fn()) {
        std::lock_guard<std::mutex> lock(m_mutex);
        return fn();
    }
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
    int m_nStalls = 0, m_nReleases = 0;
    std::vector<int> m_openFds;  // one per running connection thread
};
