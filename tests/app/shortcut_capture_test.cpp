// How shortcut captures end one another: a second slot's Change, the same slot's Change, Esc, a slot Change during a
// record capture, the Settings button and the start of a recording; and the record shortcut shadowing a slot.
#include <gtest/gtest.h>

#include "app/controller.h"
#include "app_fixture.h"
#include "recorder/recorder.h"
#include "shortcuts/shortcut.h"
#include "shortcuts/shortcut_registration.h"
#include "ui/control_ids.h"

namespace {

const uint32_t kEsc = 0x1B;

class ShortcutCaptures : public ControllerTest {
  protected:
    void SetUp() override {
        ControllerTest::SetUp();
        RegisterCurrentRecordShortcut();
    }
};

}  // namespace

TEST_F(ShortcutCaptures, AnotherSlotsChangeTakesOverARunningSlotCapture) {
    onCommand(kIdSlotChange + 1, kNotifyClicked);
    onCommand(kIdSlotChange + 2, kNotifyClicked);
    EXPECT_EQ(CapturePlaySlot, 2);
    EXPECT_EQ(Text(kIdSlotText + 1), L"Ctrl+Left");  // slot 1 shows its shortcut again
    EXPECT_EQ(Text(kIdSlotChange + 1), L"Change");
    EXPECT_EQ(Text(kIdSlotText + 2), L"Press a key; Esc cancels");
    EXPECT_EQ(Text(kIdSlotChange + 2), L"Cancel");
    EXPECT_EQ(Text(kIdStatus), L"Press the new shortcut now. Press Esc to cancel.");
}

TEST_F(ShortcutCaptures, TheSameSlotsChangeCancelsItsCapture) {
    onCommand(kIdSlotChange + 3, kNotifyClicked);
    onCommand(kIdSlotChange + 3, kNotifyClicked);
    EXPECT_EQ(CapturePlaySlot, -1);
    EXPECT_EQ(Text(kIdSlotChange + 3), L"Change");
    EXPECT_EQ(Text(kIdStatus), L"Ready to record  (Ctrl+Shift+R)");
}

TEST_F(ShortcutCaptures, EscEndsASlotCaptureWithTheIdleOrTheUnavailableStatus) {
    onCommand(kIdSlotChange + 0, kNotifyClicked);
    EXPECT_TRUE(HandleCaptureKey(kEsc));
    EXPECT_EQ(CapturePlaySlot, -1);
    EXPECT_EQ(Text(kIdStatus), L"Ready to record  (Ctrl+Shift+R)");

    // With a file loaded the slots register again, and one the system refuses says so.
    LoadSeconds(2);
    refusedKey = PlaybackShortcuts[2].key;
    onCommand(kIdSlotChange + 0, kNotifyClicked);
    EXPECT_TRUE(HandleCaptureKey(kEsc));
    EXPECT_EQ(Text(kIdStatus),
              L"A playback shortcut is unavailable; another app may be using it. Choose a different key in Settings.");
    EXPECT_EQ(hotkeys.count(kHotkeyFirstPlayback), 1u);
}

TEST_F(ShortcutCaptures, ASlotChangeEndsARecordCapture) {
    onCommand(kIdRecordShortcutChange, kNotifyClicked);
    ASSERT_TRUE(CapturingRecordShortcut);
    EXPECT_EQ(hotkeys.count(kHotkeyRecord), 0u);
    onCommand(kIdSlotChange + 1, kNotifyClicked);
    EXPECT_FALSE(CapturingRecordShortcut);
    EXPECT_TRUE(HotkeyRegistered);
    EXPECT_EQ(hotkeys.count(kHotkeyRecord), 1u);
    EXPECT_EQ(Text(kIdRecordShortcutChange), L"Change");
    EXPECT_EQ(CapturePlaySlot, 1);
}

TEST_F(ShortcutCaptures, TheSettingsButtonAndARecordingStartEndCaptures) {
    onCommand(kIdSlotChange + 1, kNotifyClicked);
    onCommand(kIdSettings, kNotifyClicked);
    EXPECT_EQ(CapturePlaySlot, -1);
    onCommand(kIdRecordShortcutChange, kNotifyClicked);
    onCommand(kIdSettings, kNotifyClicked);
    EXPECT_FALSE(CapturingRecordShortcut);
    EXPECT_TRUE(HotkeyRegistered);

    onCommand(kIdSlotChange + 2, kNotifyClicked);
    onCommand(kIdRecord, kNotifyClicked);
    ASSERT_EQ(recorder.state, RecorderState::Recording);
    EXPECT_EQ(CapturePlaySlot, -1);
    EXPECT_EQ(Text(kIdSlotChange + 2), L"Change");
    EXPECT_EQ(Text(kIdStatus), L"Recording");
}

TEST_F(ShortcutCaptures, ARecordShortcutEqualToSlotZeroLeavesHotKeyTwoUnregistered) {
    ApplyRecordShortcut(kPlaybackSlots[0].defaultShortcut.key, kPlaybackSlots[0].defaultShortcut.mods);
    ASSERT_TRUE(shortcutsEqual(RecordShortcut, PlaybackShortcuts[0]));
    LoadSeconds(2);
    EXPECT_EQ(hotkeys.count(kHotkeyRecord), 1u);
    EXPECT_EQ(hotkeys.count(kHotkeyFirstPlayback), 0u);
    for (int slot = 1; slot < 4; ++slot) EXPECT_EQ(hotkeys.count(kHotkeyFirstPlayback + slot), 1u);
    // The slots without a shortcut have nothing registered.
    for (int slot = 4; slot < kPlaybackSlotCount; ++slot) EXPECT_EQ(hotkeys.count(kHotkeyFirstPlayback + slot), 0u);
    EXPECT_EQ(Text(kIdStatus),
              L"A playback shortcut is unavailable; another app may be using it. Choose a different key in Settings.");
    HandleHotkey(kHotkeyRecord);  // the shared keys record
    EXPECT_EQ(recorder.state, RecorderState::Recording);
}
