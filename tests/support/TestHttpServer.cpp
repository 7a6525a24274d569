#include "support/TestHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <iterator>
#include <stdexcept>

namespace {

constexpr std::size_t kMaxRequestHead = 64 * 1024;

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return std::string(text);
}

std::string Base64(std::string_view data)
{
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < data.size(); i += 3) {
        const unsigned v = (static_cast<unsigned char>(data[i]) << 16) |
                           (static_cast<unsigned char>(data[i + 1]) << 8) | static_cast<unsigned char>(data[i + 2]);
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += kAlphabet[v & 63];
    }
    if (i + 1 == data.size()) {
        const unsigned v = static_cast<unsigned char>(data[i]) << 16;
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += "==";
    } else if (i + 2 == data.size()) {
        const unsigned v = (static_cast<unsigned char>(data[i]) << 16) | (static_cast<unsigned char>(data[i + 1]) << 8);
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += '=';
    }
    return out;
}

const char* ReasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 204: return "No Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 307: return "Temporary Redirect";
    case 308: return "Permanent Redirect";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 407: return "Proxy Authentication Required";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

bool SendAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

// Splits an absolute-form target "http://host:port/path" into its parts.
bool SplitAbsolute(const std::string& target, std::string& host, std::uint16_t& port, std::string& path)
{
    const std::size_t scheme = target.find("://");
    if (scheme == std::string::npos)
        return false;
    const std::size_t start = scheme + 3;
    const std::size_t slash = target.find_first_of("/?", start);
    const std::string authority = target.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    path = slash == std::string::npos ? "/" : target.substr(slash);
    if (!path.empty() && path.front() == '?')
        path = "/" + path;
    const std::size_t colon = authority.rfind(':');
    port = 80;
    host = authority;
    if (colon != std::string::npos && authority.find(']', colon) == std::string::npos) {
        host = authority.substr(0, colon);
        port = static_cast<std::uint16_t>(std::atoi(authority.c_str() + colon + 1));
    }
    return true;
}

}  // namespace

std::string TestHttpRequest::Header(std::string_view name) const
{
    for (const auto& [key, value] : headers) {
        if (EqualsNoCase(key, name))
            return value;
    }
    return std::string();
}

bool TestHttpRequest::HasHeader(std::string_view name) const
{
    return std::any_of(headers.begin(), headers.end(), [&](const auto& h) { return EqualsNoCase(h.first, name); });
}

CTestHttpServer::CTestHttpServer()
{
    if (::pipe(m_wakePipe) != 0)
        throw std::runtime_error("test server: pipe failed");
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0)
        throw std::runtime_error("test server: socket failed");
    const int yes = 1;
    ::setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (::bind(m_listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(m_listenFd, 64) != 0)
        throw std::runtime_error("test server: bind/listen failed");
    socklen_t len = sizeof addr;
    ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&addr), &len);
    m_nPort = ntohs(addr.sin_port);
    m_acceptThread = std::thread([this] { AcceptLoop(); });
}

CTestHttpServer::~CTestHttpServer()
{
    Stop();
    for (int fd : m_wakePipe) {
        if (fd >= 0)
            ::close(fd);
    }
}

void CTestHttpServer::Stop()
{
    std::lock_guard<std::mutex> stopGuard(m_stopMutex);
    if (!m_acceptThread.joinable())
        return;
    m_bStopping.store(true);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_cv.notify_all();
    }
    const char byte = 1;
    [[maybe_unused]] const ssize_t w = ::write(m_wakePipe[1], &byte, 1);
    m_acceptThread.join();
    ::close(m_listenFd);
    m_listenFd = -1;

    std::vector<Connection> connections;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (int fd : m_openFds)
            ::shutdown(fd, SHUT_RDWR);
        connections.swap(m_connections);
        m_cv.notify_all();
    }
    for (Connection& c : connections)
        c.thread.join();
}

std::string CTestHttpServer::Url(std::string_view path) const
{
    std::string url = "http://127.0.0.1:" + std::to_string(m_nPort);
    if (path.empty() || path.front() != '/')
        url += '/';
    url += path;
    return url;
}

void CTestHttpServer::SetPage(const std::string& path, std::string body, const std::string& contentType)
{
    TestHttpResponse response;
    response.body = std::move(body);
    response.headers.emplace_back("Content-Type", contentType);
    SetResponse(path, std::move(response));
}

void CTestHttpServer::SetResponse(const std::string& path, int status, std::string body,
                                  std::vector<std::pair<std::string, std::string>> headers)
{
    TestHttpResponse response;
    response.status = status;
    response.body = std::move(body);
    response.headers = std::move(headers);
    SetResponse(path, std::move(response));
}

void CTestHttpServer::SetResponse(const std::string& path, TestHttpResponse response)
{
    SetHandler(path, [response = std::move(response)](const TestHttpRequest&) { return response; });
}

void CTestHttpServer::SetRedirect(const std::string& path, const std::string& location, int status)
{
    SetResponse(path, status, "Moved to " + location, {{"Location", location}});
}

void CTestHttpServer::SetAuthRequired(const std::string& path, std::string body)
{
    SetResponse(path, 401, std::move(body), {{"WWW-Authenticate", "Basic realm=\"test\""}});
}

void CTestHttpServer::SetHandler(const std::string& path, Handler handler)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_handlers[path] = std::move(handler);
}

void CTestHttpServer::SetFallbackHandler(Handler handler)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_fallback = std::move(handler);
}

void CTestHttpServer::RemovePage(const std::string& path)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_handlers.erase(path);
}

void CTestHttpServer::ClearPages()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_handlers.clear();
    m_fallback = nullptr;
}

void CTestHttpServer::EnableProxy(const std::string& user, const std::string& password)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bProxy = true;
    m_strProxyCredentials = Base64(user + ":" + password);
}

void CTestHttpServer::ReleaseStalls()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_nReleaseGeneration;
    m_cv.notify_all();
}

bool CTestHttpServer::WaitForStalls(int count, int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_nStallsTotal >= count; });
}

bool CTestHttpServer::WaitForRequests(int count, int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_nRequestsTotal >= count; });
}

std::vector<TestHttpRequest> CTestHttpServer::Requests() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_log;
}

int CTestHttpServer::RequestCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_log.size());
}

int CTestHttpServer::RequestCount(const std::string& path) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(std::count_if(m_log.begin(), m_log.end(), [&](const TestHttpRequest& r) { return r.path == path; }));
}

void CTestHttpServer::ClearLog()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_log.clear();
}

void CTestHttpServer::AcceptLoop()
{
    while (!m_bStopping.load()) {
        pollfd fds[2] = {{m_listenFd, POLLIN, 0}, {m_wakePipe[0], POLLIN, 0}};
        if (::poll(fds, 2, 1000) < 0)
            continue;
        if (fds[1].revents != 0 || m_bStopping.load())
            break;
        ReapFinished();
        if ((fds[0].revents & POLLIN) == 0)
            continue;
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        std::lock_guard<std::mutex> lock(m_mutex);
        m_openFds.push_back(fd);
        Connection c;
        c.fd = fd;
        c.done = std::make_shared<std::atomic<bool>>(false);
        c.thread = std::thread([this, fd, done = c.done] {
            Serve(fd);
            done->store(true);
        });
        m_connections.push_back(std::move(c));
    }
}

void CTestHttpServer::ReapFinished()
{
    std::vector<Connection> finished;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto split = std::partition(m_connections.begin(), m_connections.end(),
                                    [](const Connection& c) { return !c.done->load(); });
        std::move(split, m_connections.end(), std::back_inserter(finished));
        m_connections.erase(split, m_connections.end());
    }
    for (Connection& c : finished)
        c.thread.join();
}

void CTestHttpServer::Track(int fd)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_openFds.push_back(fd);
    if (m_bStopping.load())
        ::shutdown(fd, SHUT_RDWR);  // Stop already passed: do not let it block
}

void CTestHttpServer::Untrack(int fd)
{
    // Closing under the lock keeps Stop from shutting down a reused number.
    std::lock_guard<std::mutex> lock(m_mutex);
    m_openFds.erase(std::remove(m_openFds.begin(), m_openFds.end(), fd), m_openFds.end());
    ::close(fd);
}

void CTestHttpServer::Serve(int fd)
{
    TestHttpRequest request;
    if (ReadRequest(fd, request)) {
        std::uint16_t forwardPort = 0;
        bool authorised = true;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_log.push_back(request);
            ++m_nRequestsTotal;
            m_cv.notify_all();
            if ((request.absoluteForm || request.method == "CONNECT") && m_bProxy) {
                authorised = request.Header("Proxy-Authorization") == "Basic " + m_strProxyCredentials;
                std::string host, path;
                std::uint16_t port = 0;
                if (authorised && SplitAbsolute(request.target, host, port, path) &&
                    (host == "127.0.0.1" || host == "localhost") && port != m_nPort)
                    forwardPort = port;
            }
        }
        if (!authorised) {
            TestHttpResponse refusal;
            refusal.status = 407;
            refusal.body = "Proxy authentication required";
            refusal.headers.emplace_back("Proxy-Authenticate", "Basic realm=\"test proxy\"");
            SendResponse(fd, refusal);
        } else if (request.method == "CONNECT") {
            TestHttpResponse noTunnel;
            noTunnel.status = 502;
            noTunnel.body = "Tunnels are not offered";
            SendResponse(fd, noTunnel);
        } else if (forwardPort != 0) {
            Forward(fd, request, forwardPort);
        } else {
            SendResponse(fd, Answer(request));
        }
    }
    ::shutdown(fd, SHUT_WR);
    Untrack(fd);
}

bool CTestHttpServer::ReadRequest(int fd, TestHttpRequest& request)
{
    std::string data;
    char buffer[4096];
    std::size_t headEnd;
    while ((headEnd = data.find("\r\n\r\n")) == std::string::npos) {
        if (data.size() > kMaxRequestHead)
            return false;
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0)
            return false;
        data.append(buffer, static_cast<std::size_t>(got));
    }
    const std::string head = data.substr(0, headEnd);
    std::size_t lineEnd = head.find("\r\n");
    const std::string requestLine = head.substr(0, lineEnd);
    const std::size_t sp1 = requestLine.find(' ');
    const std::size_t sp2 = requestLine.rfind(' ');
    if (sp1 == std::string::npos || sp2 == sp1)
        return false;
    request.method = requestLine.substr(0, sp1);
    request.target = requestLine.substr(sp1 + 1, sp2 - sp1 - 1);
    request.version = requestLine.substr(sp2 + 1);
    request.absoluteForm = request.target.find("://") != std::string::npos;
    if (request.absoluteForm) {
        std::string host;
        std::uint16_t port = 0;
        SplitAbsolute(request.target, host, port, request.path);
    } else {
        request.path = request.target;
    }
    while (lineEnd != std::string::npos) {
        const std::size_t start = lineEnd + 2;
        lineEnd = head.find("\r\n", start);
        const std::string line = head.substr(start, lineEnd == std::string::npos ? std::string::npos : lineEnd - start);
        const std::size_t colon = line.find(':');
        if (colon != std::string::npos)
            request.headers.emplace_back(line.substr(0, colon), Trim(std::string_view(line).substr(colon + 1)));
    }
    // A request body (none is expected) is read and dropped.
    std::size_t bodyLength = static_cast<std::size_t>(std::atol(request.Header("Content-Length").c_str()));
    std::size_t have = data.size() - (headEnd + 4);
    while (have < bodyLength) {
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0)
            return false;
        have += static_cast<std::size_t>(got);
    }
    return true;
}

TestHttpResponse CTestHttpServer::Answer(const TestHttpRequest& request)
{
    Handler handler;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_handlers.find(request.path);
        if (it == m_handlers.end()) {
            const std::size_t query = request.path.find('?');
            if (query != std::string::npos)
                it = m_handlers.find(request.path.substr(0, query));
        }
        if (it != m_handlers.end())
            handler = it->second;
        else
            handler = m_fallback;
    }
    if (handler)
        return handler(request);
    TestHttpResponse notFound;
    notFound.status = 404;
    notFound.body = "<html><body>Not found: " + request.path + "</body></html>";
    return notFound;
}

bool CTestHttpServer::Stall()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const std::uint64_t generation = m_nReleaseGeneration;
    ++m_nStallsTotal;
    m_cv.notify_all();
    m_cv.wait(lock, [&] { return m_bStopping.load() || m_nReleaseGeneration != generation; });
    return !m_bStopping.load();
}

void CTestHttpServer::SendResponse(int fd, const TestHttpResponse& response)
{
    if (response.stallBeforeHeaders && !Stall())
        return;
    std::string head = "HTTP/1.1 " + std::to_string(response.status) + " " + ReasonPhrase(response.status) + "\r\n";
    bool hasType = false;
    for (const auto& [name, value] : response.headers) {
        head += name + ": " + value + "\r\n";
        hasType = hasType || EqualsNoCase(name, "Content-Type");
    }
    if (!hasType)
        head += "Content-Type: text/html\r\n";
    if (response.sendContentLength)
        head += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    if (!SendAll(fd, head.data(), head.size()))
        return;
    std::size_t first = response.body.size();
    if (response.stallAfterBodyBytes != TestHttpResponse::kNoStall)
        first = std::min(first, response.stallAfterBodyBytes);
    if (!SendAll(fd, response.body.data(), first))
        return;
    if (response.stallAfterBodyBytes != TestHttpResponse::kNoStall) {
        if (!Stall())
            return;
        SendAll(fd, response.body.data() + first, response.body.size() - first);
    }
}

bool CTestHttpServer::Forward(int fd, const TestHttpRequest& request, std::uint16_t port)
{
    const int upstream = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (upstream < 0)
        return false;
    Track(upstream);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);  // never anywhere else
    addr.sin_port = htons(port);
    bool relayed = false;
    bool ok = ::connect(upstream, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    if (ok) {
        std::string out = request.method + " " + request.path + " HTTP/1.1\r\n";
        for (const auto& [name, value] : request.headers) {
            if (EqualsNoCase(name, "Proxy-Authorization") || EqualsNoCase(name, "Proxy-Connection") ||
                EqualsNoCase(name, "Connection"))
                continue;
            out += name + ": " + value + "\r\n";
        }
        out += "Connection: close\r\n\r\n";
        ok = SendAll(upstream, out.data(), out.size());
        char buffer[8192];
        ssize_t got;
        while (ok && (got = ::recv(upstream, buffer, sizeof buffer, 0)) > 0) {
            relayed = true;
            ok = SendAll(fd, buffer, static_cast<std::size_t>(got));
        }
    }
    if (!ok && !relayed) {
        TestHttpResponse failure;
        failure.status = 502;
        failure.body = "Bad gateway";
        SendResponse(fd, failure);
    }
    Untrack(upstream);
    return ok;
}
