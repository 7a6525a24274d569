// CTestHttpServer: a small HTTP/1.1 server on 127.0.0.1 that tests start and
// stop themselves. It serves pages, status codes, redirects, stalls and a
// proxy with Basic authentication, and records every request it received.
// One thread accepts connections and one thread serves each connection; every
// response closes its connection. It never connects anywhere but 127.0.0.1.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

// One request as the server received it.
struct TestHttpRequest {
    std::string method;
    std::string target;  // as sent: "/a?b", or "http://host:port/a?b" when sent to a proxy
    std::string path;    // path and query of the target
    std::string version; // "HTTP/1.1"
    bool absoluteForm = false;
    std::vector<std::pair<std::string, std::string>> headers;  // in order, names as sent

    // The first header of that name (case-insensitive), or "" when absent.
    std::string Header(std::string_view name) const;
    bool HasHeader(std::string_view name) const;
};

// What the server answers.
struct TestHttpResponse {
    static constexpr std::size_t kNoStall = static_cast<std::size_t>(-1);

    int status = 200;
    std::string body;
    // Extra headers; a "Content-Type" given here replaces the default text/html.
    std::vector<std::pair<std::string, std::string>> headers;
    bool sendContentLength = true;  // false: the end of the body is the end of the connection
    bool stallBeforeHeaders = false;           // wait before sending anything
    std::size_t stallAfterBodyBytes = kNoStall;  // wait after sending this many body bytes
    // Stalls last until ReleaseStalls() or Stop().
};

class CTestHttpServer {
public:
    using Handler = std::function<TestHttpResponse(const TestHttpRequest&)>;

    // Starts listening on 127.0.0.1 with a port the system chooses.
    CTestHttpServer();
    ~CTestHttpServer();
    CTestHttpServer(const CTestHttpServer&) = delete;
    CTestHttpServer& operator=(const CTestHttpServer&) = delete;

    // Closes the listener and every open connection (stalled ones included)
    // and waits for the server's threads. Safe to call more than once.
    void Stop();

    std::uint16_t Port() const { return m_nPort; }
    // "http://127.0.0.1:PORT" + path (a missing leading '/' is added).
    std::string Url(std::string_view path = "/") const;

    // Pages are looked up by the request's path and query, then by the path
    // alone; anything else gets a 404 with a short body.
    void SetPage(const std::string& path, std::string body, const std::string& contentType = "text/html");
    void SetResponse(const std::string& path, int status, std::string body,
                     std::vector<std::pair<std::string, std::string>> headers = {});
    void SetResponse(const std::string& path, TestHttpResponse response);
    void SetRedirect(const std::string& path, const std::string& location, int status = 302);
    // A web server page that demands credentials (401 with WWW-Authenticate).
    void SetAuthRequired(const std::string& path, std::string body = "Authorization required");
    // handler answers every request for path; it runs on a connection thread.
    void SetHandler(const std::string& path, Handler handler);
    // Answers requests no page or handler matches (instead of the 404).
    void SetFallbackHandler(Handler handler);
    void RemovePage(const std::string& path);
    void ClearPages();

    // Makes the server act as a proxy too: a request in absolute form ("GET
    // http://host:port/path") gets 407 with Proxy-Authenticate until it
    // carries "Proxy-Authorization: Basic" with user:password. An accepted
    // request for 127.0.0.1 or localhost on another port is forwarded to that
    // port; any other is served from this server's own pages by its path.
    // A CONNECT request gets the same 407 check, and then a 502: the server
    // opens no tunnels.
    void EnableProxy(const std::string& user, const std::string& password);

    // Lets every stalled response go on.
    void ReleaseStalls();
    // Waits until at least count responses have reached a stall (in total
    // since the start); false when timeoutMs passes first.
    bool WaitForStalls(int count, int timeoutMs);
    // Waits until at least count requests have been received in total.
    bool WaitForRequests(int count, int timeoutMs);

    std::vector<TestHttpRequest> Requests() const;
    int RequestCount() const;
    int RequestCount(const std::string& path) const;
    void ClearLog();

private:
    struct Connection {
        std::thread thread;
        int fd = -1;
        std::shared_ptr<std::atomic<bool>> done;
    };

    void AcceptLoop();
    void Serve(int fd);
    bool ReadRequest(int fd, TestHttpRequest& request);
    TestHttpResponse Answer(const TestHttpRequest& request);
    bool Forward(int fd, const TestHttpRequest& request, std::uint16_t port);
    void SendResponse(int fd, const TestHttpResponse& response);
    bool Stall();  // false when the server stops meanwhile
    void Track(int fd);
    void Untrack(int fd);
    void ReapFinished();

    int m_listenFd = -1;
    int m_wakePipe[2] = {-1, -1};
    std::uint16_t m_nPort = 0;
    std::thread m_acceptThread;
    std::atomic<bool> m_bStopping{false};
    std::mutex m_stopMutex;  // serialises Stop

    mutable std::mutex m_mutex;  // guards everything below
    std::condition_variable m_cv;
    std::map<std::string, Handler> m_handlers;
    Handler m_fallback;
    bool m_bProxy = false;
    std::string m_strProxyCredentials;  // base64 of user:password
    std::vector<TestHttpRequest> m_log;
    int m_nRequestsTotal = 0;
    int m_nStallsTotal = 0;
    std::uint64_t m_nReleaseGeneration = 0;
    std::vector<Connection> m_connections;
    std::vector<int> m_openFds;  // connection and forwarding sockets to shut down on Stop
};
