#include "net/HttpFetcher.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <memory>
#include <string_view>
#include <vector>

#include "net/AddressFence.h"

namespace {

using Clock = std::chrono::steady_clock;

const char* const kUserAgent = "Mozilla/4.0 (compatible; MSIE 4.01; Windows 95)";
constexpr int kAuthAttempts = 3;
constexpr long kMaxRedirects = 10;
constexpr long kReadChunk = 8192;

// What one request-response exchange collected.
struct Transfer {
    std::string body;
    HttpValidators validators;  // of the response being received
    bool full = false;         // the page reached MAX_PAGE_BYTES; the transfer was stopped
    bool requestSent = false;  // the request went out on the wire
    Clock::time_point started;
    Clock::time_point lastActivity;

    void Reset()
    {
        body.clear();
        validators = HttpValidators();
        full = false;
        requestSent = false;
        started = lastActivity = Clock::now();
    }
};

std::size_t WriteBody(char* data, std::size_t size, std::size_t count, void* user)
{
    auto* t = static_cast<Transfer*>(user);
    const std::size_t bytes = size * count;
    t->lastActivity = Clock::now();
    // The bytes come decompressed, so a small compressed body that inflates
    // past the limit is stopped here too.
    if (bytes >= MAX_PAGE_BYTES - t->body.size()) {
        t->full = true;
        return 0;  // taking less than given ends the transfer
    }
    t->body.append(data, bytes);
    return bytes;
}

// The value of header line "Name: value" when its name is name, else "".
std::string_view HeaderValue(std::string_view line, std::string_view name)
{
    if (line.size() <= name.size() || line[name.size()] != ':') return {};
    for (std::size_t i = 0; i < name.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(line[i])) != name[i]) return {};
    line.remove_prefix(name.size() + 1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' ')) line.remove_suffix(1);
    return line;
}

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user)
{
    auto* t = static_cast<Transfer*>(user);
    t->lastActivity = Clock::now();
    const std::string_view line(data, size * count);
    // Every response of a redirect chain starts with its status line; only
    // the last one's validators count.
    if (line.starts_with("HTTP/"))
        t->validators = HttpValidators();
    else if (const std::string_view etag = HeaderValue(line, "etag"); !etag.empty())
        t->validators.etag = etag;
    else if (const std::string_view modified = HeaderValue(line, "last-modified"); !modified.empty())
        t->validators.lastModified = modified;
    return size * count;
}

// Only used to learn when the request header has gone out: that is where
// the send time-out ends and the receive time-out begins.
int OnDebug(CURL*, curl_infotype type, char*, std::size_t, void* user)
{
    if (type == CURLINFO_HEADER_OUT) {
        auto* t = static_cast<Transfer*>(user);
        t->requestSent = true;
        t->lastActivity = Clock::now();
    }
    return 0;
}

// Percent-encodes the bytes a request line cannot carry as they are.
std::string EncodeObject(const std::string& object)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(object.size());
    for (char c : object) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u >= 0x7f || c == '"' || c == '<' || c == '>' || c == '\\' || c == '^' ||
            c == '`' || c == '{' || c == '|' || c == '}') {
            out += '%';
            out += kHex[u >> 4];
            out += kHex[u & 0x0f];
        } else {
            out += c;
        }
    }
    return out;
}

std::string BuildRequestUrl(const CUrlParts& url)
{
    std::string text = url.m_nServiceType == SERVICE_HTTPS ? "https://" : "http://";
    if (url.m_strServer.find(':') != std::string::npos)
        text += "[" + url.m_strServer + "]";
    else
        text += url.m_strServer;
    text += ":" + std::to_string(url.m_nPort);
    text += EncodeObject(url.m_strObject.empty() ? std::string("/") : url.m_strObject);
    return text;
}

bool IsEmpty(const char* text)
{
    return text == nullptr || text[0] == '\0';
}

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// How one exchange ended, apart from curl's own result code.
enum class Outcome { Completed, Aborted, TimedOut, Failed };

FetchFailure FailureOf(Outcome outcome) {
    switch (outcome) {
    case Outcome::Aborted: return FetchFailure::Aborted;
    case Outcome::TimedOut: return FetchFailure::TimedOut;
    default: return FetchFailure::NoConnection;
    }
}

FetchFailure FailureOf(CURLcode code) {
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return FetchFailure::Dns;
    case CURLE_OPERATION_TIMEDOUT:
        return FetchFailure::TimedOut;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_CLIENTCERT:
    case CURLE_USE_SSL_FAILED:
        return FetchFailure::Tls;
    case CURLE_BAD_CONTENT_ENCODING:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
    case CURLE_UNSUPPORTED_PROTOCOL:
        return FetchFailure::BadResponse;
    default:
        return FetchFailure::NoConnection;
    }
}

}  // namespace

struct CHttpFetcher::Impl {
    CURLM* multi = nullptr;
    std::atomic<bool> abort{false};
    FetchTimeouts timeouts;
    const FetchOptions* options = nullptr;  // of the running fetch

    // Whether AbortRequest or the options' abort epoch ended the fetch.
    bool Aborted() const
    {
        return abort.load() ||
            (options->pAbortEpoch != nullptr && options->pAbortEpoch->load() != options->abortEpoch);
    }

    // Runs one exchange on the multi handle until it ends, the caller aborts
    // or the connection stays silent too long.
    Outcome Run(CURL* easy, Transfer& t, CURLcode& code);
    // Runs one exchange, trying to connect again after a failed connection.
    Outcome RunWithRetries(CURL* easy, Transfer& t, CURLcode& code);
    // Waits ms milliseconds unless an abort comes first; false when aborted.
    bool Pause(long ms);
    // The whole fetch: the request, the proxy authentication loop and the page.
    FetchFailure Fetch(const CUrlParts& url, const char* proxy, const char* user, const char* password,
                       FetchResult& result);
};

Outcome CHttpFetcher::Impl::Run(CURL* easy, Transfer& t, CURLcode& code)
{
    code = CURLE_OK;
    t.Reset();
    if (curl_multi_add_handle(multi, easy) != CURLM_OK)
        return Outcome::Failed;

    Outcome outcome = Outcome::Failed;
    for (;;) {
        if (Aborted()) {
            outcome = Outcome::Aborted;
            break;
        }
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK)
            break;
        bool done = false;
        int queued = 0;
        while (CURLMsg* msg = curl_multi_info_read(multi, &queued)) {
            if (msg->msg == CURLMSG_DONE && msg->easy_handle == easy) {
                code = msg->data.result;
                done = true;
            }
        }
        if (done) {
            outcome = Outcome::Completed;
            break;
        }

        // Until the request is out, connecting and sending have their own
        // limits; after that, the response may pause for the receive limit.
        const Clock::time_point deadline = t.requestSent
            ? t.lastActivity + std::chrono::milliseconds(timeouts.receiveMs)
            : t.started + std::chrono::milliseconds(timeouts.connectMs + timeouts.sendMs);
        const Clock::time_point now = Clock::now();
        if (now >= deadline) {
            outcome = Outcome::TimedOut;
            break;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
        const int waitMs = static_cast<int>(std::clamp<long long>(left + 1, 1, 1000));
        if (curl_multi_poll(multi, nullptr, 0, waitMs, nullptr) != CURLM_OK)
            break;
    }
    curl_multi_remove_handle(multi, easy);
    return outcome;
}

Outcome CHttpFetcher::Impl::RunWithRetries(CURL* easy, Transfer& t, CURLcode& code)
{
    for (int attempt = 0;; ++attempt) {
        const Outcome outcome = Run(easy, t, code);
        if (outcome != Outcome::Completed)
            return outcome;
        const bool connectFailed = !t.requestSent &&
            (code == CURLE_COULDNT_CONNECT || code == CURLE_OPERATION_TIMEDOUT);
        if (!connectFailed || attempt >= timeouts.connectRetries)
            return outcome;
        if (!Pause(timeouts.connectBackoffMs))
            return Outcome::Aborted;
    }
}

bool CHttpFetcher::Impl::Pause(long ms)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        if (Aborted())
            return false;
        const Clock::time_point now = Clock::now();
        if (now >= deadline)
            return true;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
        curl_multi_poll(multi, nullptr, 0, static_cast<int>(std::clamp<long long>(left, 1, 1000)), nullptr);
    }
}

FetchFailure CHttpFetcher::Impl::Fetch(const CUrlParts& url, const char* proxy, const char* user,
                                       const char* password, FetchResult& result)
{
    CAddressFence* fence = options->fence;
    if (url.m_strUrl.empty() || url.m_strServer.empty() ||
        (url.m_nServiceType != SERVICE_HTTP && url.m_nServiceType != SERVICE_HTTPS))
        return FetchFailure::BadUrl;

    std::unique_ptr<CURL, EasyDeleter> easy(multi != nullptr ? curl_easy_init() : nullptr);
    if (!easy)
        return FetchFailure::NoConnection;
    std::unique_ptr<curl_slist, ListDeleter> headers;
    std::vector<std::string> lines = {"Cache-Control: no-cache", "Pragma: no-cache"};
    const HttpValidators& conditions = options->conditions;
    const bool bConditional = !conditions.Empty();
    if (!conditions.etag.empty())
        lines.push_back("If-None-Match: " + conditions.etag);
    if (!conditions.lastModified.empty())
        lines.push_back("If-Modified-Since: " + conditions.lastModified);
    for (const std::string& line : lines) {
        curl_slist* grown = curl_slist_append(headers.get(), line.c_str());
        if (grown == nullptr)
            return FetchFailure::NoConnection;
        headers.release();
        headers.reset(grown);
    }

    Transfer t;
    CURL* h = easy.get();
    const std::string requestUrl = BuildRequestUrl(url);
    curl_easy_setopt(h, CURLOPT_URL, requestUrl.c_str());
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(h, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    // Every compression this libcurl can undo (gzip and deflate, brotli when built in).
    curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, timeouts.connectMs);
    curl_easy_setopt(h, CURLOPT_BUFFERSIZE, kReadChunk);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, WriteBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(h, CURLOPT_DEBUGFUNCTION, OnDebug);
    curl_easy_setopt(h, CURLOPT_DEBUGDATA, &t);
    curl_easy_setopt(h, CURLOPT_VERBOSE, 1L);
    // The proxy comes from the settings only, never from the environment.
    std::string proxyUrl;
    if (!IsEmpty(proxy) && std::string_view(proxy) != ".") {
        proxyUrl = proxy;
        if (proxyUrl.find("://") == std::string::npos)
            proxyUrl = "http://" + proxyUrl;
    }
    curl_easy_setopt(h, CURLOPT_PROXY, proxyUrl.c_str());
    curl_easy_setopt(h, CURLOPT_NOPROXY, "");
    if (fence != nullptr)
        fence->Attach(h, !proxyUrl.empty());

    CURLcode code = CURLE_OK;
    long status = 0;
    long connectStatus = 0;
    for (int attempts = 0;;) {
        const Outcome outcome = RunWithRetries(h, t, code);
        if (outcome != Outcome::Completed)
            return FailureOf(outcome);
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
        curl_easy_getinfo(h, CURLINFO_HTTP_CONNECTCODE, &connectStatus);
        result.httpStatus = static_cast<int>(status != 0 ? status : connectStatus);
        if (status == 407 || connectStatus == 407) {
            // Only the proxy is ever given the proxy credentials.
            if (proxyUrl.empty() || attempts >= kAuthAttempts)
                return FetchFailure::HttpStatus;
            curl_easy_setopt(h, CURLOPT_PROXYAUTH, static_cast<unsigned long>(CURLAUTH_BASIC));
            curl_easy_setopt(h, CURLOPT_PROXYUSERNAME, user != nullptr ? user : "");
            curl_easy_setopt(h, CURLOPT_PROXYPASSWORD, password != nullptr ? password : "");
            ++attempts;
            continue;
        }
        break;
    }
    if (Aborted())
        return FetchFailure::Aborted;
    if (fence != nullptr && fence->Refused())
        return FetchFailure::LocalAddress;
    if (t.full)
        return FetchFailure::TooLarge;
    // A proxy that refused the tunnel answered with a status of its own.
    if (code == CURLE_TOO_MANY_REDIRECTS || (code != CURLE_OK && connectStatus >= 300))
        return FetchFailure::HttpStatus;
    if (code != CURLE_OK)
        return FailureOf(code);
    result.validators = t.validators;
    // The page did not change since the answer whose validators were sent.
    if (status == 304 && bConditional) {
        result.notModified = true;
        return FetchFailure::None;
    }
    // Error pages, a 401 of a web server (which never gets credentials from
    // this program) and a redirect that leads nowhere are no pages.
    if (status < 200 || status > 299)
        return FetchFailure::HttpStatus;
    if (t.body.empty())
        return FetchFailure::Empty;
    const char* contentType = nullptr;
    curl_easy_getinfo(h, CURLINFO_CONTENT_TYPE, &contentType);
    result.contentType = contentType != nullptr ? contentType : "";
    result.body = std::move(t.body);
    return FetchFailure::None;
}

CHttpFetcher::CHttpFetcher() : m_pImpl(new Impl)
{
    curl_global_init(CURL_GLOBAL_DEFAULT);
    m_pImpl->multi = curl_multi_init();
}

CHttpFetcher::~CHttpFetcher()
{
    if (m_pImpl->multi != nullptr)
        curl_multi_cleanup(m_pImpl->multi);
    delete m_pImpl;
    curl_global_cleanup();
}

int CHttpFetcher::FetchUrl(const CUrlParts& url, const char* proxy, const char* user,
                           const char* password, FetchResult& result)
{
    return FetchUrl(url, proxy, user, password, result, FetchOptions());
}

int CHttpFetcher::FetchUrl(const CUrlParts& url, const char* proxy, const char* user,
                           const char* password, FetchResult& result, const FetchOptions& options)
{
    result = FetchResult();
    m_pImpl->abort.store(false);
    m_pImpl->options = &options;
    m_tStart.store(std::time(nullptr), std::memory_order_release);
    result.failure = m_pImpl->Fetch(url, proxy, user, password, result);
    if (options.fence != nullptr) result.addressKind = options.fence->OriginKind();
    m_tStart.store(0, std::memory_order_release);
    m_pImpl->options = nullptr;
    if (result.failure != FetchFailure::None) {
        result.body.clear();
        result.contentType.clear();
        result.notModified = false;
        return 0;
    }
    return 1;
}

void CHttpFetcher::AbortRequest()
{
    m_pImpl->abort.store(true);
    if (m_pImpl->multi != nullptr)
        curl_multi_wakeup(m_pImpl->multi);
}

void CHttpFetcher::SetTimeoutsForTesting(const FetchTimeouts& timeouts)
{
    m_pImpl->timeouts = timeouts;
}

std::string FetchFailureText(FetchFailure failure, int httpStatus) {
    switch (failure) {
    case FetchFailure::None:
        return "read";
    case FetchFailure::BadUrl:
        return "not a web address";
    case FetchFailure::Dns:
        return "DNS: the server's name is unknown";
    case FetchFailure::NoConnection:
        return "no connection";
    case FetchFailure::Tls:
        return "TLS: no secure connection";
    case FetchFailure::TimedOut:
        return "time-out";
    case FetchFailure::HttpStatus:
        return httpStatus > 0 ? "HTTP status " + std::to_string(httpStatus) : std::string("refused by the proxy");
    case FetchFailure::TooLarge:
        return "refused as too large (" + std::to_string(MAX_PAGE_BYTES) + " bytes or more)";
    case FetchFailure::Empty:
        return "empty page";
    case FetchFailure::BadResponse:
        return "unreadable response";
    case FetchFailure::Aborted:
        return "stopped (scanning switched off or no answer for 50 s)";
    case FetchFailure::NotHtml:
        return "not HTML";
    case FetchFailure::LocalAddress:
        return "refused: leads to a local address from a page elsewhere";
    }
    return "failed";
}

bool StartNetworkLibrary() { return curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; }

void StopNetworkLibrary() { curl_global_cleanup(); }
