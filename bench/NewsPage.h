// A deterministic generator of a news portal's front page, as the scanner
// meets them: layout tables, nested fonts, lists, many links with headlines,
// section headings, dates, scripts, comments and entities. The same seed
// always gives the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A page of about targetBytes bytes (never 128000 or more, so that the
// tokenizer accepts it).
std::string GenerateNewsPage(std::uint32_t seed = 20010512, std::size_t targetBytes = 120000);
