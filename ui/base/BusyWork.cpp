#include "ui/base/BusyWork.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

#include <wx/app.h>
#include <wx/utils.h>

#include "app/FetchWatchdog.h"

void RunBusy(const std::function<void()>& work, CHttpFetcher& fetcher) {
    wxBusyCursor busy;
    wxWindowDisabler disabler;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done.store(true, std::memory_order_release);
        wxWakeUpIdle();
    });
    while (!done.load(std::memory_order_acquire)) {
        if (wxTheApp) wxTheApp->Yield(true);
        AbortOverdueFetch(fetcher, std::time(nullptr));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    worker.join();
}
