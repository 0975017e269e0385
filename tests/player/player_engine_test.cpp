// The playback engine over the fake output device: opening paused at 0, play and pause without loss or repetition,
// the position's correction for queued buffers, seeking, the end of the track, closing, a playback thread that does
// not end, and speed and volume as the listener hears them.
#include "player/player.h"

#include <gtest/gtest.h>

#include <string.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "player/output_fake.h"
#include "player/threads_manual.h"
#include "player_test_support.h"
#include "support/test_host.h"

namespace {

const int kRate = 8000;  // 400 samples a buffer
const int kSpb = kRate / 20;
const int kLength = 12100;  // 30 whole buffers and a quarter

class PlayerEngineTest : public ::testing::Test {
  protected:
    void SetUp() override { Install(&kManualThreads); }

    void Install(const ThreadApi* threads) {
        playerReset();
        fakeOutputReset();
        manualThreadsReset();
        PlayerServicesApi services = {&kPlatformFiles, &kNoGeneralDecoder, &kFakeOutputApi, threads};
        playerInstall(&services);
        heard.assign(200000, 0);
        fakeOutput.heard = heard.data();
        fakeOutput.heardCapacity = static_cast<int64_t>(heard.size());
        folder = makeTestFolder("player_engine");
        // Every sample distinct from its neighbours, so a lost or repeated stretch shows.
        track.resize(kLength);
        for (int i = 0; i < kLength; ++i) track[static_cast<size_t>(i)] = static_cast<int16_t>(i % 20000 - 10000);
        WavLayout f;
        f.sampleRate = kRate;
        path = folder / "track.wav";
        writeBytes(path, makeWav(f, pcm16(track)));
    }

    void TearDown() override {
        playerClose();
        fakeOutput.heard = nullptr;
        std::filesystem::remove_all(folder);
    }

    Outcome Open() { return playerOpen(widePath(path).c_str()); }

    // The listener hears n samples, with the playback thread's passes in between; returns how many were heard.
    int64_t Hear(int64_t n) {
        int64_t done = 0;
        while (done < n) {
            playerThreadStep();
            int64_t p = fakeOutputPlay(std::min<int64_t>(n - done, kSpb / 3));
            if (p == 0) break;
            done += p;
        }
        return done;
    }

    void HearToTheEnd() {
        for (int guard = 0; guard < 10000 && !playerHasEnded(); ++guard) {
            playerThreadStep();
            fakeOutputPlay(kSpb);
        }
    }

    std::vector<int16_t> Heard(int64_t from, int64_t to) const {
        return std::vector<int16_t>(heard.begin() + from, heard.begin() + to);
    }
    std::vector<int16_t> Track(int64_t from, int64_t to) const {
        return std::vector<int16_t>(track.begin() + from, track.begin() + to);
    }

    std::filesystem::path folder, path;
    std::vector<int16_t> track, heard;
};

TEST_F(PlayerEngineTest, OpensPausedAtZeroWithFourBuffersReady) {
    ASSERT_EQ(Open(), Outcome::kOk);
    EXPECT_TRUE(playerIsLoaded());
    EXPECT_FALSE(playerIsPlaying());
    EXPECT_FALSE(playerHasEnded());
    EXPECT_EQ(player.lastDecoder, TrackDecoder::Wav);
    EXPECT_DOUBLE_EQ(playerDuration(), 12100.0 / 8000.0);
    EXPECT_EQ(fakeOutput.sampleRate, kRate);
    EXPECT_TRUE(fakeOutput.paused);
    EXPECT_EQ(fakeOutput.prepares, 4);
    playerThreadStep();
    EXPECT_EQ(fakeOutput.writes, 4);
    EXPECT_EQ(playerPosition(), 0.0);   // 4 buffers filled, none heard
    EXPECT_EQ(fakeOutputPlay(100), 0);  // the device is paused
}

TEST_F(PlayerEngineTest, PlayAndPauseNeitherLoseNorRepeat) {
    ASSERT_EQ(Open(), Outcome::kOk);
    playerThreadStep();
    ASSERT_EQ(playerPlay(), Outcome::kOk);
    EXPECT_TRUE(playerIsPlaying());
    EXPECT_EQ(Hear(1000), 1000);
    playerPause();
    EXPECT_FALSE(playerIsPlaying());
    for (int i = 0; i < 5; ++i) playerThreadStep();
    EXPECT_EQ(fakeOutputPlay(500), 0);
    EXPECT_DOUBLE_EQ(playerPosition(), 1000.0 / kRate);
    ASSERT_EQ(playerPlay(), Outcome::kOk);  // paused in the middle: continues there
    EXPECT_EQ(Hear(4000), 4000);
    EXPECT_EQ(Heard(0, 5000), Track(0, 5000));
    EXPECT_DOUBLE_EQ(playerPosition(), 5000.0 / kRate);
}

// A refused buffer (a headset unplugged mid-play) stops the player where the listener is and says why, once; Play
// opens the device afresh and goes on from that place without losing or repeating a sample.
TEST_F(PlayerEngineTest, ARefusedBufferStopsWhereTheListenerIsAndPlayGoesOnFromThere) {
    ASSERT_EQ(Open(), Outcome::kOk);
    playerThreadStep();
    ASSERT_EQ(playerPlay(), Outcome::kOk);
    Hear(1000);
    fakeOutput.failWriteAt = fakeOutput.writeCalls + 1;  // the next buffer the thread hands over
    int64_t heardAtStop = fakeOutput.heardCount + Hear(3 * kSpb);
    EXPECT_EQ(fakeOutput.writeCalls, fakeOutput.failWriteAt);
    EXPECT_LT(heardAtStop, 1000 + 3 * kSpb);  // the sound stopped with the refusal
    EXPECT_FALSE(playerIsPlaying());
    EXPECT_FALSE(playerHasEnded());
    EXPECT_TRUE(playerIsLoaded());
    EXPECT_TRUE(fakeOutput.paused);
    EXPECT_EQ(fakeOutput.queued, 0);  // nothing left to play on in silence
    EXPECT_DOUBLE_EQ(playerPosition(), static_cast<double>(heardAtStop) / kRate);
    EXPECT_EQ(playerTakeStopReason(), Outcome::kDeviceFailed);
    EXPECT_EQ(playerTakeStopReason(), Outcome::kOk);  // told once
    // Stopped, the thread queues nothing more and the place holds.
    int calls = fakeOutput.writeCalls;
    for (int i = 0; i < 5; ++i) playerThreadStep();
    EXPECT_EQ(fakeOutput.writeCalls, calls);
    EXPECT_DOUBLE_EQ(playerPosition(), static_cast<double>(heardAtStop) / kRate);

    ASSERT_EQ(playerPlay(), Outcome::kOk);
    EXPECT_EQ(fakeOutput.opens, 2);  // a fresh device
    EXPECT_EQ(fakeOutput.closes, 1);
    EXPECT_TRUE(playerIsPlaying());
    EXPECT_EQ(Hear(2000), 2000);
    EXPECT_EQ(Heard(0, heardAtStop + 2000), Track(0, heardAtStop + 2000));
    EXPECT_DOUBLE_EQ(playerPosition(), static_cast<double>(heardAtStop + 2000) / kRate);
    EXPECT_EQ(playerTakeStopReason(), Outcome::kOk);
}

TEST_F(PlayerEngineTest, AStopWhereTheDeviceCannotSayWhatItPlayedRepeatsRatherThanSkips) {
    ASSERT_EQ(Open(), Outcome::kOk);
    playerPlay();
    Hear(1000);
    fakeOutput.failPosition = true;  // a device gone with the write may answer nothing else either
    fakeOutput.failWriteAt = fakeOutput.writeCalls + 1;
    int64_t heardAtStop = fakeOutput.heardCount + Hear(3 * kSpb);
    ASSERT_EQ(playerTakeStopReason(), Outcome::kDeviceFailed);
    double stoppedAt = playerPosition() * kRate;
    EXPECT_LE(stoppedAt, static_cast<double>(heardAtStop));
    EXPECT_GE(stoppedAt, static_cast<double>(heardAtStop - kOutputBufferCount * kSpb));
    fakeOutput.failPosition = false;
    ASSERT_EQ(playerPlay(), Outcome::kOk);
    int64_t before = fakeOutput.heardCount;
    Hear(500);
    const int64_t from = static_cast<int64_t>(stoppedAt);
    EXPECT_EQ(Heard(before, before + 500), Track(from, from + 500));
}

TEST_F(PlayerEngineTest, ADeviceThatRefusesEveryBufferStopsAtOnceInsteadOfRacingToTheEnd) {
    ASSERT_EQ(Open(), Outcome::kOk);
    fakeOutput.failWrite = true;
    playerThreadStep();  // the buffers filled while paused are refused too
    EXPECT_EQ(playerTakeStopReason(), Outcome::kDeviceFailed);
    EXPECT_EQ(playerPlay(), Outcome::kOk);  // a device opens again, and refuses again
    for (int i = 0; i < 400; ++i) playerThreadStep();
    EXPECT_EQ(fakeOutput.writes, 0);
    EXPECT_EQ(fakeOutput.writeCalls, 2);  // one refusal each time: no pass keeps trying
    EXPECT_FALSE(playerHasEnded());
    EXPECT_FALSE(playerIsPlaying());
    EXPECT_EQ(playerPosition(), 0.0);
    EXPECT_EQ(playerTakeStopReason(), Outcome::kDeviceFailed);
}

TEST_F(PlayerEngineTest, PlayWithTheDeviceGoneSaysSoAndKeepsTheTrack) {
    ASSERT_EQ(Open(), Outcome::kOk);
    playerPlay();
    Hear(1000);
    fakeOutput.failWriteAt = fakeOutput.writeCalls + 1;
    int64_t heardAtStop = fakeOutput.heardCount + Hear(3 * kSpb);
    ASSERT_EQ(playerTakeStopReason(), Outcome::kDeviceFailed);
    fakeOutput.failOpen = true;  // no output device any more
    EXPECT_EQ(playerPlay(), Outcome::kNoDevice);
    EXPECT_EQ(playerTakeStopReason(), Outcome::kOk);  // the result said it
    EXPECT_FALSE(fakeOutput.open);
    EXPECT_TRUE(playerIsLoaded());
    EXPECT_FALSE(playerIsPlaying());
    EXPECT_DOUBLE_EQ(playerDuration(), static_cast<double>(kLength) / kRate);
    EXPECT_DOUBLE_EQ(playerPosition(), static_cast<double>(heardAtStop) / kRate);
    playerThreadStep();
    playerSeek(0.5);  // without a device the place still moves
    EXPECT_DOUBLE_EQ(playerPosition(), 0.5);
    EXPECT_EQ(playerPlay(), Outcome::kNoDevice);

    fakeOutput.failOpen = false;  // plugged in again
    ASSERT_EQ(playerPlay(), Outcome::kOk);
    int64_t before = fakeOutput.heardCount;
    EXPECT_EQ(Hear(800), 800);
    EXPECT_EQ(Heard(before, before + 800), Track(4000, 4800));
}

TEST_F(PlayerEngineTest, ARefusedRestartLeavesItPausedWhereItWas) {
    ASSERT_EQ(Open(), Outcome::kOk);
    playerPlay();
    Hear(1000);
    playerPause();
    fakeOutput.failRestart = true;
    EXPECT_EQ(playerPlay(), Outcome::kDeviceFailed);
    EXPECT_FALSE(playerIsPlaying());
    EXPECT_EQ(playerTakeStopReason(), Outcome::kOk);  // the result said it
    EXPECT_DOUBLE_EQ(playerPosition(), 1000.0 / kRate);
    // A seek while playing restarts the device too.
    fakeOutput.failRestart = false;
    ASSERT_EQ(playerPlay(), Outcome::kOk);
    Hear(500);
    fakeOutput.failRestart = true;
    playerSeek(1.0);
    EXPECT_FALSE(playerIsPlaying());
    EXPECT_DOUBLE_EQ(playerPosition(), 1.0);
    EXPECT_EQ(playerTakeStopReason(), Outcome::kDeviceFailed);
    fakeOutput.failRestart = false;
    ASSERT_EQ(playerPlay(), Outcome::kOk);
    Hear(400);
    EXPECT_EQ(Heard(0, 1500), Track(0, 1500));
    EXPECT_EQ(Heard(1500, 1900), Track(8000, 8400));
}

TEST_F(PlayerEngineTest, AFailedDeviceThatWillNotResetKeepsItsBuffersAndIsNotReplaced) {
    ASSERT_EQ(Open(), Outcome::kOk);
    playerPlay();
    Hear(1000);
    fakeOutput.failWriteAt = fakeOutput.writeCalls + 1;
    Hear(3 * kSpb);
    ASSERT_EQ(playerTakeStopReason(), Outcome::kDeviceFailed);
    fakeOutput.failReset = true;
    int opens = fakeOutput.opens;
    EXPECT_EQ(playerPlay(), Outcome::kDeviceFailed);
    EXPECT_EQ(fakeOutput.opens, opens);  // the buffers it may still read go to no other device
    EXPECT_FALSE(playerIsPlaying());
    EXPECT_TRUE(playerIsLoaded());
}

TEST_F(PlayerEngineTest, PositionSubtractsWhatIsQueuedButNotHeard) {
    ASSERT_EQ(Open(), Outcome::kOk);
    playerPlay();
    Hear(1000);
    // Everything written is ahead of what was heard; the device has played 1000.
    EXPECT_DOUBLE_EQ(playerPosition(), 1000.0 / kRate);
    fakeOutput.failPosition = true;  // without the device's position: where the reading has got to
    EXPECT_DOUBLE_EQ(playerPosition(), static_cast<double>(fakeOutput.writes) * kSpb / kRate);
    EXPECT_GT(fakeOutput.writes, 4);
}

TEST_F(PlayerEngineTest, SeekClampsAndKeepsThePlayState) {
    ASSERT_EQ(Open(), Outcome::kOk);
    playerPlay();
    Hear(300);
    playerSeek(0.5);
    EXPECT_TRUE(playerIsPlaying());
    EXPECT_FALSE(fakeOutput.paused);
    EXPECT_EQ(fakeOutput.queued, 0);  // the reset handed every buffer back
    EXPECT_DOUBLE_EQ(playerPosition(), 0.5);
    Hear(400);
    EXPECT_EQ(Heard(300, 700), Track(4000, 4400));

    playerPause();
    playerSeek(-3.0);
    EXPECT_FALSE(playerIsPlaying());
    EXPECT_TRUE(fakeOutput.paused);
    EXPECT_EQ(playerPosition(), 0.0);

    playerSeek(100.0);
    EXPECT_DOUBLE_EQ(playerPosition(), playerDuration());
    EXPECT_FALSE(playerHasEnded());
    playerThreadStep();
    EXPECT_EQ(fakeOutput.queued, 0);  // nothing left to read
    playerPlay();                     // at the end: starts again from 0
    Hear(500);
    EXPECT_EQ(Heard(700, 1200), Track(0, 500));
}

TEST_F(PlayerEngineTest, APausedPlayerShowsWhereItStoppedWhateverTheDeviceCounts) {
    // Stop is a pause and a seek to 0: the buffers refilled after the reset may be counted as played by a device
    // that has not quite stopped, and the stopped player must still read 0.
    ASSERT_EQ(Open(), Outcome::kOk);
    playerPlay();
    Hear(3000);
    playerPause();
    playerSeek(0.0);
    for (int i = 0; i < 3; ++i) playerThreadStep();
    fakeOutput.position += 700;
    EXPECT_EQ(playerPosition(), 0.0);
    // Paused in the middle, likewise: the place of the pause holds.
    playerSeek(0.0);  // the device starts counting from 0 again
    playerPlay();
    Hear(2000);
    playerPause();
    fakeOutput.position += 500;
    EXPECT_DOUBLE_EQ(playerPosition(), 2000.0 / kRate);
    // Playing again, the device's count is followed once more.
    ASSERT_EQ(playerPlay(), Outcome::kOk);
    Hear(1000);
    EXPECT_DOUBLE_EQ(playerPosition(), (2000.0 + 500.0 + 1000.0) / kRate);
}

TEST_F(PlayerEngineTest, TrackRunsOutIntoEndedAtExactlyTheDuration) {
    ASSERT_EQ(Open(), Outcome::kOk);
    playerPlay();
    HearToTheEnd();
    EXPECT_TRUE(playerHasEnded());
    EXPECT_FALSE(playerIsPlaying());
    EXPECT_TRUE(fakeOutput.paused);
    EXPECT_EQ(playerPosition(), playerDuration());
    // 31 buffers went out, the last one a quarter track and three quarters silence.
    EXPECT_EQ(fakeOutput.writes, 31);
    EXPECT_EQ(fakeOutput.heardCount, 31 * kSpb);
    EXPECT_EQ(Heard(0, kLength), track);
    EXPECT_EQ(Heard(kLength, 31 * kSpb), std::vector<int16_t>(31 * kSpb - kLength, 0));

    playerPlay();  // after the end: from the beginning
    EXPECT_FALSE(playerHasEnded());
    Hear(800);
    EXPECT_EQ(Heard(31 * kSpb, 31 * kSpb + 800), Track(0, 800));
    playerSeek(1.0);  // a seek keeps the play state
    EXPECT_TRUE(playerIsPlaying());
}

TEST_F(PlayerEngineTest, SeekAfterTheEndLeavesItPausedThere) {
    ASSERT_EQ(Open(), Outcome::kOk);
    playerPlay();
    HearToTheEnd();
    playerSeek(0.25);
    EXPECT_FALSE(playerHasEnded());
    EXPECT_FALSE(playerIsPlaying());
    EXPECT_DOUBLE_EQ(playerPosition(), 0.25);
}

TEST_F(PlayerEngineTest, NothingLoadedMeansNothingHappens) {
    EXPECT_FALSE(playerIsLoaded());
    EXPECT_EQ(playerPlay(), Outcome::kNotOpen);
    EXPECT_EQ(playerPosition(), 0.0);
    EXPECT_EQ(playerDuration(), 0.0);
    playerSeek(1.0);
    playerPause();
    playerClose();
    EXPECT_EQ(fakeOutput.opens, 0);
}

TEST_F(PlayerEngineTest, FailedOpensLeaveItEmpty) {
    fakeOutput.failOpen = true;
    EXPECT_EQ(Open(), Outcome::kNoDevice);
    EXPECT_FALSE(playerIsLoaded());
    EXPECT_EQ(playerPlay(), Outcome::kNotOpen);
    EXPECT_EQ(playerDuration(), 0.0);
    fakeOutput.failOpen = false;

    manualThreads.failStart = true;  // a playback thread that cannot start: the device is given back
    EXPECT_EQ(Open(), Outcome::kThreadFailed);
    EXPECT_FALSE(playerIsLoaded());
    EXPECT_EQ(fakeOutput.closes, 1);
    EXPECT_FALSE(fakeOutput.open);
    manualThreads.failStart = false;

    fakeOutput.failPrepareAt = fakeOutput.prepares + 3;  // a buffer the device will not take: nothing is kept open
    int unprepares = fakeOutput.unprepares;
    EXPECT_EQ(Open(), Outcome::kDeviceFailed);
    EXPECT_FALSE(playerIsLoaded());
    EXPECT_EQ(fakeOutput.closes, 2);
    EXPECT_FALSE(fakeOutput.open);
    EXPECT_EQ(fakeOutput.unprepares - unprepares, 2);  // the two prepared before the refusal
    fakeOutput.failPrepareAt = 0;

    std::wstring missing = widePath(folder / "missing.wav");
    EXPECT_EQ(playerOpen(missing.c_str()), Outcome::kOpenFailed);
    writeBytes(folder / "empty.wav", {});
    EXPECT_EQ(playerOpen(widePath(folder / "empty.wav").c_str()), Outcome::kUndecodable);
    EXPECT_FALSE(playerIsLoaded());
}

TEST_F(PlayerEngineTest, CloseWhilePlayingStopsAndReleasesTheDevice) {
    ASSERT_EQ(Open(), Outcome::kOk);
    playerPlay();
    Hear(700);
    playerClose();
    EXPECT_FALSE(playerIsLoaded());
    EXPECT_GE(fakeOutput.resets, 1);
    EXPECT_EQ(fakeOutput.queued, 0);
    EXPECT_EQ(fakeOutput.unprepares, 4);
    EXPECT_EQ(fakeOutput.closes, 1);
    EXPECT_FALSE(fakeOutput.open);
    ASSERT_EQ(Open(), Outcome::kOk);  // and opens again
    EXPECT_TRUE(playerIsLoaded());
}

TEST_F(PlayerEngineTest, AThreadThatDoesNotEndKeepsEverythingItUses) {
    ASSERT_EQ(Open(), Outcome::kOk);
    playerPlay();
    Hear(500);
    manualThreads.joinTimesOut = true;
    playerClose();
    EXPECT_FALSE(playerIsLoaded());
    EXPECT_EQ(player.sessionsLeftRunning, 1);
    // Still open, its buffers still queued: the thread may be in the middle of using them.
    EXPECT_TRUE(fakeOutput.open);
    EXPECT_EQ(fakeOutput.closes, 0);
    EXPECT_GT(fakeOutput.queued, 0);
    fakeOutputPlay(3 * kSpb);  // the device goes on reading the buffers: they must still be there (ASan checks)
    // When the thread runs again it finds its quit flag and frees what it held as it ends.
    manualThreadsRunPending();
    EXPECT_EQ(fakeOutput.closes, 1);
    EXPECT_FALSE(fakeOutput.open);
}

TEST_F(PlayerEngineTest, SpeedIsClampedAndOnlyAChangeRestartsTheStretcher) {
    playerSetSpeed(0.1);  // before the first open: stored directly
    EXPECT_EQ(player.speed, 0.5);
    ASSERT_EQ(Open(), Outcome::kOk);
    playerSetSpeed(7.0);
    EXPECT_EQ(player.speed, 3.0);
    EXPECT_TRUE(player.session->stretcherResetPending);
    playerThreadStep();
    EXPECT_FALSE(player.session->stretcherResetPending);
    playerSetSpeed(3.0000001);  // no change
    EXPECT_FALSE(player.session->stretcherResetPending);
    playerSetSpeed(1.0);
    EXPECT_TRUE(player.session->stretcherResetPending);
}

TEST_F(PlayerEngineTest, VolumeIsClampedScaledAndClipped) {
    EXPECT_EQ(applyVolume(20000, 2.0), 32767);
    EXPECT_EQ(applyVolume(-20000, 2.0), -32768);
    EXPECT_EQ(applyVolume(1001, 0.5), 500);    // 500.5 truncated
    EXPECT_EQ(applyVolume(-1001, 0.5), -500);  // toward zero
    EXPECT_EQ(applyVolume(-32768, 0.0), 0);
    playerSetVolume(5.0);
    EXPECT_EQ(player.volume.load(), 2.0);
    playerSetVolume(-1.0);
    EXPECT_EQ(player.volume.load(), 0.0);

    playerSetVolume(2.0);
    ASSERT_EQ(Open(), Outcome::kOk);
    playerPlay();
    Hear(2000);
    for (int i = 0; i < 2000; ++i) {
        int doubled = 2 * track[static_cast<size_t>(i)];
        int16_t want = static_cast<int16_t>(doubled > 32767 ? 32767 : (doubled < -32768 ? -32768 : doubled));
        ASSERT_EQ(heard[static_cast<size_t>(i)], want) << i;
    }
}

TEST_F(PlayerEngineTest, SpeedsNearOneCopyAndOthersStretch) {
    playerSetSpeed(1.01);  // inside the direct-copy band
    ASSERT_EQ(Open(), Outcome::kOk);
    playerPlay();
    HearToTheEnd();
    EXPECT_EQ(Heard(0, kLength), track);

    playerSetSpeed(2.0);
    playerPlay();
    int64_t before = fakeOutput.heardCount;
    HearToTheEnd();
    EXPECT_TRUE(playerHasEnded());
    EXPECT_EQ(playerPosition(), playerDuration());
    // Twice as fast: about half the samples (plus the last buffer and the stretcher's lag).
    EXPECT_NEAR(static_cast<double>(fakeOutput.heardCount - before), kLength / 2.0, 3.0 * kSpb);
}

TEST_F(PlayerEngineTest, RealPlaybackThreadPlaysTheWholeTrack) {
    TearDown();
    Install(&kPlatformThreads);
    ASSERT_EQ(Open(), Outcome::kOk);
    fakeOutput.threads = &kPlatformThreads;
    fakeOutput.guard = player.lock;
    playerPlay();
    auto start = std::chrono::steady_clock::now();
    while (!playerHasEnded() && std::chrono::steady_clock::now() - start < std::chrono::seconds(20)) {
        fakeOutputPlay(kSpb / 2);
        std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    ASSERT_TRUE(playerHasEnded());
    EXPECT_EQ(playerPosition(), playerDuration());
    EXPECT_EQ(Heard(0, kLength), track);
    playerClose();
    EXPECT_EQ(player.sessionsLeftRunning, 0);
    EXPECT_EQ(fakeOutput.closes, 1);
    fakeOutput.guard = nullptr;
}

}  // namespace

TEST_F(PlayerEngineTest, PositionStaysRightWhenTheDevicesCountWraps) {
    ASSERT_EQ(Open(), Outcome::kOk);
    fakeOutput.position32 = true;
    playerPlay();
    Hear(1000);
    ASSERT_DOUBLE_EQ(playerPosition(), 1000.0 / kRate);
    // As after a very long play without a seek: the device's 32-bit count has wrapped past 2^32 while the engine's
    // count of written samples has not. 1000 samples were heard before the wrap point; 600 more after it.
    const int64_t untilWrap = (int64_t{1} << 32) - 1000 + 200;
    fakeOutput.position += untilWrap;
    player.session->samplesWritten += untilWrap;
    EXPECT_DOUBLE_EQ(playerPosition(), 1000.0 / kRate);
    Hear(600);
    EXPECT_LT(static_cast<uint32_t>(fakeOutput.position), 1000u);  // wrapped
    EXPECT_DOUBLE_EQ(playerPosition(), 1600.0 / kRate);
}

TEST_F(PlayerEngineTest, ADeviceThatWillNotResetOrCloseKeepsItsBuffers) {
    for (int failing = 0; failing < 2; ++failing) {
        ASSERT_EQ(Open(), Outcome::kOk);
        playerPlay();
        Hear(500);
        fakeOutput.failReset = failing == 0;
        fakeOutput.failClose = failing == 1;
        OutputHeader* header = &player.session->headers[0];
        playerClose();
        EXPECT_FALSE(playerIsLoaded());
        EXPECT_TRUE(fakeOutput.open);
        // The device may still read the buffers and their headers: they must still be there (ASan checks).
        memset(header->data, 0x55, header->bufferLength);
        if (failing == 0) {
            EXPECT_GT(fakeOutput.queued, 0);  // the failed reset handed nothing back
            fakeOutput.paused = false;
            EXPECT_GT(fakeOutputPlay(2 * kSpb), 0);
        }
        fakeOutputReset();
        fakeOutput.heard = heard.data();
        fakeOutput.heardCapacity = static_cast<int64_t>(heard.size());
    }
}
