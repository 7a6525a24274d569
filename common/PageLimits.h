// The size limit of a web page, shared by the fetcher that reads pages and
// the tokenizer that takes them.
#pragma once

#include <cstddef>

// The largest page read, in bytes as received (after decompression, before
// any conversion of its characters). A fetch stops here, and a page of this
// size or more is refused as too large, by the fetcher and the tokenizer.
constexpr std::size_t MAX_PAGE_BYTES = 8000000;
