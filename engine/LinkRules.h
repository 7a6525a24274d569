// The rules on a link's own text and href: which link texts are dates, clock
// times, all capitals, navigation, photo captions or section heads, which
// hrefs are no story targets, and how an href becomes an absolute URL.
// Each takes the text and, where needed, its word count w.
#pragma once

#include <string>
#include <string_view>

#include "engine/WordString.h"
#include "html/HtmlToken.h"

// A date: up to four words, holding a digit (or a single word), with a
// weekday or month name.
int IsDateText(const CWordString& text, int w);
int IsClockTime(const CWordString& text);
// Capital letters and no lower-case letter, in any script with letter case;
// 0 when most of the letters belong to scripts without case.
int IsAllCaps(const CWordString& text);
// 0 for navigation ("more", "video", "download", ...); 1 otherwise.
int IsNavigationText(const CWordString& text, int w);
int IsPhotoCaption(const CWordString& text);
// A link text that says nothing of its story: "permalink", "read more",
// "continue reading", "full story" and the like, in a few languages.
bool IsGenericLinkText(std::string_view text);
// 1 when the link text passes all of the above as a story headline's.
int IsHeadlineText(const CWordString& text, int w);
// Whether href is acceptable as the target of a link on the page pageUrl.
int IsAcceptableHref(std::string_view href, std::string_view pageUrl);
// A section head: agency names, section words, "next"/"previous" excepted.
int IsSectionLink(const CWordString& text, const CFontSize& font, int w);

// The absolute form of href on the page pageUrl ("" for an empty href).
std::string ResolveHref(std::string_view href, std::string_view pageUrl);
