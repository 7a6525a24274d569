#include "common/StringTable.h"

namespace {
struct Entry {
    int id;
    const char* text;
};

constexpr Entry kStrings[] = {
    {100, "&About Skimbolt..."},
    {130, "Windows sockets initialization failed."},
    {131, "System resources low, could not start Skimbolt."},
    {132, "News Sources to scan"},
    {133, "Keywords for filtering the news sources"},
    {134, "An invalid URL was entered.  The proper format is \"http://www.<domain-name>/<file>\"."},
    {135, "The maximum number of URLs allowed has been reached."},
    {136, "The set of keywords entered already exists."},
    {137, "Was unable to play an audio sound."},
    {139, "The URL entered already exists."},
    {140, "The maximum number of keywords allowed has been reached."},
    {142, "Url not found"},
    {160, "Skimbolt is disabled..."},
    {162, "Double-click to view your New Stories!"},
    {163, "Skimbolt is scanning for new stories..."},
    {200, "Skimbolt, double-click to add keywords to news alert list"},
};
}  // namespace

const char* LoadStringText(int id) {
    for (const Entry& e : kStrings)
        if (e.id == id) return e.text;
    return "";
}
