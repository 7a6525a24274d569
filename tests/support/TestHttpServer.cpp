#include "support/TestHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace {

bool SendAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
        if (sent <= 0) return false;
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

bool ReadRequest(int fd, TestHttpRequest& request) {
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0 || head.size() > 65536) return false;
        head.append(buffer, static_cast<std::size_t>(got));
    }
    head.erase(head.find("\r\n\r\n") + 2);  // GET requests carry no body
    std::size_t lineEnd = head.find("\r\n");
    const std::string line = head.substr(0, lineEnd);
    const std::size_t sp1 = line.find(' '), sp2 = line.rfind(' ');
    if (sp1 == std::string::npos || sp2 == sp1) return false;
    request.method = line.substr(0, sp1);
    request.target = request.path = line.substr(sp1 + 1, sp2 - sp1 - 1);
    request.version = line.substr(sp2 + 1);
    const std::size_t scheme = request.target.find("://");
    request.absoluteForm = scheme != std::string::npos;
    if (request.absoluteForm) {
        const std::size_t slash = request.target.find('/', scheme + 3);
        request.path = slash == std::string::npos ? "/" : request.target.substr(slash);
    }
    for (std::size_t start = lineEnd + 2; (lineEnd = head.find("\r\n", start)) != std::string::npos;
         start = lineEnd + 2) {
        const std::string header = head.substr(start, lineEnd - start);
        const std::size_t colon = header.find(':');
        if (colon == std::string::npos) continue;
        const std::size_t value = header.find_first_not_of(' ', colon + 1);
        request.headers.emplace_back(header.substr(0, colon), value == std::string::npos ? "" : header.substr(value));
    }
    return true;
}

}  // namespace

std::string TestHttpRequest::Header(const std::string& name) const {
    for (const auto& [key, value] : headers)
        if (::strcasecmp(key.c_str(), name.c_str()) == 0) return value;
    return "";
}

bool TestHttpRequest::HasHeader(const std::string& name) const {
    return std::any_of(headers.begin(), headers.end(),
                       [&](const auto& h) { return ::strcasecmp(h.first.c_str(), name.c_str()) == 0; });
}

CTestHttpServer::CTestHttpServer() {
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (m_listenFd < 0 || ::bind(m_listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(m_listenFd, 64) != 0 || ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        throw std::runtime_error("test server: cannot listen");
    m_nPort = ntohs(addr.sin_port);
    m_acceptThread = std::thread([this] { AcceptLoop(); });
}

CTestHttpServer::~CTestHttpServer() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_bStopping = true;
    ::shutdown(m_listenFd, SHUT_RDWR);  // ends the accept loop's wait
    for (int fd : m_openFds) ::shutdown(fd, SHUT_RDWR);
    m_cv.notify_all();
    lock.unlock();
    m_acceptThread.join();
    ::close(m_listenFd);
    lock.lock();
    m_cv.wait(lock, [this] { return m_openFds.empty(); });
}

void CTestHttpServer::SetPage(const std::string& path, std::string body, const std::string& contentType) {
    SetResponse(path, {.body = std::move(body), .headers = {{"Content-Type", contentType}}});
}

bool CTestHttpServer::WaitForStalls(int count, int timeoutMs) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_nStalls >= count; });
}

int CTestHttpServer::RequestCount(const std::string& path) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(
        std::count_if(m_log.begin(), m_log.end(), [&](const TestHttpRequest& r) { return r.path == path; }));
}

void CTestHttpServer::AcceptLoop() {
    for (;;) {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_bStopping) {
            if (fd >= 0) ::close(fd);
            return;
        }
        if (fd < 0) continue;
        m_openFds.push_back(fd);
        std::thread([this, fd] {
            Serve(fd);
            std::lock_guard<std::mutex> lock(m_mutex);
            m_openFds.erase(std::find(m_openFds.begin(), m_openFds.end(), fd));
            ::close(fd);  // under the lock, so the destructor never shuts down a reused number
            m_cv.notify_all();
        }).detach();
    }
}

void CTestHttpServer::Serve(int fd) {
    TestHttpRequest request;
    if (!ReadRequest(fd, request)) return;
    TestHttpResponse response;
    Handler handler;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_log.push_back(request);
        const bool proxied = request.absoluteForm || request.method == "CONNECT";
        auto it = m_handlers.find(request.path);
        if (it == m_handlers.end()) it = m_handlers.find(request.path.substr(0, request.path.find('?')));
        if (proxied && !m_strProxyCredentials.empty() &&
            request.Header("Proxy-Authorization") != m_strProxyCredentials) {
            response.status = 407;
            response.headers.emplace_back("Proxy-Authenticate", "Basic realm=\"test proxy\"");
        } else if (request.method == "CONNECT") {
            response.status = 502;
        } else if (it != m_handlers.end()) {
            handler = it->second;
        } else {
            response.status = 404;
            response.body = "<html><body>Not found</body></html>";
        }
    }
    Send(fd, handler ? handler(request) : response);
    ::shutdown(fd, SHUT_WR);
}

bool CTestHttpServer::Stall() {
    std::unique_lock<std::mutex> lock(m_mutex);
    const int releases = m_nReleases;
    ++m_nStalls;
    m_cv.notify_all();
    m_cv.wait(lock, [&] { return m_bStopping || m_nReleases != releases; });
    return !m_bStopping;
}

void CTestHttpServer::Send(int fd, const TestHttpResponse& response) {
    if (response.stallBeforeHeaders && !Stall()) return;
    std::string head = "HTTP/1.1 " + std::to_string(response.status) + " Status\r\n";
    bool hasType = false;
    for (const auto& [name, value] : response.headers) {
        head += name + ": " + value + "\r\n";
        hasType = hasType || ::strcasecmp(name.c_str(), "Content-Type") == 0;
    }
    if (!hasType) head += "Content-Type: text/html\r\n";
    if (response.sendContentLength) head += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    const std::size_t first = std::min(response.body.size(), response.stallAfterBodyBytes);
    if (!SendAll(fd, head.data(), head.size()) || !SendAll(fd, response.body.data(), first)) return;
    if (first < response.body.size() && Stall())
        SendAll(fd, response.body.data() + first, response.body.size() - first);
}
