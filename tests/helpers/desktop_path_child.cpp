// The desktop program's way through the core, without its windows, for the
// kill test: the core started as the desktop program starts it, its
// problems collected with a wake-up (which also brings the stories an
// earlier run never announced), the scanning thread running and woken to
// scan, and every message handled as the main window handles it: news
// taken after WM_SCAN_FINISHED and WM_PROBLEM_NEWS and its stories
// announced through the core, here by printing one line each on standard
// output. Ends after the first cycle.
//   desktop_path_child HOME
#include <unistd.h>

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>

#include "app/AppCore.h"
#include "app/Messages.h"

namespace {

class CQueueTarget : public CMessageTarget {
public:
    void Post(unsigned message, std::uintptr_t, std::intptr_t lParam) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back({message, lParam});
        m_cv.notify_all();
    }
    std::intptr_t Send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override {
        Post(message, wParam, lParam);
        return 0;
    }
    std::pair<unsigned, std::intptr_t> Next() {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_cv.wait(lock, [this] { return !m_queue.empty(); });
        const auto m = m_queue.front();
        m_queue.pop_front();
        return m;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<std::pair<unsigned, std::intptr_t>> m_queue;
};

class CStderrBoxes : public CMessageBoxSink {
public:
    int ShowMessage(int, const char* text) override {
        std::fprintf(stderr, "%s\n", text);
        return IDOK;
    }
};

void Announce(CAppCore& core) {
    const CoreNews news = core.TakeNews();
    std::string text;
    for (const StoryItem& story : news.stories) text += FormatStoryLine(story) + "\n";
    core.AnnounceStories(news.stories, [&text] {
        for (std::size_t done = 0; done < text.size();) {
            const ssize_t n = ::write(1, text.data() + done, text.size() - done);
            if (n <= 0) return;
            done += static_cast<std::size_t>(n);
        }
    });
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    CStderrBoxes boxes;
    CAppCore core(boxes);
    core.FindApplicationFolder(argv[1], "");
    std::string error;
    if (!core.PrepareFolder(error) || !core.LockFolder(error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    core.LoadData();
    CQueueTarget target;
    core.CollectProblems(&target);
    if (!core.StartNetwork()) return 1;
    core.CreateScanner(target);
    if (!core.StartScanningThread()) return 1;
    core.ScanNow();
    for (bool bCycleEnded = false; !bCycleEnded;) {
        const auto [message, lParam] = target.Next();
        switch (message) {
        case WM_SCAN_STARTED:
        case WM_NEW_STORIES:
            core.OnWakeUp(message, lParam);
            break;
        case WM_SCAN_FINISHED:
            core.OnWakeUp(message, lParam);
            Announce(core);
            bCycleEnded = lParam == 0;
            break;
        case WM_PROBLEM_NEWS:
            Announce(core);
            break;
        default:
            break;
        }
    }
    core.CollectProblems(nullptr);
    core.Stop();
    return 0;
}
