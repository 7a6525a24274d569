// The messages of the single-instance socket: a later start of the desktop
// program asks the running one to come forward, and the running one answers.
// A message is a fixed header ("SKB1", a kind byte, a 16-bit big-endian
// payload length) and at most MAX_PAYLOAD bytes of payload. The parser takes
// bytes as they come, refuses a bad header at its first wrong byte and never
// holds more than one message.
#pragma once

#include <cstddef>
#include <string>

enum class InstanceMessageKind : unsigned char {
    ComeForward = 1,  // bring the open windows forward (payload empty)
    Done = 2,         // the answer: the request was taken
};

struct InstanceMessage {
    InstanceMessageKind kind = InstanceMessageKind::ComeForward;
    std::string payload;
};

// The bytes of one message; payloads longer than MAX_PAYLOAD are cut.
std::string EncodeInstanceMessage(const InstanceMessage& message);

class CInstanceMessageParser {
public:
    static constexpr std::size_t HEADER_SIZE = 7;
    static constexpr std::size_t MAX_PAYLOAD = 4096;

    enum class State {
        NeedMore,  // the message is not complete yet
        Complete,  // Message() holds it; further bytes are not taken
        Bad,       // not a message of this protocol; nothing more is taken
    };

    // Takes bytes up to the end of the current message; returns how many it
    // took (fewer than size once the message is complete or bad).
    std::size_t Feed(const char* data, std::size_t size);
    State GetState() const { return m_state; }
    const InstanceMessage& Message() const { return m_message; }
    // Ready for the next message.
    void Reset();

private:
    State m_state = State::NeedMore;
    unsigned char m_header[HEADER_SIZE] = {};
    std::size_t m_nHeader = 0;
    std::size_t m_nLength = 0;
    InstanceMessage m_message;
};
