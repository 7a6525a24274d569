#include "platform/Sound.h"

#include <canberra.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>

namespace {

// What the finish callback reports to the waiting caller.
struct PlayWait {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    int error = CA_SUCCESS;
};

void OnFinished(ca_context*, std::uint32_t, int error, void* userdata) {
    auto* wait = static_cast<PlayWait*>(userdata);
    std::lock_guard<std::mutex> lock(wait->mutex);
    wait->finished = true;
    wait->error = error;
    wait->done.notify_all();
}

// A sound longer than this is left playing and counted as played.
constexpr auto kLongestWait = std::chrono::seconds(60);

}  // namespace

bool PlaySoundFile(const std::string& path) {
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

    PlayWait wait;
    const int started = ca_context_play_full(context, 1, props, OnFinished, &wait);
    ca_proplist_destroy(props);
    bool ok = false;
    if (started == CA_SUCCESS) {
        std::unique_lock<std::mutex> lock(wait.mutex);
        const bool finished = wait.done.wait_for(lock, kLongestWait, [&] { return wait.finished; });
        ok = !finished || wait.error == CA_SUCCESS;
    }
    // Destroying the context ends a sound still playing and, before that,
    // calls the callback for it: nothing is left pointing at `wait`.
    ca_context_destroy(context);
    return ok;
}
