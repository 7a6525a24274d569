// Playing a notification sound file (.wav, .oga, ...) through the desktop's
// sound service (libcanberra): at once and waiting (PlaySoundFile), or on a
// thread of its own so that the caller never waits (CSoundPlayer). Used by
// the Options page's test button and by the main window when new stories
// arrive.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

// Plays the file and returns when it has finished (or failed). False when the
// file does not exist or cannot be read, or when no sound could be played
// (no sound device, unknown format). A sound already playing is not stopped.
bool PlaySoundFile(const std::string& path);

struct SoundWait;  // one play waited for (Sound.cpp)

// Plays one sound at a time on its own thread. A sound asked for while
// another plays is skipped: the first plays to its end, nothing is queued.
class CSoundPlayer {
public:
    CSoundPlayer();
    // Cuts a sound still playing short and waits for the thread.
    ~CSoundPlayer();
    CSoundPlayer(const CSoundPlayer&) = delete;
    CSoundPlayer& operator=(const CSoundPlayer&) = delete;

    // Returns at once: true when the sound was started, false when one is
    // playing already (this one is skipped). `done` gets PlaySoundFile's
    // result on the player's thread when the sound has ended.
    bool Play(const std::string& path, std::function<void(bool)> done = {});
    bool IsPlaying() const;

private:
    void Run();

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::string m_strPath;
    std::function<void(bool)> m_done;
    bool m_bWanted = false;   // a sound waits to be started
    bool m_bPlaying = false;  // from Play until its `done` has returned
    bool m_bStop = false;
    SoundWait* m_pCurrent = nullptr;  // the play the thread waits for
    std::thread m_thread;
};
