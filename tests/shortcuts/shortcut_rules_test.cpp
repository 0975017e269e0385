// The validity rules, one group per rule: what the record/stop shortcut may be, what a playback capture accepts, and
// which stored playback values are loaded.
#include "shortcuts/shortcut_rules.h"

#include <gtest/gtest.h>

#include "shortcuts/shortcut.h"

namespace {

const uint32_t A = kModAlt, C = kModCtrl, S = kModShift, W = kModWin;

class PlaybackRule : public ::testing::Test {
  protected:
    void SetUp() override { shortcutsReset(); }
    void TearDown() override { shortcutsReset(); }
};

}  // namespace

TEST(ModifierKeys, AreTheElevenShiftCtrlAltAndWinCodes) {
    int count = 0;
    for (uint32_t key = 0; key <= 300; ++key) count += IsModifierKey(key) ? 1 : 0;
    EXPECT_EQ(count, 11);
    for (uint32_t key : {0x10u, 0x11u, 0x12u, 0xA0u, 0xA1u, 0xA2u, 0xA3u, 0xA4u, 0xA5u, 0x5Bu, 0x5Cu}) {
        EXPECT_TRUE(IsModifierKey(key)) << key;
    }
}

TEST(RecordRule, AcceptsOrdinaryPairsAndSingleKeys) {
    EXPECT_TRUE(IsValidRecordShortcut(kKeyR, C | S));
    EXPECT_TRUE(IsValidRecordShortcut(kKeyTab, 0));
    EXPECT_TRUE(IsValidRecordShortcut(kKeyF1, 0));
    EXPECT_TRUE(IsValidRecordShortcut('A', 0));
    EXPECT_TRUE(IsValidRecordShortcut(kKeyDelete, C | S));
    EXPECT_TRUE(IsValidRecordShortcut(kKeyDelete, A | S));
    EXPECT_TRUE(IsValidRecordShortcut(kKeySpace, C));
    EXPECT_TRUE(IsValidRecordShortcut(255, A | C | S));
}

TEST(RecordRule, RefusesOutOfRangeValues) {
    EXPECT_FALSE(IsValidRecordShortcut(0, C));
    EXPECT_FALSE(IsValidRecordShortcut(256, C));
    EXPECT_FALSE(IsValidRecordShortcut(kKeyR, 16));
    EXPECT_FALSE(IsValidRecordShortcut(kKeyR, 0x4000 | C));
}

TEST(RecordRule, RefusesLockKeysF12WinAndModifierKeys) {
    for (uint32_t key : {kKeyNumLock, kKeyScrollLock, kKeyCapsLock, kKeyF12}) {
        EXPECT_FALSE(IsValidRecordShortcut(key, 0)) << key;
        EXPECT_FALSE(IsValidRecordShortcut(key, C)) << key;
    }
    EXPECT_FALSE(IsValidRecordShortcut(kKeyR, W));
    EXPECT_FALSE(IsValidRecordShortcut(kKeyR, C | W));
    EXPECT_FALSE(IsValidRecordShortcut(kKeyShift, C));
    EXPECT_FALSE(IsValidRecordShortcut(0xA3, S));
}

TEST(RecordRule, RefusesSystemCombinations) {
    EXPECT_FALSE(IsValidRecordShortcut(kKeyTab, S));
    EXPECT_FALSE(IsValidRecordShortcut(kKeyTab, C));
    EXPECT_FALSE(IsValidRecordShortcut(kKeySpace, A));
    EXPECT_FALSE(IsValidRecordShortcut(kKeyF4, A));
    EXPECT_FALSE(IsValidRecordShortcut(kKeyEsc, A | S));
    EXPECT_FALSE(IsValidRecordShortcut(kKeyF4, C));
    EXPECT_FALSE(IsValidRecordShortcut(kKeyEsc, C));
    EXPECT_FALSE(IsValidRecordShortcut(kKeyEsc, C | S));
    EXPECT_FALSE(IsValidRecordShortcut(kKeyDelete, C | A));
    EXPECT_TRUE(IsValidRecordShortcut(kKeyEsc, S));
    EXPECT_TRUE(IsValidRecordShortcut(kKeyF4, S));
}

TEST_F(PlaybackRule, AcceptsModifiedKeysAndF1ToF11Alone) {
    EXPECT_TRUE(IsAcceptablePlaybackShortcut(0, kKeyF1, 0));
    EXPECT_TRUE(IsAcceptablePlaybackShortcut(0, 0x74, 0));  // F5
    EXPECT_TRUE(IsAcceptablePlaybackShortcut(0, kKeyF11, 0));
    EXPECT_TRUE(IsAcceptablePlaybackShortcut(0, kKeyF12, C));
    EXPECT_TRUE(IsAcceptablePlaybackShortcut(0, kKeyF4, C));
    EXPECT_TRUE(IsAcceptablePlaybackShortcut(0, kKeyCapsLock, S));
    EXPECT_TRUE(IsAcceptablePlaybackShortcut(0, kKeyNumLock, A));
    EXPECT_TRUE(IsAcceptablePlaybackShortcut(0, kKeySpace, S));
}

TEST_F(PlaybackRule, RefusesSingleKeysTabEnterAndAltCombinations) {
    EXPECT_FALSE(IsAcceptablePlaybackShortcut(0, kKeyF12, 0));
    EXPECT_FALSE(IsAcceptablePlaybackShortcut(0, 'A', 0));
    EXPECT_FALSE(IsAcceptablePlaybackShortcut(0, kKeySpace, 0));
    EXPECT_FALSE(IsAcceptablePlaybackShortcut(0, kKeyEnter, C));
    EXPECT_FALSE(IsAcceptablePlaybackShortcut(0, kKeyTab, C | S));
    EXPECT_FALSE(IsAcceptablePlaybackShortcut(0, kKeySpace, A));
    EXPECT_FALSE(IsAcceptablePlaybackShortcut(0, kKeyF4, A | C));
    EXPECT_FALSE(IsAcceptablePlaybackShortcut(0, 0, C));
    EXPECT_FALSE(IsAcceptablePlaybackShortcut(0, 256, C));
    // Win would be dropped on the next start, so a pair holding it is not accepted either.
    EXPECT_FALSE(IsAcceptablePlaybackShortcut(0, 'P', C | W));
}

TEST_F(PlaybackRule, RefusesTheRecordShortcutAndOtherSlotsButNotItsOwn) {
    EXPECT_FALSE(IsAcceptablePlaybackShortcut(0, kKeyR, C | S));
    RecordShortcut = {'P', A};
    EXPECT_TRUE(IsAcceptablePlaybackShortcut(0, kKeyR, C | S));
    EXPECT_FALSE(IsAcceptablePlaybackShortcut(0, 'P', A));
    EXPECT_FALSE(IsAcceptablePlaybackShortcut(0, kKeyLeft, C));  // slot 1's
    EXPECT_TRUE(IsAcceptablePlaybackShortcut(0, kKeySpace, C));  // slot 0's own
    EXPECT_TRUE(IsAcceptablePlaybackShortcut(1, kKeyLeft, C));
    EXPECT_FALSE(IsAcceptablePlaybackShortcut(3, kKeyHome, C));
}

TEST(LoadableRule, ChecksRangeModifierKeysAndModsOnly) {
    EXPECT_TRUE(IsLoadablePlaybackShortcut(0x76, 0));  // F7 alone
    EXPECT_TRUE(IsLoadablePlaybackShortcut(kKeyTab, 0));
    EXPECT_TRUE(IsLoadablePlaybackShortcut(255, A | C | S));
    EXPECT_TRUE(IsLoadablePlaybackShortcut(kKeyR, C | S));  // equal to the record shortcut: not compared
    EXPECT_FALSE(IsLoadablePlaybackShortcut(0, C));
    EXPECT_FALSE(IsLoadablePlaybackShortcut(256, C));
    EXPECT_FALSE(IsLoadablePlaybackShortcut(kKeyShift, C));
    EXPECT_FALSE(IsLoadablePlaybackShortcut(kKeyLeftWin, C));
    EXPECT_FALSE(IsLoadablePlaybackShortcut(kKeySpace, W));
    EXPECT_FALSE(IsLoadablePlaybackShortcut(kKeySpace, A | W));
    EXPECT_FALSE(IsLoadablePlaybackShortcut(kKeySpace, 16));
}
