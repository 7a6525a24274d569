#include "engine/StoryUrl.h"

#include <algorithm>

#include "engine/WordString.h"

namespace {

}  // namespace

UrlPieces SplitUrl(std::string_view url) {
    UrlPieces parts;
    if (const std::size_t hash = url.find('#'); hash != std::string_view::npos) url = url.substr(0, hash);
    std::size_t colon = url.find("://");
    std::size_t hostStart = 0;
    if (colon != std::string_view::npos) {
        parts.scheme = url.substr(0, colon);
        hostStart = colon + 3;
    }
    // The host ends at the first '/' or '?' after it: the first '/', unless
    // a '?' comes before it (two searches of whole blocks of bytes rather
    // than one byte by byte).
    std::size_t pathStart = std::min(url.find('/', hostStart), url.size());
    if (const std::size_t q = url.substr(0, pathStart).find('?', hostStart); q != std::string_view::npos) pathStart = q;
    parts.host = url.substr(hostStart, pathStart - hostStart);
    std::string_view rest = url.substr(pathStart);
    if (const std::size_t q = rest.find('?'); q != std::string_view::npos) {
        parts.query = rest.substr(q + 1);
        rest = rest.substr(0, q);
    }
    parts.path = rest;
    return parts;
}

namespace {

// Parameters that say where a click came from, not what it leads to.
bool IsTrackingParameter(std::string_view name) {
    // Lower-cased on the stack: no name below is longer than 24 bytes.
    char buffer[24];
    const std::size_t kept = std::min(name.size(), sizeof buffer);
    for (std::size_t i = 0; i < kept; ++i) {
        const char c = name[i];
        buffer[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    const std::string_view lower(buffer, kept);
    if (lower.starts_with("utm_") || lower.starts_with("wt.")) return true;
    if (name.size() > sizeof buffer) return false;
    static constexpr std::string_view kNames[] = {
        "fbclid", "gclid", "dclid", "msclkid", "mc_cid", "mc_eid", "yclid", "igshid", "_ga", "smid",
        "smtyp", "cmpid", "cmp", "intcmp", "ito", "itid", "ocid", "ns_mchannel", "ns_source", "ns_campaign",
        "ns_linkname", "ns_fee", "pgtype", "module", "region", "contentcollection", "contentplacement",
        "clicksource", "rref", "hp", "hpw", "ref", "spm", "src", "nl", "emc", "partner", "ftag", "cid",
        "mod", "ncid", "xtor", "il", "tid", "nid", "at_medium", "at_campaign", "dicbo", "via", "action"};
    return std::find(std::begin(kNames), std::end(kNames), lower) != std::end(kNames);
}

}  // namespace

std::string NormalizedStoryUrl(std::string_view url) {
    std::string out;
    AppendNormalizedStoryUrl(out, url);
    return out;
}

void AppendNormalizedStoryUrl(std::string& out, std::string_view url) { AppendNormalizedStoryUrl(out, SplitUrl(url)); }

void AppendNormalizedStoryUrl(std::string& out, const UrlPieces& parts) {
    // Built in one string: scheme, host, path and the query's parameters.
    // The parts keep their length or lose some; "://", a "/" for an empty
    // path and the "?" are all that is added.
    out.reserve(out.size() + parts.scheme.size() + parts.host.size() + parts.path.size() + parts.query.size() + 5);
    const std::size_t start = out.size();
    const auto appendLower = [&out, &parts](std::string_view part) {
        if (parts.bLowerCase)
            out.append(part);
        else
            AppendLowerAscii(out, part);
    };
    appendLower(parts.scheme);
    const std::string_view scheme = std::string_view(out).substr(start);
    const bool bHttp = scheme == "http";
    const bool bHttps = scheme == "https";
    if (bHttps) out.resize(start + 4);  // "http"
    out.append("://");
    const std::size_t hostStart = out.size();
    appendLower(parts.host);
    const std::string_view host = std::string_view(out).substr(hostStart);
    if ((bHttp && host.ends_with(":80")) || (bHttps && host.ends_with(":443")))
        out.resize(hostStart + host.rfind(':'));
    out.append(parts.path.empty() ? std::string_view("/") : parts.path);
    bool bFirst = true;
    std::string_view q = parts.query;
    while (!q.empty()) {
        const std::size_t amp = q.find('&');
        const std::string_view pair = q.substr(0, amp);
        q = amp == std::string_view::npos ? std::string_view() : q.substr(amp + 1);
        if (pair.empty() || IsTrackingParameter(pair.substr(0, pair.find('=')))) continue;
        out.append(bFirst ? "?" : "&").append(pair);
        bFirst = false;
    }
}

std::string UrlHost(std::string_view url) {
    std::string host = ToLowerAscii(SplitUrl(url).host);
    if (const std::size_t colon = host.rfind(':'); colon != std::string::npos) host.erase(colon);
    return host;
}

std::vector<std::string_view> UrlPathSegments(std::string_view url) {
    std::vector<std::string_view> segments;
    std::string_view path = SplitUrl(url).path;
    while (!path.empty()) {
        const std::size_t slash = path.find('/');
        const std::string_view segment = path.substr(0, slash);
        if (!segment.empty()) segments.push_back(segment);
        if (slash == std::string_view::npos) break;
        path = path.substr(slash + 1);
    }
    return segments;
}

std::string_view UrlQuery(std::string_view url) { return SplitUrl(url).query; }
