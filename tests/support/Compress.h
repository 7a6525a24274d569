// Compresses a response body as a web server would for Content-Encoding
// gzip or deflate (the zlib format), so that tests can serve compressed
// pages from the loopback server.
#pragma once

#include <string>
#include <string_view>

enum class ContentEncoding { Gzip, Deflate };

std::string Compress(std::string_view data, ContentEncoding encoding);
