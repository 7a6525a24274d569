// The article text of a story page: where the page marks its article (a
// JSON-LD articleBody, an itemprop="articleBody" element, an <article>) the
// marked text, else the best run of text blocks (long blocks with few links).
#pragma once

#include <span>
#include <string>

#include "html/HtmlToken.h"

// The article text of a parsed page whose story has that headline (a hint
// to where the article starts, never required); empty when the page has no
// block of running text. Blocks are joined with an empty line ("\r\n\r\n");
// a <br> inside a block stays a line break.
std::string ExtractArticleText(std::span<const CHtmlToken> tokens, const std::string& headline);
