// Making text and addresses taken from web pages safe to put into the HTML
// pages the program writes itself.
#pragma once

#include <string>
#include <string_view>

// text with &, <, >, " and ' replaced by character references, fit for
// element content and for quoted attribute values.
std::string EscapeHtml(std::string_view text);

// url when its scheme is http or https (in any letter case), else "": a link
// taken from the web never leads to a script, a local file or another scheme.
std::string WebLinkOnly(std::string_view url);
