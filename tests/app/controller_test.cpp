// The main window's controller against a table of control states: enabling and texts, loading and driving the
// player, the sliders, the hot-key actions, dropped files and the close request, with the real recorder, player and
// settings behind it.
#include "app/controller.h"

#include <gtest/gtest.h>

#include "app/controller.h"

#include <map>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "base/wide_text.h"
#include "player/general_decoder.h"
#include "player/output_fake.h"
#include "player/player.h"
#include "player/threads_manual.h"
#include "recorder/capture_scripted.h"
#include "recorder/recorder.h"
#include "settings/settings_store_memory.h"
#include "shortcuts/key_names.h"
#include "shortcuts/key_state.h"
#include "shortcuts/shortcut.h"
#include "shortcuts/shortcut_registration.h"
#include "shortcuts/shortcut_text.h"
#include "support/test_host.h"
#include "ui/control_ids.h"

TEST_F(ControllerTest, ControlsFollowTheRecorderState) {
    RefreshControls();
    EXPECT_TRUE(C(kIdRecord)->enabled);
    EXPECT_FALSE(C(kIdPause)->enabled);
    EXPECT_FALSE(C(kIdStop)->enabled);
    EXPECT_FALSE(C(kIdMark)->enabled);
    EXPECT_TRUE(C(kIdQuality)->enabled);
    EXPECT_EQ(Text(kIdSettings), L"Settings  \x25BE");
    onCommand(kIdRecord, kNotifyClicked);
    ASSERT_EQ(recorder.state, RecorderState::Recording);
    EXPECT_FALSE(C(kIdRecord)->enabled);
    EXPECT_TRUE(C(kIdMark)->enabled);
    EXPECT_FALSE(C(kIdFileName)->enabled);
    EXPECT_FALSE(C(kIdReplace)->enabled);
    EXPECT_FALSE(C(kIdChangeFolder)->enabled);
    onCommand(kIdPause, kNotifyClicked);
    EXPECT_EQ(Text(kIdPause), L"Resume");
    EXPECT_FALSE(C(kIdMark)->enabled);
    EXPECT_TRUE(C(kIdStop)->enabled);
    onCommand(kIdSettings, kNotifyClicked);
    EXPECT_EQ(Text(kIdSettings), L"Settings  \x25B4");
    EXPECT_GT(window.layouts, 0);
}

TEST_F(ControllerTest, APauseCommandWhileIdleOnlyRefreshes) {
    int layouts = window.layouts;
    onCommand(kIdPause, kNotifyClicked);
    EXPECT_EQ(recorder.state, RecorderState::Idle);
    EXPECT_EQ(scriptedCapture.opens, 0);
    EXPECT_GT(window.layouts, layouts);
}

TEST_F(ControllerTest, TextsAreSetOnlyWhenTheyChange) {
    SetStatus(L"Recording");
    SetStatus(L"Recording");
    EXPECT_EQ(C(kIdStatus)->setTextCalls, 1);
    std::wstring longText(600, L'x');
    SetStatus(longText.c_str());
    SetStatus(longText.c_str());  // too long to compare: set again
    EXPECT_EQ(C(kIdStatus)->setTextCalls, 3);
}

TEST_F(ControllerTest, IdleStatusNamesTheShortcutOrSaysItIsUnavailable) {
    ASSERT_TRUE(RegisterCurrentRecordShortcut());
    ShowIdleStatus();
    EXPECT_EQ(Text(kIdStatus), L"Ready to record  (Ctrl+Shift+R)");
    UnregisterRecordShortcut();
    refuseHotkeys = true;
    ASSERT_FALSE(RegisterCurrentRecordShortcut());
    ShowIdleStatus();
    EXPECT_EQ(Text(kIdStatus), L"Global shortcut unavailable; open Settings to choose another");
}

TEST_F(ControllerTest, LoadingAFileShowsItAndRegistersThePlaybackShortcuts) {
    C(kIdVolume)->slider = 150;
    C(kIdSpeed)->slider = 13;
    std::wstring path = LoadSeconds(90);
    EXPECT_TRUE(shellState().PlayerLoaded);
    EXPECT_EQ(std::wstring(shellState().PlayerPath), path);
    EXPECT_EQ(Text(kIdLoadedName), L"talk.wav");
    EXPECT_EQ(Text(kIdPlay), L"Play");
    EXPECT_EQ(Text(kIdTimes), L"Total 00:01:30   \x00B7   Remaining 00:01:30");
    EXPECT_EQ(Text(kIdVolumeLabel), L"Volume 150%");
    EXPECT_EQ(Text(kIdSpeedLabel), L"Speed 65%");
    EXPECT_DOUBLE_EQ(player.volume.load(), 1.5);
    EXPECT_DOUBLE_EQ(player.speed, 0.65);
    EXPECT_EQ(window.timers[kTimerPlayer], 100);
    ASSERT_EQ(hotkeys.size(), 4u);
    EXPECT_EQ(hotkeys[2], std::make_pair(kModCtrl | kModNoRepeat, 0x20u));
    EXPECT_EQ(hotkeys[5], std::make_pair(kModCtrl | kModNoRepeat, 0x27u));
    ClosePlayerFile();
    EXPECT_TRUE(hotkeys.empty());
    EXPECT_EQ(window.timers.count(kTimerPlayer), 0u);
    EXPECT_FALSE(shellState().PlayerLoaded);
}

TEST_F(ControllerTest, APlaybackSlotEqualToTheRecordShortcutIsNotRegisteredAndSaysSo) {
    PlaybackShortcuts[1] = RecordShortcut;
    LoadSeconds(2);
    EXPECT_EQ(hotkeys.count(3), 0u);
    EXPECT_EQ(Text(kIdStatus),
              L"A playback shortcut is unavailable; another app may be using it. Choose a different key in Settings.");
}

TEST_F(ControllerTest, AFileThatCannotBePlayedLeavesThePlayerEmptyOrWithTheLastRecording) {
    auto bad = folder / "bad.mp3";
    writeMonoWav(folder / "bad.mp3", 8000, {});
    std::vector<unsigned char> junk(1000, 0x55);
    {
        FILE* f = fopen(bad.string().c_str(), "wb");
        fwrite(junk.data(), 1, junk.size(), f);
        fclose(f);
    }
    EXPECT_EQ(LoadForPlay(bad.wstring().c_str()), -1);
    EXPECT_FALSE(shellState().PlayerLoaded);
    OpenForPlay(bad.wstring().c_str());
    ASSERT_EQ(window.messageBoxes.size(), 1u);
    EXPECT_EQ(window.messageBoxes[0].substr(0, 36), L"Notafon could not read this file. It");
    EXPECT_FALSE(shellState().PlayerLoaded);

    // With a saved recording, the player falls back to it.
    C(kIdFileName)->text = L"rec";
    onCommand(kIdRecord, kNotifyClicked);
    std::vector<int16_t> voice(44100, 3000);
    FeedMicrophone(voice);
    onCommand(kIdStop, kNotifyClicked);
    ASSERT_TRUE(recorder.lastRecordingSaved);
    OpenForPlay(bad.wstring().c_str());
    EXPECT_TRUE(shellState().PlayerLoaded);
    EXPECT_EQ(std::wstring(shellState().PlayerPath), std::wstring(recorder.recordingPath));
    EXPECT_EQ(window.messageBoxes.size(), 2u);
}

// The listener hears n samples of the loaded file, the playback thread running between.
void HearPlayer(int64_t n) {
    for (int64_t done = 0; done < n;) {
        playerThreadStep();
        int64_t p = fakeOutputPlay(std::min<int64_t>(n - done, 100));
        if (p == 0) break;
        done += p;
    }
}

const wchar_t kSoundStopped[] = L"Could not play the sound";
const wchar_t kSoundStoppedWhy[] =
    L"Windows stopped the sound output. Check that your speakers or headphones are connected, then press Play again.";

TEST_F(ControllerTest, SoundThatStopsUnderThePlayerIsReportedAndPlayGoesOnFromThere) {
    ASSERT_TRUE(RegisterCurrentRecordShortcut());
    LoadSeconds(4);  // 8000 Hz
    SetNote(L"Saved (00:04, 0.1 MB) to: earlier");
    onCommand(kIdPlay, kNotifyClicked);
    HearPlayer(10000);
    fakeOutput.failWriteAt = fakeOutput.writeCalls + 1;  // the headset is pulled out
    HearPlayer(2000);
    onTimer(kTimerPlayer);
    EXPECT_EQ(Text(kIdStatus), kSoundStopped);
    EXPECT_EQ(Text(kIdDetail), kSoundStoppedWhy);
    EXPECT_EQ(Text(kIdPlay), L"Play");
    EXPECT_TRUE(shellState().PlayerLoaded);
    EXPECT_TRUE(window.messageBoxes.empty());
    const double stoppedAt = playerPosition();
    EXPECT_GE(stoppedAt, 10000.0 / 8000);
    EXPECT_EQ(Text(kIdTime), L"00:00:01");
    // The next ticks neither repeat nor undo it.
    SetStatus(L"something else");
    onTimer(kTimerPlayer);
    EXPECT_EQ(Text(kIdStatus), L"something else");
    SetStatus(kSoundStopped);

    onCommand(kIdPlay, kNotifyClicked);  // plugged in again
    EXPECT_TRUE(playerIsPlaying());
    EXPECT_EQ(Text(kIdPlay), L"Pause");
    EXPECT_EQ(Text(kIdStatus), L"Ready to record  (Ctrl+Shift+R)");
    EXPECT_EQ(Text(kIdDetail), L"");
    HearPlayer(800);
    EXPECT_DOUBLE_EQ(playerPosition(), stoppedAt + 800.0 / 8000);
}

TEST_F(ControllerTest, NoSoundOutputIsNamedAsSuchNeverAsADamagedFile) {
    auto path = folder / "talk.wav";
    writeMonoWav(path, 8000, std::vector<short>(16000, 1000));
    fakeOutput.failOpen = true;
    OpenForPlay(path.wstring().c_str());
    EXPECT_TRUE(window.messageBoxes.empty());
    EXPECT_FALSE(shellState().PlayerLoaded);
    EXPECT_EQ(Text(kIdStatus), L"No speakers or headphones found");
    EXPECT_EQ(Text(kIdDetail),
              L"Plug in or enable speakers or headphones in Windows sound settings, then open the file again.");

    // Loaded, then the output goes away: Play says what is missing and keeps the file.
    fakeOutput.failOpen = false;
    OpenForPlay(path.wstring().c_str());
    ASSERT_TRUE(shellState().PlayerLoaded);
    onCommand(kIdPlay, kNotifyClicked);
    HearPlayer(3000);
    fakeOutput.failWriteAt = fakeOutput.writeCalls + 1;
    HearPlayer(2000);
    fakeOutput.failOpen = true;
    onCommand(kIdPlay, kNotifyClicked);
    EXPECT_FALSE(playerIsPlaying());
    EXPECT_TRUE(shellState().PlayerLoaded);
    EXPECT_EQ(Text(kIdPlay), L"Play");
    EXPECT_EQ(Text(kIdStatus), L"No speakers or headphones found");
    EXPECT_EQ(Text(kIdDetail),
              L"Plug in or enable speakers or headphones in Windows sound settings, then press Play again.");
    EXPECT_TRUE(window.messageBoxes.empty());
}

TEST_F(ControllerTest, DraggingTheSeekThumbPreviewsAndSeeksOnceAtTheEnd) {
    LoadSeconds(90);
    C(kIdSeek)->slider = 500;
    onSliderNotification(kIdSeek, kSliderThumbTrack);
    EXPECT_TRUE(shellState().SeekDragging);
    EXPECT_EQ(Text(kIdTime), L"00:00:45");
    EXPECT_EQ(Text(kIdTimes), L"Total 00:01:30   \x00B7   Remaining 00:00:45");
    EXPECT_DOUBLE_EQ(playerPosition(), 0.0);
    RefreshPlayer();  // the timer does not move the thumb under the user's hand
    EXPECT_EQ(C(kIdSeek)->slider, 500);
    onSliderNotification(kIdSeek, kSliderEndScroll);
    EXPECT_FALSE(shellState().SeekDragging);
    EXPECT_NEAR(playerPosition(), 45.0, 0.01);
    // An end notification with no drag before it does nothing.
    C(kIdSeek)->slider = 100;
    onSliderNotification(kIdSeek, kSliderEndScroll);
    EXPECT_NEAR(playerPosition(), 45.0, 0.01);
    // A click (page step) seeks at once.
    onSliderNotification(kIdSeek, 3);
    EXPECT_NEAR(playerPosition(), 9.0, 0.01);
}

TEST_F(ControllerTest, RewindAndForwardAreClampedByThePlayer) {
    LoadSeconds(90);
    C(kIdRewindAmount)->selection = 6;
    onCommand(kIdRewindAmount, kNotifySelChange);
    EXPECT_EQ(shellState().RewindSeconds, 30);
    EXPECT_EQ(Text(kIdBack), L"Back 30s");
    EXPECT_TRUE(WasWritten(L"RewindSeconds"));
    playerSeek(10.0);
    onCommand(kIdBack, kNotifyClicked);
    EXPECT_DOUBLE_EQ(playerPosition(), 0.0);
    playerSeek(88.0);
    onCommand(kIdForward, kNotifyClicked);
    EXPECT_NEAR(playerPosition(), 90.0, 0.01);
    onCommand(kIdStart, kNotifyClicked);
    EXPECT_DOUBLE_EQ(playerPosition(), 0.0);
}

TEST_F(ControllerTest, PlayTogglesAndThePlayerStopGoesBackToTheStart) {
    LoadSeconds(10);
    onCommand(kIdPlay, kNotifyClicked);
    EXPECT_TRUE(playerIsPlaying());
    EXPECT_EQ(Text(kIdPlay), L"Pause");
    playerSeek(4.0);
    onCommand(kIdPlayerStop, kNotifyClicked);
    EXPECT_FALSE(playerIsPlaying());
    EXPECT_DOUBLE_EQ(playerPosition(), 0.0);
    EXPECT_EQ(Text(kIdPlay), L"Play");
}

TEST_F(ControllerTest, VolumeAndSpeedSlidersApplyAtOnceAndSaveAtTheEndOfADrag) {
    LoadSeconds(3);
    C(kIdVolume)->slider = 150;
    onSliderNotification(kIdVolume, kSliderThumbTrack);
    EXPECT_EQ(Text(kIdVolumeLabel), L"Volume 150%");
    EXPECT_DOUBLE_EQ(player.volume.load(), 1.5);
    EXPECT_FALSE(WasWritten(L"PlayVolume"));
    onSliderNotification(kIdVolume, kSliderEndScroll);
    EXPECT_TRUE(WasWritten(L"PlayVolume"));
    C(kIdSpeed)->slider = 13;
    onSliderNotification(kIdSpeed, 1);
    EXPECT_EQ(Text(kIdSpeedLabel), L"Speed 65%");
    EXPECT_DOUBLE_EQ(player.speed, 0.65);
}

TEST_F(ControllerTest, HotKeysStartAndStopRecordingAndPlaybackKeysWaitForIdle) {
    LoadSeconds(10);
    HandleHotkey(kHotkeyFirstPlayback);
    EXPECT_TRUE(playerIsPlaying());
    HandleHotkey(kHotkeyFirstPlayback);
    EXPECT_FALSE(playerIsPlaying());
    HandleHotkey(kHotkeyRecord);
    ASSERT_EQ(recorder.state, RecorderState::Recording);
    EXPECT_FALSE(shellState().PlayerLoaded);  // a recording empties the player
    HandleHotkey(kHotkeyFirstPlayback + 3);   // ignored while recording
    togglePause();
    HandleHotkey(kHotkeyRecord);  // a paused recording is stopped too
    EXPECT_EQ(recorder.state, RecorderState::Idle);
    EXPECT_EQ(Text(kIdStatus), L"Nothing was recorded");
}

TEST_F(ControllerTest, ARecordingFromTheWindowIsSavedAndLoaded) {
    C(kIdFileName)->text = L"Interview.wav";
    C(kIdSkipSilence)->checked = false;
    onCommand(kIdRecord, kNotifyClicked);
    EXPECT_EQ(Text(kIdStatus), L"Recording");
    EXPECT_EQ(window.timers[kTimerRecording], 70);
    EXPECT_TRUE(WasWritten(L"Format"));  // settings are saved at the start
    std::vector<int16_t> voice(44100 * 2, -5000);
    FeedMicrophone(voice);
    onTimer(kTimerRecording);
    EXPECT_EQ(Text(kIdTime), L"00:00:02");
    onCommand(kIdMark, kNotifyClicked);
    onCommand(kIdStop, kNotifyClicked);
    EXPECT_EQ(Text(kIdStatus), L"Done and saved");
    EXPECT_EQ(window.timers.count(kTimerRecording), 0u);
    EXPECT_TRUE(shellState().PlayerLoaded);
    EXPECT_EQ(std::filesystem::path(shellState().PlayerPath), folder / "Interview.wav");
    EXPECT_TRUE(std::filesystem::exists(folder / "Interview-marks.txt"));
    EXPECT_EQ(Text(kIdLoadedName), L"Interview.wav");
}

TEST_F(ControllerTest, DroppedFilesAreRefusedWithAReason) {
    onDropFiles(2, L"a.wav", false);
    EXPECT_EQ(Text(kIdStatus), L"Drop one MP3, WAV or M4A file at a time.");
    onDropFiles(1, L"", true);
    EXPECT_EQ(Text(kIdStatus), L"That file path is too long to load here.");
    onDropFiles(1, L"", false);
    EXPECT_EQ(Text(kIdStatus), L"Could not read the dropped file path.");
    onCommand(kIdRecord, kNotifyClicked);
    onDropFiles(1, L"a.wav", false);
    EXPECT_EQ(Text(kIdStatus), L"Stop recording before dropping an audio file.");
    CapturePlaySlot = 1;
    onDropFiles(1, L"a.wav", false);
    EXPECT_EQ(Text(kIdStatus), L"Finish changing a shortcut before dropping audio.");
    CapturePlaySlot = -1;
}

TEST_F(ControllerTest, ClosingWhileRecordingKeepsTheRecordingAndSavesTheSettings) {
    C(kIdFileName)->text = L"closing";
    onCommand(kIdRecord, kNotifyClicked);
    std::vector<int16_t> voice(44100, 2000);
    FeedMicrophone(voice);
    int writesBefore = store.writeCount;
    onCloseRequest();
    EXPECT_EQ(recorder.state, RecorderState::Idle);
    EXPECT_EQ(Text(kIdStatus), L"Done and saved");
    EXPECT_TRUE(std::filesystem::exists(folder / "closing.wav"));
    EXPECT_GT(store.writeCount, writesBefore);
    EXPECT_FALSE(shellState().PlayerLoaded);
    EXPECT_TRUE(hotkeys.empty());
    EXPECT_TRUE(window.destroyed);
}

// --- changing the shortcuts ---

namespace {

const uint32_t kCtrl = 0x11, kShift = 0x10, kLeftWin = 0x5B;

std::wstring StoredNumber(const wchar_t* name) {
    const MemorySettingsValue* v = memorySettingsFind(&store, name);
    if (!v || v->bytes != 4) return L"absent";
    uint32_t n = 0;
    for (int i = 3; i >= 0; --i) n = (n << 8) | v->data[i];
    return std::to_wstring(n);
}

}  // namespace

TEST_F(ControllerTest, ARecordCaptureReleasesEverythingAndAppliesTheHeldModifiers) {
    RegisterCurrentRecordShortcut();
    LoadSeconds(2);
    ASSERT_EQ(hotkeys.size(), 5u);
    onCommand(kIdRecordShortcutChange, kNotifyClicked);
    EXPECT_TRUE(hotkeys.empty());
    EXPECT_TRUE(CapturingRecordShortcut);
    EXPECT_EQ(Text(kIdRecordShortcutText), L"Press a key; Esc cancels");
    EXPECT_EQ(Text(kIdRecordShortcutChange), L"Cancel");
    EXPECT_EQ(Text(kIdStatus), L"Press your record/stop shortcut now. Press Esc to cancel.");
    EXPECT_EQ(window.focusCalls, 1);
    HandleHotkey(kHotkeyRecord);  // a hot key during the prompt does nothing
    EXPECT_EQ(recorder.state, RecorderState::Idle);

    heldKeys = {kCtrl, kShift};
    EXPECT_TRUE(HandleCaptureKey(kCtrl));  // a modifier alone keeps the capture waiting
    EXPECT_TRUE(CapturingRecordShortcut);
    EXPECT_TRUE(HandleCaptureKey('M'));
    EXPECT_FALSE(CapturingRecordShortcut);
    EXPECT_EQ(RecordShortcut.key, static_cast<uint32_t>('M'));
    EXPECT_EQ(hotkeys[kHotkeyRecord], std::make_pair(kModCtrl | kModShift | kModNoRepeat, static_cast<uint32_t>('M')));
    EXPECT_EQ(hotkeys.size(), 5u);  // the playback shortcuts are back too
    EXPECT_EQ(StoredNumber(L"HotkeyKey"), L"77");
    EXPECT_EQ(StoredNumber(L"HotkeyMods"), L"6");
    EXPECT_EQ(Text(kIdRecordShortcutText), L"Ctrl+Shift+M");
    EXPECT_EQ(Text(kIdRecordShortcutChange), L"Change");
    EXPECT_EQ(Text(kIdVersion), L"Version 2.0  |  Ctrl+Shift+M works from any window.");
    EXPECT_EQ(Text(kIdStatus), L"Ready to record  (Ctrl+Shift+M)");
    EXPECT_FALSE(HandleCaptureKey('Q'));  // no capture: default handling
}

TEST_F(ControllerTest, ARefusedOrCancelledRecordCaptureKeepsTheOldShortcut) {
    RegisterCurrentRecordShortcut();
    onCommand(kIdRecordShortcutChange, kNotifyClicked);
    HandleCaptureKey(0x7B);  // F12 is the system's
    EXPECT_EQ(Text(kIdStatus), L"Windows reserves that shortcut. Choose another.");
    EXPECT_EQ(hotkeys[kHotkeyRecord].second, 0x52u);
    EXPECT_TRUE(HotkeyRegistered);

    onCommand(kIdRecordShortcutChange, kNotifyClicked);
    HandleCaptureKey(0x1B);
    EXPECT_EQ(Text(kIdStatus), L"Shortcut change cancelled.");
    EXPECT_EQ(hotkeys[kHotkeyRecord].second, 0x52u);

    onCommand(kIdRecordShortcutChange, kNotifyClicked);
    onCommand(kIdRecordShortcutChange, kNotifyClicked);  // the button reads "Cancel": a second click cancels
    EXPECT_FALSE(CapturingRecordShortcut);
    EXPECT_EQ(StoredNumber(L"HotkeyKey"), L"absent");
}

TEST_F(ControllerTest, ASingleKeyRecordShortcutIsConfirmedFirst) {
    RegisterCurrentRecordShortcut();
    onCommand(kIdRecordShortcutChange, kNotifyClicked);
    window.confirmAnswer = false;
    HandleCaptureKey(0x09);  // Tab
    ASSERT_EQ(window.questions.size(), 1u);
    EXPECT_EQ(window.questions[0],
              L"Tab has no modifier key. While the recorder is open, Windows will capture it across apps. Tab may no "
              L"longer move focus normally.\n\nUse this single-key shortcut?");
    EXPECT_EQ(Text(kIdStatus), L"Shortcut unchanged.");
    EXPECT_EQ(RecordShortcut.key, 0x52u);
    EXPECT_EQ(hotkeys[kHotkeyRecord].second, 0x52u);

    onCommand(kIdRecordShortcutChange, kNotifyClicked);
    window.confirmAnswer = true;
    HandleCaptureKey(0x78);  // F9
    EXPECT_EQ(hotkeys[kHotkeyRecord], std::make_pair(kModNoRepeat, 0x78u));
    EXPECT_EQ(StoredNumber(L"HotkeyMods"), L"0");
}

TEST_F(ControllerTest, ARecordShortcutTheSystemRefusesLeavesThePreviousOne) {
    RegisterCurrentRecordShortcut();
    refusedKey = 'J';
    ApplyRecordShortcut('J', kModCtrl);
    EXPECT_EQ(Text(kIdStatus), L"Windows could not reserve that shortcut; the previous one remains.");
    EXPECT_EQ(RecordShortcut.key, 0x52u);
    EXPECT_TRUE(HotkeyRegistered);
    refuseHotkeys = true;
    ApplyRecordShortcut('J', kModCtrl);
    EXPECT_EQ(Text(kIdStatus), L"Neither shortcut is available. Open Settings or use Record.");
    EXPECT_FALSE(HotkeyRegistered);
    refuseHotkeys = false;
    onCommand(kIdRecordShortcutDefault, kNotifyClicked);
    EXPECT_TRUE(HotkeyRegistered);
    EXPECT_EQ(Text(kIdStatus), L"Ready to record  (Ctrl+Shift+R)");
}

TEST_F(ControllerTest, APlaybackCaptureRefusesPlainKeysAndDropsTheWinKey) {
    onCommand(kIdSlotChange + 1, kNotifyClicked);
    EXPECT_EQ(CapturePlaySlot, 1);
    EXPECT_EQ(Text(kIdSlotText + 1), L"Press a key; Esc cancels");
    EXPECT_EQ(Text(kIdSlotChange + 1), L"Cancel");
    EXPECT_EQ(Text(kIdStatus), L"Press the new shortcut now. Press Esc to cancel.");
    HandleCaptureKey('A');
    EXPECT_EQ(Text(kIdStatus), L"That shortcut is not available. Use Ctrl, Alt or Shift with a key.");
    EXPECT_EQ(CapturePlaySlot, 1);
    HandleCaptureKey(0x74);  // F5 alone is fine for playback
    EXPECT_EQ(CapturePlaySlot, -1);
    EXPECT_EQ(PlaybackShortcuts[1].key, 0x74u);
    EXPECT_EQ(StoredNumber(L"PlayKey1"), L"116");
    EXPECT_EQ(Text(kIdSlotText + 1), L"F5");
    EXPECT_EQ(Text(kIdStatus), L"Playback shortcut works from any window, even when minimized.");

    onCommand(kIdSlotChange + 2, kNotifyClicked);
    heldKeys = {kCtrl, kLeftWin};
    HandleCaptureKey('K');
    EXPECT_EQ(PlaybackShortcuts[2].key, static_cast<uint32_t>('K'));
    EXPECT_EQ(PlaybackShortcuts[2].mods, kModCtrl);
    EXPECT_EQ(StoredNumber(L"PlayMods2"), L"2");
}

TEST_F(ControllerTest, ASlotDefaultHeldByAnotherSlotIsRefused) {
    PlaybackShortcuts[0] = Shortcut{0x70, kModCtrl};
    PlaybackShortcuts[3] = kPlaybackSlots[0].defaultShortcut;
    onCommand(kIdSlotDefault + 0, kNotifyClicked);
    EXPECT_EQ(Text(kIdStatus), L"That default is used by another shortcut. Change that one first.");
    EXPECT_EQ(PlaybackShortcuts[0].key, 0x70u);
    // Slot 3 takes its own default back; with no file loaded nothing is registered, yet it reports success.
    onCommand(kIdSlotDefault + 3, kNotifyClicked);
    EXPECT_TRUE(shortcutsEqual(PlaybackShortcuts[3], kPlaybackSlots[3].defaultShortcut));
    EXPECT_EQ(Text(kIdStatus), L"Playback shortcut works from any window, even when minimized.");
    EXPECT_TRUE(hotkeys.empty());
    // During a record capture the default is stored but nothing can be registered.
    onCommand(kIdRecordShortcutChange, kNotifyClicked);
    PlaybackShortcuts[0] = Shortcut{0x70, kModCtrl};
    onCommand(kIdSlotDefault + 0, kNotifyClicked);
    EXPECT_TRUE(shortcutsEqual(PlaybackShortcuts[0], kPlaybackSlots[0].defaultShortcut));
    EXPECT_EQ(Text(kIdStatus),
              L"A playback shortcut is unavailable; another app may be using it. Choose a different key in Settings.");
    EXPECT_TRUE(CapturingRecordShortcut);
}

TEST_F(ControllerTest, NoFileIsLoadedWhileARecordingRuns) {
    window.controls[kIdPlayLocalFile] = FakeControl();
    auto other = folder / "other.wav";
    writeMonoWav(other, 8000, std::vector<short>(8000, 1000));
    window.chosenFile = other.wstring();
    C(kIdFileName)->text = L"rec";
    onCommand(kIdRecord, kNotifyClicked);
    ASSERT_EQ(recorder.state, RecorderState::Recording);
    EXPECT_FALSE(C(kIdPlayLocalFile)->enabled);
    EXPECT_EQ(LoadForPlay(other.wstring().c_str()), -1);
    OpenForPlay(other.wstring().c_str());
    onCommand(kIdPlayLocalFile, kNotifyClicked);
    EXPECT_FALSE(shellState().PlayerLoaded);
    EXPECT_TRUE(window.messageBoxes.empty());  // a refusal, not a file that could not be read
    onCommand(kIdPause, kNotifyClicked);
    EXPECT_EQ(LoadForPlay(other.wstring().c_str()), -1);  // paused is still recording
    EXPECT_FALSE(C(kIdPlayLocalFile)->enabled);
    onCommand(kIdPause, kNotifyClicked);
    std::vector<int16_t> voice(44100, 3000);
    FeedMicrophone(voice);
    onCommand(kIdStop, kNotifyClicked);
    // The finished recording is loaded as before, and the button comes back.
    EXPECT_TRUE(shellState().PlayerLoaded);
    EXPECT_EQ(std::wstring(shellState().PlayerPath), std::wstring(recorder.recordingPath));
    EXPECT_TRUE(C(kIdPlayLocalFile)->enabled);
    onCommand(kIdPlayLocalFile, kNotifyClicked);
    EXPECT_EQ(std::filesystem::path(shellState().PlayerPath), other);
}

TEST_F(ControllerTest, ClosingThePlayerEndsAnInterruptedSeekDrag) {
    LoadSeconds(90);
    C(kIdSeek)->slider = 500;
    onSliderNotification(kIdSeek, kSliderThumbTrack);
    ASSERT_TRUE(shellState().SeekDragging);
    // The record shortcut mid-drag closes the player; the slider's end notification never comes.
    HandleHotkey(kHotkeyRecord);
    ASSERT_EQ(recorder.state, RecorderState::Recording);
    EXPECT_FALSE(shellState().SeekDragging);
    std::vector<int16_t> voice(44100, 3000);
    FeedMicrophone(voice);
    HandleHotkey(kHotkeyRecord);
    ASSERT_TRUE(shellState().PlayerLoaded);
    // The next file's thumb follows the player again.
    playerSeek(playerDuration() / 4);
    C(kIdSeek)->slider = 777;
    RefreshPlayer();
    EXPECT_EQ(C(kIdSeek)->slider, 250);
}
