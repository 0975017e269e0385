// The window's words when the sound output lets the player down: the exact title and explanation for a device that
// stopped and for none at all, and silence for the outcomes that need no words.
#include "app/player_feedback.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::wstring kStopped = L"Could not play the sound";
const std::wstring kStoppedWhy =
    L"Windows stopped the sound output. Check that your speakers or headphones are connected, then press Play again.";
const std::wstring kNone = L"No speakers or headphones found";

TEST(PlayerWords, ADeviceThatStoppedAndNoDeviceAtPlay) {
    PlayerWords words;
    ASSERT_TRUE(playerStopWords(Outcome::kDeviceFailed, &words));
    EXPECT_EQ(std::wstring(words.status), kStopped);
    EXPECT_EQ(std::wstring(words.detail), kStoppedWhy);
    ASSERT_TRUE(playerStopWords(Outcome::kNoDevice, &words));
    EXPECT_EQ(std::wstring(words.status), kNone);
    EXPECT_EQ(std::wstring(words.detail),
              L"Plug in or enable speakers or headphones in Windows sound settings, then press Play again.");
    EXPECT_FALSE(playerStopWords(Outcome::kOk, &words));
    EXPECT_FALSE(playerStopWords(Outcome::kNotOpen, &words));
}

TEST(PlayerWords, OnlyAMissingOutputHasWordsAtOpen) {
    PlayerWords words;
    ASSERT_TRUE(playerOpenFailureWords(Outcome::kNoDevice, &words));
    EXPECT_EQ(std::wstring(words.status), kNone);
    EXPECT_EQ(std::wstring(words.detail),
              L"Plug in or enable speakers or headphones in Windows sound settings, then open the file again.");
    // A file that cannot be read or decoded, and every other refusal, keep the window's could-not-read message.
    for (Outcome other : {Outcome::kUndecodable, Outcome::kOpenFailed, Outcome::kTooLarge, Outcome::kDeviceFailed,
                          Outcome::kUnsupportedFormat, Outcome::kOutOfMemory, Outcome::kThreadFailed}) {
        EXPECT_FALSE(playerOpenFailureWords(other, &words)) << static_cast<int>(other);
    }
}

}  // namespace
