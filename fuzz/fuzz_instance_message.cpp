// Feeds arbitrary bytes to the single-instance socket's message parser, cut
// into pieces as a socket might deliver them (the first byte picks the piece
// size), and checks what it promises: bounded payloads, nothing taken after
// a message ends or goes bad, and a complete message read back as encoded.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/InstanceMessage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t piece = 1 + data[0] % 16;
    const char* bytes = reinterpret_cast<const char*>(data) + 1;
    const std::size_t length = size - 1;

    CInstanceMessageParser parser;
    std::size_t offset = 0;
    while (offset < length) {
        const std::size_t n = piece < length - offset ? piece : length - offset;
        const CInstanceMessageParser::State before = parser.GetState();
        const std::size_t used = parser.Feed(bytes + offset, n);
        if (used > n) std::abort();
        if (before != CInstanceMessageParser::State::NeedMore && used != 0) std::abort();
        offset += used;
        if (parser.Message().payload.size() > CInstanceMessageParser::MAX_PAYLOAD) std::abort();
        if (parser.GetState() == CInstanceMessageParser::State::Complete) {
            // What was taken is exactly the message, encoded again.
            if (EncodeInstanceMessage(parser.Message()) != std::string(bytes, offset)) std::abort();
            break;
        }
        if (parser.GetState() == CInstanceMessageParser::State::Bad) break;
        if (used < n) std::abort();  // still waiting, yet left bytes behind
    }
    return 0;
}
