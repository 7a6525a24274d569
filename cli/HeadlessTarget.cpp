#include "cli/HeadlessTarget.h"

#include <cerrno>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/AppCore.h"

void CHeadlessTarget::Post(unsigned message, std::uintptr_t, std::intptr_t lParam) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_bClosed) return;
        m_queue.push_back({message, lParam, 0});
    }
    m_cv.notify_all();
}

std::intptr_t CHeadlessTarget::Send(unsigned message, std::uintptr_t, std::intptr_t lParam) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_bClosed) return 0;
    // Sends are handled in order, so "handled" is "the last handled id has
    // reached ours".
    const std::uint64_t id = m_nNextSendId++;
    m_queue.push_back({message, lParam, id});
    m_cv.notify_all();
    m_cv.wait(lock, [&] { return m_bClosed || m_nLastHandledSend >= id; });
    return 0;
}

int CHeadlessTarget::Pump(std::chrono::milliseconds maxWait) {
    int handled = 0;
    std::unique_lock<std::mutex> lock(m_mutex);
    m_cv.wait_for(lock, maxWait, [&] { return !m_queue.empty() || m_bClosed; });
    while (!m_queue.empty()) {
        const Message m = m_queue.front();
        m_queue.pop_front();
        lock.unlock();
        Handle(m);
        ++handled;
        lock.lock();
        if (m.sendId != 0) {
            m_nLastHandledSend = m.sendId;
            m_cv.notify_all();
        }
    }
    return handled;
}

void CHeadlessTarget::Close() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bClosed = true;
    }
    m_cv.notify_all();
}

void CHeadlessTarget::PrintLine(const std::string& line) {
    std::fputs(line.c_str(), m_out);
    std::fputc('\n', m_out);
    std::fflush(m_out);
}

bool WriteAtOnce(std::FILE* out, const std::string& text) {
    if (std::fflush(out) != 0) return false;
    const int fd = ::fileno(out);
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void CHeadlessTarget::PrintNews(const CoreNews& news) {
    for (const PageHealth& page : news.failedPages) PrintLine(PageFailedLine(page));
    if (news.stories.empty()) return;
    std::string text = "new stories: " + std::to_string(news.stories.size()) + "\n";
    for (const StoryItem& story : news.stories) text += "  " + FormatStoryLine(story) + "\n";
    m_core.AnnounceStories(news.stories, [&] { return WriteAtOnce(m_out, text); });
}

std::string PageFailedLine(const PageHealth& page) {
    return "page failed: " + OutputField(page.url) + ": " + page.Outcome();
}

void CHeadlessTarget::Handle(const Message& m) {
    m_core.OnWakeUp(m.message, m.lParam);
    switch (m.message) {
    case WM_SCAN_STARTED:
        PrintLine(m.lParam == 1 ? "scan started" : "scan started: next page");
        break;
    case WM_NEW_STORIES:
        // Otherwise new stories are announced once per cycle, when its last
        // pass ends.
        if (++m_nUnprinted >= STORIES_PER_BATCH) {
            m_nUnprinted = 0;
            PrintNews(m_core.TakeNewsSoFar());
        }
        break;
    case WM_SCAN_FINISHED: {
        PrintLine("scan finished");
        if (m.lParam == 0) m_nUnprinted = 0;
        PrintNews(m_core.TakeNews());
        break;
    }
    case WM_NEED_SETUP:
        PrintLine(m.lParam == 1   ? "setup needed: keywords"
                  : m.lParam == 2 ? "setup needed: sources"
                                  : "setup needed: keywords and sources");
        break;
    default:
        break;
    }
}
