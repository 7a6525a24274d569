// The desktop program's way through the core without its windows, for the
// kill test: started as the desktop program starts it, problems collected
// with a wake-up (which also brings what an earlier run never announced),
// the scanning thread woken to scan, and each message handled as the main
// window handles it, the stories announced through the core by one line
// each on standard output. Ends after the first cycle.
//   desktop_path_child HOME
#include <unistd.h>

#include <condition_variable>
#include <deque>
#include <mutex>

#include "app/AppCore.h"
#include "support/RecordingTarget.h"

namespace {

class CQueueTarget : public CMessageTarget {
public:
    void Post(unsigned message, std::uintptr_t, std::intptr_t lParam) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.emplace_back(message, lParam);
        m_cv.notify_all();
    }
    std::intptr_t Send(unsigned message, std::uintptr_t w, std::intptr_t lParam) override { return Post(message, w, lParam), 0; }
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

void Announce(CAppCore& core) {
    const CoreNews news = core.TakeNews();
    std::string text;
    for (const StoryItem& story : news.stories) text += FormatStoryLine(story) + "\n";
    core.AnnounceStories(news.stories, [&text] {
        return ::write(1, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    });
}

}  // namespace

int main(int argc, char** argv) {
    CRecordingMessageBoxes boxes;
    CAppCore core(boxes);
    core.FindApplicationFolder(argc == 2 ? argv[1] : "", "");
    std::string error;
    if (argc != 2 || !core.PrepareFolder(error) || !core.LockFolder(error)) return 1;
    core.LoadData();
    CQueueTarget target;
    core.CollectProblems(&target);
    core.CreateScanner(target);
    if (!core.StartNetwork() || !core.StartScanningThread()) return 1;
    core.ScanNow();
    for (bool bCycleEnded = false; !bCycleEnded;) {
        const auto [message, lParam] = target.Next();
        if (message != WM_PROBLEM_NEWS) core.OnWakeUp(message, lParam);
        if (message == WM_PROBLEM_NEWS || message == WM_SCAN_FINISHED) Announce(core);
        bCycleEnded = message == WM_SCAN_FINISHED && lParam == 0;
    }
    core.CollectProblems(nullptr);
    core.Stop();
    return 0;
}
