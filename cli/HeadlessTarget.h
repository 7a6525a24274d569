// CHeadlessTarget: the main window of a headless run. The scanning thread
// posts and sends its notifications here; the main thread takes them from
// a queue in order, hands each to the core and prints one line for each
// (scan started, scan finished followed by the core's news: failed pages and
// new stories with one line per story, setup needed). A pass that finds
// more new stories than a batch has them printed a batch at a time as they
// come, so that it never holds thousands of them.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <string>
#include <vector>
#include <mutex>

#include "app/Messages.h"
#include "app/SourceHealth.h"

class CAppCore;
struct CoreNews;

// "page failed: URL: reason".
std::string PageFailedLine(const PageHealth& page);

// Writes text to out in one write after what out holds already, so that a
// run killed meanwhile has printed all of it or none. False on an error.
bool WriteAtOnce(std::FILE* out, const std::string& text);

class CHeadlessTarget : public CMessageTarget {
public:
    static constexpr int STORIES_PER_BATCH = 256;

    CHeadlessTarget(std::FILE* out, CAppCore& core) : m_out(out), m_core(core) {}

    // Any thread. Send waits until the main thread has handled the message,
    // or returns 0 at once once the target is closed.
    void Post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
    std::intptr_t Send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;

    // Main thread: handles the queued messages, waiting up to maxWait for
    // the first one. Returns the number handled.
    int Pump(std::chrono::milliseconds maxWait);
    // Main thread, at the end: a Send still waiting (or still to come)
    // returns 0 without being handled, so the scanning thread can stop.
    void Close();

    // Prints the news: a line per failed page, then "new stories: N" and a
    // line per story (announced through the core).
    void PrintNews(const CoreNews& news);

private:
    struct Message {
        unsigned message;
        std::intptr_t lParam;
        std::uint64_t sendId;  // 0 for a posted message
    };
    void Handle(const Message& m);
    void PrintLine(const std::string& line);

    std::FILE* m_out;
    CAppCore& m_core;

    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<Message> m_queue;
    std::uint64_t m_nNextSendId = 1;
    std::uint64_t m_nLastHandledSend = 0;
    bool m_bClosed = false;
    int m_nUnprinted = 0;  // new stories the core holds (main thread)
};
