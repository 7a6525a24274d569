// Finding the encoding a page declares for itself: the charset parameter of
// a Content-Type value, and the <meta charset> or <meta http-equiv=
// "Content-Type"> among the page's first 1024 bytes, looked for as browsers
// prescan a page before they decode it.
#pragma once

#include <string_view>

#include "html/EncodingLabels.h"

// The encoding the charset parameter of a Content-Type value names
// ("text/html; charset=koi8-r"); null when there is none or it is unknown.
const EncodingInfo* EncodingFromContentType(std::string_view contentType);

// The encoding a <meta> element among the first 1024 bytes of page declares;
// null when none does. A declared UTF-16 means UTF-8 here (a page that can
// be read this far in an ASCII encoding is not UTF-16), x-user-defined
// means windows-1252.
const EncodingInfo* PrescanMetaCharset(std::string_view page);
