// The text of a named field in a page's JSON-LD script (such as the
// "articleBody" of a news article), read without a full JSON parser so that
// the many scripts that are not quite valid JSON still give their text.
#pragma once

#include <string>
#include <string_view>

// The longest string value that any "key": "..." pair in json holds, with its
// JSON escapes undone, its character references decoded and any HTML tags in
// it taken out; empty when there is none.
std::string LongestJsonLdString(std::string_view json, std::string_view key);
