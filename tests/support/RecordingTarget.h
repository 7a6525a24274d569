// Test doubles for the core's reporting interfaces: they record what the core
// posted, sent or would have shown.
#pragma once

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "common/MessageTarget.h"

struct RecordedMessage {
    unsigned message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    bool sent;  // true for Send, false for Post
};

// Thread-safe: the scanning thread posts while a test reads.
class CRecordingTarget : public CMessageTarget {
public:
    void Post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_messages.push_back({message, wParam, lParam, false});
    }
    std::intptr_t Send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_messages.push_back({message, wParam, lParam, true});
        return 0;
    }
    std::vector<RecordedMessage> Messages() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_messages;
    }
    int Count(unsigned message) const {
        const auto all = Messages();
        return static_cast<int>(
            std::count_if(all.begin(), all.end(), [&](const RecordedMessage& m) { return m.message == message; }));
    }

private:
    mutable std::mutex m_mutex;
    std::vector<RecordedMessage> m_messages;
};

// Records the message boxes the settings would show, and answers OK.
class CRecordingMessageBoxes : public CMessageBoxSink {
public:
    int ShowMessage(int stringId, const char* text) override {
        shown.emplace_back(stringId, text ? text : "");
        return IDOK;
    }
    std::vector<std::pair<int, std::string>> shown;
};
