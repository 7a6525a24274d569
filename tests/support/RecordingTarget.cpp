#include "support/RecordingTarget.h"

void CRecordingTarget::Record(const RecordedMessage& m) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_messages.push_back(m);
    }
    if (onMessage) onMessage(m);
}

void CRecordingTarget::Post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    Record({message, wParam, lParam, false});
}

std::intptr_t CRecordingTarget::Send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    Record({message, wParam, lParam, true});
    return 0;
}

std::vector<RecordedMessage> CRecordingTarget::Messages() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_messages;
}

int CRecordingTarget::Count(unsigned message) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    int n = 0;
    for (const auto& m : m_messages) n += m.message == message;
    return n;
}

void CRecordingTarget::Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_messages.clear();
}

int CRecordingMessageBoxes::ShowMessage(int stringId, const char* text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_shown.emplace_back(stringId, text ? text : "");
    return IDOK;
}

std::vector<std::pair<int, std::string>> CRecordingMessageBoxes::Shown() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_shown;
}

void CRecordingMessageBoxes::Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_shown.clear();
}
