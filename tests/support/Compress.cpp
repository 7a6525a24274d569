#include "support/Compress.h"

#include <zlib.h>

#include <stdexcept>

std::string Compress(std::string_view data, ContentEncoding encoding) {
    z_stream z{};
    // 15 window bits give the zlib format; 16 more ask for a gzip wrapper.
    const int windowBits = encoding == ContentEncoding::Gzip ? 15 + 16 : 15;
    if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, windowBits, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    std::string out(deflateBound(&z, static_cast<uLong>(data.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    if (result != Z_STREAM_END) throw std::runtime_error("deflate did not finish");
    return out;
}
