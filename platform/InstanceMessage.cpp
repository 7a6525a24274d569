#include "platform/InstanceMessage.h"

#include <algorithm>

namespace {

constexpr char kMagic[4] = {'S', 'K', 'B', '1'};

bool IsKnownKind(unsigned char kind) {
    return kind == static_cast<unsigned char>(InstanceMessageKind::ComeForward) ||
           kind == static_cast<unsigned char>(InstanceMessageKind::Done);
}

}  // namespace

std::string EncodeInstanceMessage(const InstanceMessage& message) {
    const std::size_t length = std::min(message.payload.size(), CInstanceMessageParser::MAX_PAYLOAD);
    std::string bytes(kMagic, sizeof kMagic);
    bytes += static_cast<char>(message.kind);
    bytes += static_cast<char>((length >> 8) & 0xff);
    bytes += static_cast<char>(length & 0xff);
    bytes.append(message.payload, 0, length);
    return bytes;
}

void CInstanceMessageParser::Reset() {
    m_state = State::NeedMore;
    m_nHeader = 0;
    m_nLength = 0;
    m_message = InstanceMessage();
}

std::size_t CInstanceMessageParser::Feed(const char* data, std::size_t size) {
    std::size_t used = 0;
    while (m_state == State::NeedMore && used < size) {
        if (m_nHeader < HEADER_SIZE) {
            const unsigned char byte = static_cast<unsigned char>(data[used++]);
            m_header[m_nHeader++] = byte;
            // Judged byte by byte, so that garbage is refused at once.
            if (m_nHeader <= sizeof kMagic && byte != static_cast<unsigned char>(kMagic[m_nHeader - 1])) {
                m_state = State::Bad;
            } else if (m_nHeader == sizeof kMagic + 1 && !IsKnownKind(byte)) {
                m_state = State::Bad;
            } else if (m_nHeader == HEADER_SIZE) {
                m_nLength = (static_cast<std::size_t>(m_header[5]) << 8) | m_header[6];
                m_message.kind = static_cast<InstanceMessageKind>(m_header[4]);
                if (m_nLength > MAX_PAYLOAD) m_state = State::Bad;
                else if (m_nLength == 0) m_state = State::Complete;
            }
            continue;
        }
        const std::size_t take = std::min(size - used, m_nLength - m_message.payload.size());
        m_message.payload.append(data + used, take);
        used += take;
        if (m_message.payload.size() == m_nLength) m_state = State::Complete;
    }
    return used;
}
