// What the story filter reads from a link's target: the form under which
// two addresses of one story compare equal, and the parts of its path.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The address with its scheme and host in lower case, "https" taken as
// "http", the default port, the fragment and the parameters that only track
// the click (utm_*, fbclid, ...) left out, and "/" for an empty path.
std::string NormalizedStoryUrl(std::string_view url);
// The same appended to out.
void AppendNormalizedStoryUrl(std::string& out, std::string_view url);

// The host (with any port), path and query of an absolute address, as parts
// of it; the fragment is left out.
struct UrlPieces {
    std::string_view scheme, host, path, query;
    bool bLowerCase = false;  // scheme and host are in lower case already
};
UrlPieces SplitUrl(std::string_view url);
// NormalizedStoryUrl of the address split into parts, appended to out.
void AppendNormalizedStoryUrl(std::string& out, const UrlPieces& parts);

// The host of an absolute address, lower case ("" when there is none).
std::string UrlHost(std::string_view url);

// The non-empty segments of the path of an absolute address.
std::vector<std::string_view> UrlPathSegments(std::string_view url);

// The query of an absolute address (after '?', before '#'; "" when none).
std::string_view UrlQuery(std::string_view url);
