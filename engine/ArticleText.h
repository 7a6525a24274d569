// The article text of a story page: the body that follows the story's
// headline, cut out of the page's tokens block by block.
#pragma once

#include <span>
#include <string>

#include "html/HtmlToken.h"

// The article text of a parsed page whose story has that headline; empty
// when the page has no recognisable article body. Blocks are joined with
// "\r\n" line breaks as the tags between them ask for.
std::string ExtractArticleText(std::span<const CHtmlToken> tokens, const std::string& headline);
