// The sound player: the caller never waits for a sound, one sound plays at a
// time (a second one asked for meanwhile is skipped), and a failure to play
// (no such file; no sound device on a test machine) comes back as a result.
#include <chrono>
#include <fstream>
#include <future>

#include <gtest/gtest.h>

#include "platform/Sound.h"
#include "support/TempDir.h"

using namespace std::chrono_literals;

TEST(SoundPlayer, PlaysOnItsOwnThreadOneAtATimeAndReportsTheOutcome) {
    CSoundPlayer player;
    EXPECT_FALSE(player.IsPlaying());

    // A missing file: started, and reported as not played.
    std::promise<bool> missing;
    ASSERT_TRUE(player.Play("/no/such/ding.oga", [&](bool played) { missing.set_value(played); }));
    auto outcome = missing.get_future();
    ASSERT_EQ(outcome.wait_for(10s), std::future_status::ready);
    EXPECT_FALSE(outcome.get());

    // A sound that takes long (its end held back here): Play returns at
    // once, and a second sound meanwhile is skipped.
    CTempDir dir;
    std::ofstream(dir.File("ding.wav")) << "RIFF";
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::promise<std::thread::id> ended;
    for (int i = 0; i < 100 && player.IsPlaying(); ++i) std::this_thread::sleep_for(10ms);
    const auto before = std::chrono::steady_clock::now();
    ASSERT_TRUE(player.Play(dir.File("ding.wav"), [&](bool) {
        released.wait();
        ended.set_value(std::this_thread::get_id());
    }));
    EXPECT_LT(std::chrono::steady_clock::now() - before, 200ms);
    EXPECT_TRUE(player.IsPlaying());
    EXPECT_FALSE(player.Play(dir.File("ding.wav"))) << "a second sound is skipped while one plays";
    release.set_value();
    auto thread = ended.get_future();
    ASSERT_EQ(thread.wait_for(10s), std::future_status::ready);
    EXPECT_NE(thread.get(), std::this_thread::get_id());
    for (int i = 0; i < 100 && player.IsPlaying(); ++i) std::this_thread::sleep_for(10ms);
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_TRUE(player.Play(dir.File("ding.wav"))) << "the next sound plays once the last has ended";
}
