#include "platform/Sound.h"

#include <canberra.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>

// What the finish callback reports to the waiting caller; `stop` (a player
// that ends) stops the waiting early.
struct SoundWait {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool stop = false;
    int error = CA_SUCCESS;
};

namespace {

void OnFinished(ca_context*, std::uint32_t, int error, void* userdata) {
    auto* wait = static_cast<SoundWait*>(userdata);
    std::lock_guard<std::mutex> lock(wait->mutex);
    wait->finished = true;
    wait->error = error;
    wait->done.notify_all();
}

// A sound longer than this is left playing and counted as played.
constexpr auto kLongestWait = std::chrono::seconds(60);

bool PlayAndWait(const std::string& path, SoundWait& wait) {
    // libcanberra reports a missing file with the same code as a missing
    // device, so the file is looked at first.
    if (path.empty()) return false;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        std::fclose(f);
    } else {
        return false;
    }

    ca_context* context = nullptr;
    if (ca_context_create(&context) != CA_SUCCESS) return false;
    ca_context_change_props(context, CA_PROP_APPLICATION_NAME, "Skimbolt", nullptr);

    ca_proplist* props = nullptr;
    if (ca_proplist_create(&props) != CA_SUCCESS) {
        ca_context_destroy(context);
        return false;
    }
    ca_proplist_sets(props, CA_PROP_MEDIA_FILENAME, path.c_str());
    ca_proplist_sets(props, CA_PROP_MEDIA_ROLE, "event");
    // Every sound plays in full: nothing is taken from the cache by name.
    ca_proplist_sets(props, CA_PROP_CANBERRA_CACHE_CONTROL, "never");

    const int started = ca_context_play_full(context, 1, props, OnFinished, &wait);
    ca_proplist_destroy(props);
    bool ok = false;
    if (started == CA_SUCCESS) {
        std::unique_lock<std::mutex> lock(wait.mutex);
        wait.done.wait_for(lock, kLongestWait, [&] { return wait.finished || wait.stop; });
        ok = !wait.finished || wait.error == CA_SUCCESS;
    }
    // Destroying the context ends a sound still playing and, before that,
    // calls the callback for it: nothing is left pointing at `wait`.
    ca_context_destroy(context);
    return ok;
}

}  // namespace

bool PlaySoundFile(const std::string& path) {
    SoundWait wait;
    return PlayAndWait(path, wait);
}

CSoundPlayer::CSoundPlayer() : m_thread([this] { Run(); }) {}

CSoundPlayer::~CSoundPlayer() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStop = true;
    }
    m_wake.notify_all();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_pCurrent) {
            std::lock_guard<std::mutex> waitLock(m_pCurrent->mutex);
            m_pCurrent->stop = true;
            m_pCurrent->done.notify_all();
        }
    }
    m_thread.join();
}

bool CSoundPlayer::Play(const std::string& path, std::function<void(bool)> done) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_bPlaying || m_bStop) return false;
        m_strPath = path;
        m_done = std::move(done);
        m_bWanted = true;
        m_bPlaying = true;
    }
    m_wake.notify_all();
    return true;
}

bool CSoundPlayer::IsPlaying() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_bPlaying;
}

void CSoundPlayer::Run() {
    for (;;) {
        std::string path;
        std::function<void(bool)> done;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return m_bWanted || m_bStop; });
            if (m_bStop) return;
            path = std::move(m_strPath);
            done = std::move(m_done);
            m_bWanted = false;
        }
        SoundWait wait;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_bStop) return;
            m_pCurrent = &wait;
        }
        const bool played = PlayAndWait(path, wait);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_pCurrent = nullptr;
        }
        if (done) done(played);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bPlaying = false;
    }
}
