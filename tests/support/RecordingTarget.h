// Test doubles for the core's reporting interfaces: they record what the core
// posted, sent or would have shown, in order and thread-safely.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "common/MessageTarget.h"

struct RecordedMessage {
    unsigned message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    bool sent;  // true for Send, false for Post
};

class CRecordingTarget : public CMessageTarget {
public:
    void Post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
    std::intptr_t Send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;

    std::vector<RecordedMessage> Messages() const;
    int Count(unsigned message) const;
    void Clear();
    // Called (outside the recorder's lock) for every message, e.g. to wake a test.
    std::function<void(const RecordedMessage&)> onMessage;

private:
    void Record(const RecordedMessage& m);
    mutable std::mutex m_mutex;
    std::vector<RecordedMessage> m_messages;
};

class CRecordingMessageBoxes : public CMessageBoxSink {
public:
    int ShowMessage(int stringId, const char* text) override;
    std::vector<std::pair<int, std::string>> Shown() const;
    void Clear();

private:
    mutable std::mutex m_mutex;
    std::vector<std::pair<int, std::string>> m_shown;
};
