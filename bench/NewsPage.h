// A deterministic generator of a news portal's front page, as the scanner
// meets them: layout tables, nested fonts, lists, many links with headlines,
// section headings, dates, scripts, comments and entities. The same seed
// always gives the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A page of about targetBytes bytes (at most 127000: the size the small-page
// figures have always been measured on; the large pages come from elsewhere).
std::string GenerateNewsPage(std::uint32_t seed = 20010512, std::size_t targetBytes = 120000);

// A very large front page of about targetBytes bytes (kept below the page
// limit) with storyLinks story links (rounded up to whole sections of 25), laid out as the long portal
// pages of big sites are: section tables with headlines and their
// descriptions, headings, lists, link bars, inline links in long runs of
// running text, scripts, comments, listings with prices and the usual
// non-story links (dates, "More", photo credits, advertising).
//
// The style changes the layout: Portal as above; Headlines lists the links
// in columns under picture headings with only scripts and images between
// them (no plain text anywhere, as on aggregator pages); Unclosed is the
// portal page with every anchor after the masthead left unclosed, so that
// the tokenizer makes all later text one link's text.
enum class LargePageStyle { Portal, Headlines, Unclosed };
std::string GenerateLargeNewsPage(std::uint32_t seed = 20010513, std::size_t targetBytes = 7900000,
                                  int storyLinks = 5000, LargePageStyle style = LargePageStyle::Portal);

// The part of a page from byte begin on, about size bytes long, cut at tag
// boundaries: an article-sized excerpt of a large page.
std::string PageExcerpt(const std::string& page, std::size_t begin, std::size_t size);
