// The transcription features through the controller, with the real player on the fake output, the in-memory store
// and a fake keyboard for typing: rewind on resume, the speed keys, typing the time, reopening where the user
// stopped and the mark shortcut.
#include <gtest/gtest.h>

#include <string.h>
#include <algorithm>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/shell_state_edit.h"
#include "app/transcription.h"
#include "app_fixture.h"
#include "player/output_fake.h"
#include "player/player.h"
#include "recorder/recorder.h"
#include "settings/position_store.h"
#include "settings/settings_fixture.h"
#include "settings/settings_store_memory.h"
#include "settings/settings_values.h"
#include "shortcuts/shortcut.h"
#include "support/test_host.h"
#include "ui/control_ids.h"

namespace {

// What the typing seam was asked to type, and the modifiers the live keyboard holds.
struct FakeTyping {
    std::vector<std::wstring> typed;
    uint32_t held = 0;
    int refuseAfter = -1;  // the system takes only this many characters; -1 takes all
};
FakeTyping keyboard;

bool ModifiersDown(uint32_t mods) {
    return (keyboard.held & mods) != 0;
}
int TypeText(const wchar_t* text) {
    std::wstring t(text);
    if (keyboard.refuseAfter >= 0) t = t.substr(0, static_cast<size_t>(keyboard.refuseAfter));
    keyboard.typed.push_back(t);
    return static_cast<int>(t.size());
}
const TypingApi kFakeTyping = {ModifiersDown, TypeText};

const int kRate = 8000;  // LoadSeconds writes 8000 Hz files

void Hear(double seconds) {
    int64_t n = static_cast<int64_t>(seconds * kRate);
    for (int64_t done = 0; done < n;) {
        playerThreadStep();
        int64_t p = fakeOutputPlay(std::min<int64_t>(n - done, 100));
        if (p == 0) break;
        done += p;
    }
}

uint32_t Stored(const wchar_t* name) {
    const MemorySettingsValue* v = memorySettingsFind(&store, name);
    if (!v) return 0xDEADBEEF;
    uint32_t n = 0;
    memcpy(&n, v->data, sizeof n);
    return n;
}

class Transcription : public ControllerTest {
  protected:
    void SetUp() override {
        ControllerTest::SetUp();
        keyboard = FakeTyping();
        transcriptionInstall(&kFakeTyping, nullptr);
        // The window's start, from an empty store: every new setting at its default.
        SettingsValues saved;
        readSettings(&kTestFolders, &saved);
        controllerApplyStartup(saved);
        SetSaveFolder(folder.wstring().c_str());
        ASSERT_TRUE(HotkeyRegistered);
    }
    void ChooseResumeRewind(int seconds) {
        C(kIdResumeRewind)->selection = resumeRewindRowOf(seconds);
        onCommand(kIdResumeRewind, kNotifySelChange);
    }
    void Press(int slot) { HandleHotkey(kHotkeyFirstPlayback + slot); }
};

// --- the rules ---

TEST(TranscriptionRules, ResumeRewindGoesBackButNeverBeforeTheStart) {
    EXPECT_DOUBLE_EQ(resumeRewindTarget(12.5, 3), 9.5);
    EXPECT_DOUBLE_EQ(resumeRewindTarget(5.0, 5), 0.0);
    EXPECT_DOUBLE_EQ(resumeRewindTarget(1.2, 2), 0.0);
    EXPECT_DOUBLE_EQ(resumeRewindTarget(7.0, 0), 7.0);
}

TEST(TranscriptionRules, SpeedKeysStepTenPercentWithinFiftyToThreeHundred) {
    EXPECT_EQ(speedSliderAfter(20, SpeedStep::Slower), 18);  // 100 % → 90 %
    EXPECT_EQ(speedSliderAfter(20, SpeedStep::Faster), 22);  // 100 % → 110 %
    EXPECT_EQ(speedSliderAfter(11, SpeedStep::Slower), 10);  // 55 % stops at 50 %, not 45 %
    EXPECT_EQ(speedSliderAfter(10, SpeedStep::Slower), 10);
    EXPECT_EQ(speedSliderAfter(59, SpeedStep::Faster), 60);  // 295 % stops at 300 %
    EXPECT_EQ(speedSliderAfter(60, SpeedStep::Faster), 60);
    EXPECT_EQ(speedSliderAfter(13, SpeedStep::Normal), 20);
    EXPECT_EQ(speedSliderAfter(60, SpeedStep::Normal), 20);
}

TEST(TranscriptionRules, TheTypedTimeIsBracketedWholeSecondsAndASpace) {
    wchar_t text[kTimestampCapacity];
    timestampText(0.0, text, kTimestampCapacity);
    EXPECT_STREQ(text, L"[00:00:00] ");
    timestampText(59.999, text, kTimestampCapacity);
    EXPECT_STREQ(text, L"[00:00:59] ");  // cut, not rounded: the typed time is never ahead of the audio
    timestampText(3600.0, text, kTimestampCapacity);
    EXPECT_STREQ(text, L"[01:00:00] ");
    timestampText(36000.0 + 61.5, text, kTimestampCapacity);
    EXPECT_STREQ(text, L"[10:01:01] ");
}

TEST(TranscriptionRules, AReopenedFileStartsWhereItWasOnlyWellInsideBothEnds) {
    EXPECT_DOUBLE_EQ(reopenPosition(5.0, 100.0), 0.0);
    EXPECT_DOUBLE_EQ(reopenPosition(5.01, 100.0), 5.01);
    EXPECT_DOUBLE_EQ(reopenPosition(94.99, 100.0), 94.99);
    EXPECT_DOUBLE_EQ(reopenPosition(95.0, 100.0), 0.0);
    EXPECT_DOUBLE_EQ(reopenPosition(6.0, 10.0), 0.0);  // a short file has no middle to go back to
}

// --- rewind on resume ---

TEST_F(Transcription, RewindOnResumeIsOffByDefaultAndSavedAsSeconds) {
    EXPECT_EQ(shellState().ResumeRewindSeconds, 0);
    LoadSeconds(20);
    playerTogglePlay();
    Hear(8);
    playerTogglePlay();
    playerTogglePlay();
    EXPECT_NEAR(playerPosition(), 8.0, 0.01);  // off: resumes where it paused
    ChooseResumeRewind(3);
    EXPECT_EQ(Stored(L"RewindOnResume"), 3u);
    EXPECT_EQ(shellState().ResumeRewindSeconds, 3);
}

TEST_F(Transcription, OnlyAResumedPauseJumpsBack) {
    ChooseResumeRewind(3);
    LoadSeconds(30);
    playerTogglePlay();  // the first Play of a file starts at 0
    EXPECT_NEAR(playerPosition(), 0.0, 0.01);
    Hear(8);
    playerTogglePlay();  // pause at 8 s
    EXPECT_NEAR(playerPosition(), 8.0, 0.01);
    playerTogglePlay();  // resume: 3 s back
    EXPECT_NEAR(playerPosition(), 5.0, 0.01);
    EXPECT_EQ(Text(kIdTime), L"00:00:05");
    Hear(4);
    playerTogglePlay();  // pause at 9 s, then a seek forward
    playerForward();
    EXPECT_NEAR(playerPosition(), 14.0, 0.01);
    playerTogglePlay();  // a Play after a seek starts where the seek put it
    EXPECT_NEAR(playerPosition(), 14.0, 0.01);
    playerTogglePlay();
    onCommand(kIdPlayerStop, kNotifyClicked);  // the player's Stop goes to 0, which is a seek too
    playerTogglePlay();
    EXPECT_NEAR(playerPosition(), 0.0, 0.01);
}

TEST_F(Transcription, RewindOnResumeStopsAtTheStartAndWorksFromThePlayPauseShortcut) {
    ChooseResumeRewind(5);
    LoadSeconds(20);
    Press(0);
    Hear(2);
    Press(0);
    Press(0);
    EXPECT_NEAR(playerPosition(), 0.0, 0.01);  // 2 − 5 is 0, never before the start
    Hear(7);
    Press(0);
    Press(0);
    EXPECT_NEAR(playerPosition(), 2.0, 0.01);
}

TEST_F(Transcription, ANewFileForgetsAPauseOfThePreviousOne) {
    ChooseResumeRewind(3);
    LoadSeconds(20, "a.wav");
    playerTogglePlay();
    Hear(8);
    playerTogglePlay();
    LoadSeconds(20, "b.wav");
    playerTogglePlay();
    EXPECT_NEAR(playerPosition(), 0.0, 0.01);
}

// --- speed keys ---

TEST_F(Transcription, TheSpeedSlotsHaveNoShortcutUntilOneIsChosen) {
    LoadSeconds(5);
    for (int slot = kSlotSlower; slot <= kSlotTypeTime; ++slot) {
        EXPECT_EQ(hotkeys.count(kHotkeyFirstPlayback + slot), 0u) << slot;
        EXPECT_EQ(Text(kIdSlotText + slot), L"None") << slot;
    }
    EXPECT_EQ(hotkeys.count(kHotkeyFirstPlayback), 1u);  // the transport slots are as before
}

TEST_F(Transcription, SpeedKeysMoveTheSliderAndItsLabelWithinTheirBoundsAndSaveTheSpeed) {
    PlaybackShortcuts[kSlotSlower] = {0x6D, kModCtrl};
    PlaybackShortcuts[kSlotFaster] = {0x6B, kModCtrl};
    PlaybackShortcuts[kSlotNormalSpeed] = {0x6A, kModCtrl};
    C(kIdSpeed)->slider = 20;
    LoadSeconds(5);
    ASSERT_EQ(hotkeys.count(kHotkeyFirstPlayback + kSlotSlower), 1u);
    EXPECT_EQ(hotkeys[kHotkeyFirstPlayback + kSlotSlower].second, 0x6Du);
    Press(kSlotSlower);
    EXPECT_EQ(C(kIdSpeed)->slider, 18);
    EXPECT_EQ(Text(kIdSpeedLabel), L"Speed 90%");
    EXPECT_DOUBLE_EQ(player.speed, 0.9);
    EXPECT_EQ(Stored(L"PlaySpeed"), 18u);
    for (int i = 0; i < 6; ++i) Press(kSlotSlower);
    EXPECT_EQ(Text(kIdSpeedLabel), L"Speed 50%");
    EXPECT_DOUBLE_EQ(player.speed, 0.5);
    Press(kSlotNormalSpeed);
    EXPECT_EQ(Text(kIdSpeedLabel), L"Speed 100%");
    EXPECT_EQ(Stored(L"PlaySpeed"), 20u);
    for (int i = 0; i < 25; ++i) Press(kSlotFaster);
    EXPECT_EQ(Text(kIdSpeedLabel), L"Speed 300%");
    EXPECT_DOUBLE_EQ(player.speed, 3.0);
    EXPECT_EQ(Stored(L"PlaySpeed"), 60u);
}

TEST_F(Transcription, SpeedKeysAreIgnoredWhileRecording) {
    PlaybackShortcuts[kSlotFaster] = {0x6B, kModCtrl};
    C(kIdSpeed)->slider = 20;
    onCommand(kIdRecord, kNotifyClicked);
    ASSERT_EQ(recorder.state, RecorderState::Recording);
    Press(kSlotFaster);
    EXPECT_EQ(C(kIdSpeed)->slider, 20);
    onCommand(kIdStop, kNotifyClicked);
}

// --- typing the time ---

TEST_F(Transcription, TheTimeIsTypedOnceTheShortcutsModifiersAreUp) {
    PlaybackShortcuts[kSlotTypeTime] = {'T', kModCtrl | kModAlt};
    LoadSeconds(20);
    playerTogglePlay();
    Hear(5.5);
    keyboard.held = kModCtrl | kModAlt;
    Press(kSlotTypeTime);
    EXPECT_TRUE(keyboard.typed.empty()) << "nothing may be typed while Ctrl or Alt is down";
    ASSERT_EQ(window.timers.count(kTimerTyping), 1u);
    Hear(2);  // the position of the press is typed, not that of the release
    keyboard.held = kModAlt;
    onTimer(kTimerTyping);
    EXPECT_TRUE(keyboard.typed.empty());
    keyboard.held = kModShift;  // a modifier that is not the shortcut's does not hold it back
    onTimer(kTimerTyping);
    ASSERT_EQ(keyboard.typed.size(), 1u);
    EXPECT_EQ(keyboard.typed[0], L"[00:00:05] ");
    EXPECT_EQ(window.timers.count(kTimerTyping), 0u);
    onTimer(kTimerTyping);
    EXPECT_EQ(keyboard.typed.size(), 1u);
}

TEST_F(Transcription, TheTimeIsTypedAtOnceWhenNothingIsHeldAndNeverWithoutAFile) {
    PlaybackShortcuts[kSlotTypeTime] = {0x7A, 0};  // F11 alone
    onTypeTimeKey(0);
    EXPECT_TRUE(keyboard.typed.empty());  // nothing is loaded
    LoadSeconds(20);
    Press(kSlotTypeTime);
    ASSERT_EQ(keyboard.typed.size(), 1u);
    EXPECT_EQ(keyboard.typed[0], L"[00:00:00] ");
    ClosePlayerFile();
    Press(kSlotTypeTime);
    EXPECT_EQ(keyboard.typed.size(), 1u);
}

TEST_F(Transcription, ATimeHeldBackTooLongIsDroppedAndARefusedOneIsReported) {
    PlaybackShortcuts[kSlotTypeTime] = {'T', kModCtrl};
    LoadSeconds(20);
    keyboard.held = kModCtrl;
    window.tickMs = 1000;
    Press(kSlotTypeTime);
    window.tickMs = 1000 + kTypingPatienceMs - 1;
    onTimer(kTimerTyping);
    EXPECT_EQ(window.timers.count(kTimerTyping), 1u);
    window.tickMs = 1000 + kTypingPatienceMs;
    onTimer(kTimerTyping);
    EXPECT_EQ(window.timers.count(kTimerTyping), 0u);
    EXPECT_EQ(Text(kIdStatus), L"The time was not typed: the shortcut's keys were still held down.");
    keyboard.held = 0;
    onTimer(kTimerTyping);
    EXPECT_TRUE(keyboard.typed.empty());

    keyboard.refuseAfter = 4;  // another program's window the system will not type into past a point
    Press(kSlotTypeTime);
    EXPECT_EQ(Text(kIdStatus), L"Could not type the time into that window.");
}

// --- remembered positions ---

TEST(PositionStore, FiftyFilesAreKeptAndTheOldestMakesRoom) {
    MemorySettingsStore* memory = new MemorySettingsStore;
    memorySettingsReset(memory);
    const SettingsStoreApi seam = memorySettingsSeam(memory);
    settingsStoreInstall(&seam);
    auto name = [](int i) { return L"C:\\talks\\file" + std::to_wstring(i) + L".mp3"; };
    const FileStamp stamp = {1000, 77};
    for (int i = 0; i < kRememberedFileCount; ++i) rememberPosition(name(i).c_str(), stamp, 10.0 + i);
    double s = 0;
    for (int i = 0; i < kRememberedFileCount; ++i) {
        ASSERT_TRUE(recallPosition(name(i).c_str(), stamp, &s)) << i;
        EXPECT_DOUBLE_EQ(s, 10.0 + i);
    }
    rememberPosition(name(0).c_str(), stamp, 99.5);  // file 0 is now the newest, file 1 the oldest
    rememberPosition(name(50).c_str(), stamp, 60.0);
    EXPECT_FALSE(recallPosition(name(1).c_str(), stamp, &s));
    ASSERT_TRUE(recallPosition(name(0).c_str(), stamp, &s));
    EXPECT_DOUBLE_EQ(s, 99.5);
    ASSERT_TRUE(recallPosition(name(50).c_str(), stamp, &s));
    int kept = 0;
    for (int i = 0; i <= 50; ++i) kept += recallPosition(name(i).c_str(), stamp, &s) ? 1 : 0;
    EXPECT_EQ(kept, kRememberedFileCount);
    // A file changed since (another size, or only another time) has no position.
    EXPECT_FALSE(recallPosition(name(0).c_str(), FileStamp{1001, 77}, &s));
    EXPECT_FALSE(recallPosition(name(0).c_str(), FileStamp{1000, 78}, &s));
    // An entry cut short in the store is not trusted.
    MemorySettingsValue* v = const_cast<MemorySettingsValue*>(memorySettingsFind(memory, L"Positions\\File00"));
    ASSERT_NE(v, nullptr);
    v->bytes -= 2;  // the path loses its terminator
    EXPECT_FALSE(recallPosition(name(0).c_str(), stamp, &s));
    SettingsStoreApi none = {};
    settingsStoreInstall(&none);
    delete memory;
}

TEST_F(Transcription, AFileOpenedAgainStartsPausedWhereItWasLeft) {
    transcriptionInstall(nullptr, &kPlatformFiles);
    C(kIdRememberPositions)->checked = true;
    onCommand(kIdRememberPositions, kNotifyClicked);
    EXPECT_EQ(Stored(L"RememberPositions"), 1u);
    std::wstring a = LoadSeconds(60, "a.wav");
    std::wstring b = LoadSeconds(60, "b.wav");
    OpenForPlay(a.c_str());
    playerTogglePlay();
    Hear(20);
    playerTogglePlay();
    OpenForPlay(b.c_str());  // closing a keeps its place
    EXPECT_NEAR(playerPosition(), 0.0, 0.01);
    OpenForPlay(a.c_str());
    EXPECT_NEAR(playerPosition(), 20.0, 0.01);
    EXPECT_FALSE(playerIsPlaying());
    EXPECT_EQ(Text(kIdTime), L"00:00:20");
    EXPECT_EQ(Text(kIdDetail), L"Reopened where you stopped last time, at 00:00:20. Start goes back to 00:00:00.");
    playerGoToStart();
    EXPECT_NEAR(playerPosition(), 0.0, 0.01);
    OpenForPlay(b.c_str());  // the words were about a
    EXPECT_EQ(Text(kIdDetail), L"");
}

TEST_F(Transcription, NearTheEndsAChangedFileOrWithTheBoxClearedAFileStartsAtZero) {
    transcriptionInstall(nullptr, &kPlatformFiles);
    C(kIdRememberPositions)->checked = true;
    std::wstring a = LoadSeconds(30, "a.wav");
    std::wstring b = LoadSeconds(30, "b.wav");
    OpenForPlay(a.c_str());
    playerTogglePlay();
    Hear(26);  // 4 s before the end
    playerTogglePlay();
    OpenForPlay(b.c_str());
    OpenForPlay(a.c_str());
    EXPECT_NEAR(playerPosition(), 0.0, 0.01);

    playerTogglePlay();
    Hear(12);
    playerTogglePlay();
    OpenForPlay(b.c_str());
    // The same name with other contents: a new take over an old one.
    writeMonoWav(std::filesystem::path(a), 8000, std::vector<short>(31 * 8000, 500));
    OpenForPlay(a.c_str());
    EXPECT_NEAR(playerPosition(), 0.0, 0.01);

    C(kIdRememberPositions)->checked = false;
    playerTogglePlay();
    Hear(12);
    playerTogglePlay();
    OpenForPlay(b.c_str());
    C(kIdRememberPositions)->checked = true;
    OpenForPlay(a.c_str());
    EXPECT_NEAR(playerPosition(), 0.0, 0.01) << "a position kept while the box was clear";
}

TEST_F(Transcription, AFreshRecordingIsLoadedAtItsStart) {
    transcriptionInstall(nullptr, &kPlatformFiles);
    C(kIdRememberPositions)->checked = true;
    std::wstring a = LoadSeconds(30, "a.wav");
    playerTogglePlay();
    Hear(12);
    playerTogglePlay();
    ClosePlayerFile();
    EXPECT_EQ(LoadForPlay(a.c_str()), 0);  // the road of "Play my recording" and of a finished take
    EXPECT_NEAR(playerPosition(), 0.0, 0.01);
}

// --- the mark shortcut ---

TEST_F(Transcription, TheMarkShortcutIsCapturedSavedAndRegisteredOnlyWhileRecording) {
    EXPECT_EQ(Text(kIdMarkShortcutText), L"None");
    onCommand(kIdMarkShortcutChange, kNotifyClicked);
    EXPECT_EQ(Text(kIdMarkShortcutText), L"Press a key; Esc cancels");
    EXPECT_EQ(Text(kIdMarkShortcutChange), L"Cancel");
    EXPECT_EQ(Text(kIdStatus), L"Press the new shortcut now. Press Esc to cancel.");
    heldKeys = {kKeyCtrl, kKeyShift};
    EXPECT_TRUE(HandleCaptureKey(kKeyShift));  // a modifier keeps the capture waiting
    EXPECT_TRUE(CapturingMarkShortcut);
    EXPECT_TRUE(HandleCaptureKey('M'));
    EXPECT_FALSE(CapturingMarkShortcut);
    EXPECT_EQ(Text(kIdMarkShortcutText), L"Ctrl+Shift+M");
    EXPECT_EQ(Text(kIdMarkShortcutChange), L"Change");
    EXPECT_EQ(Text(kIdStatus), L"The mark shortcut works from any window while recording.");
    EXPECT_EQ(Stored(L"MarkKey"), static_cast<uint32_t>('M'));
    EXPECT_EQ(Stored(L"MarkMods"), kModCtrl | kModShift);
    EXPECT_EQ(hotkeys.count(kHotkeyMark), 0u) << "not while idle";

    C(kIdFileName)->text = L"Talk";
    onCommand(kIdRecord, kNotifyClicked);
    ASSERT_EQ(recorder.state, RecorderState::Recording);
    ASSERT_EQ(hotkeys.count(kHotkeyMark), 1u);
    EXPECT_EQ(hotkeys[kHotkeyMark].first, kModCtrl | kModShift | kModNoRepeat);
    EXPECT_EQ(hotkeys[kHotkeyMark].second, static_cast<uint32_t>('M'));
    FeedMicrophone(std::vector<int16_t>(22050 * 2, 3000));  // 2 s at the default quality's rate
    HandleHotkey(kHotkeyMark);
    EXPECT_EQ(recorder.markCount, 1);
    onCommand(kIdPause, kNotifyClicked);
    EXPECT_EQ(hotkeys.count(kHotkeyMark), 0u) << "a paused take gives the key back";
    HandleHotkey(kHotkeyMark);
    EXPECT_EQ(recorder.markCount, 1);
    onCommand(kIdPause, kNotifyClicked);
    EXPECT_EQ(hotkeys.count(kHotkeyMark), 1u);
    onCommand(kIdStop, kNotifyClicked);
    EXPECT_EQ(hotkeys.count(kHotkeyMark), 0u);
    std::ifstream marks(folder / "Talk-marks.txt", std::ios::binary);
    std::string line;
    std::getline(marks, line);
    EXPECT_EQ(line, "Mark 1  00:02\r");
    HandleHotkey(kHotkeyMark);  // idle: nothing
    EXPECT_EQ(recorder.markCount, 1);
}

TEST_F(Transcription, TheMarkCaptureRefusesTheRecordShortcutAndReservedKeysAndDefaultMeansNone) {
    onCommand(kIdMarkShortcutChange, kNotifyClicked);
    heldKeys = {kKeyCtrl, kKeyShift};
    HandleCaptureKey(kKeyR);  // Ctrl+Shift+R records
    EXPECT_EQ(Text(kIdStatus), L"That shortcut starts and stops recording. Choose another.");
    EXPECT_EQ(Text(kIdMarkShortcutText), L"None");
    onCommand(kIdMarkShortcutChange, kNotifyClicked);
    heldKeys = {kKeyAlt};
    HandleCaptureKey(kKeyF4);
    EXPECT_EQ(Text(kIdStatus), L"Windows reserves that shortcut. Choose another.");
    onCommand(kIdMarkShortcutChange, kNotifyClicked);
    heldKeys = {};
    window.confirmAnswer = false;
    HandleCaptureKey(kKeyF11);  // a single key must be confirmed, as for the record shortcut
    EXPECT_EQ(window.questions.size(), 1u);
    EXPECT_EQ(Text(kIdMarkShortcutText), L"None");
    onCommand(kIdMarkShortcutChange, kNotifyClicked);
    HandleCaptureKey(kKeyEsc);
    EXPECT_EQ(Text(kIdStatus), L"Shortcut change cancelled.");
    EXPECT_FALSE(shortcutCaptureRunning());

    onCommand(kIdMarkShortcutChange, kNotifyClicked);
    heldKeys = {kKeyCtrl, kKeyAlt};
    HandleCaptureKey('M');
    ASSERT_EQ(Text(kIdMarkShortcutText), L"Ctrl+Alt+M");
    onCommand(kIdMarkShortcutDefault, kNotifyClicked);
    EXPECT_EQ(Text(kIdMarkShortcutText), L"None");
    EXPECT_EQ(Stored(L"MarkKey"), 0u);
    onCommand(kIdRecord, kNotifyClicked);
    EXPECT_EQ(hotkeys.count(kHotkeyMark), 0u);
    onCommand(kIdStop, kNotifyClicked);
}

TEST_F(Transcription, AMarkShortcutTheSystemRefusesIsToldInTheDetailLine) {
    MarkShortcut = {'M', kModCtrl};
    refusedKey = 'M';
    onCommand(kIdRecord, kNotifyClicked);
    EXPECT_EQ(hotkeys.count(kHotkeyMark), 0u);
    EXPECT_EQ(Text(kIdDetail), L"The mark shortcut is unavailable; another app may be using it. Use the Mark button.");
    onCommand(kIdStop, kNotifyClicked);
}

TEST_F(Transcription, TheNewSettingsReadBackAtTheNextStart) {
    ChooseResumeRewind(5);
    C(kIdRememberPositions)->checked = true;
    onCommand(kIdRememberPositions, kNotifyClicked);
    writeMarkShortcut({'M', kModCtrl | kModAlt});
    SettingsValues s;
    readSettings(&kTestFolders, &s);
    EXPECT_EQ(kResumeRewindRows[s.resumeRewindRow].seconds, 5);
    EXPECT_TRUE(s.rememberPositions);
    EXPECT_TRUE(shortcutsEqual(s.mark, Shortcut{'M', kModCtrl | kModAlt}));
    shell().ResumeRewindSeconds = 0;
    MarkShortcut = kNoShortcut;
    controllerApplyStartup(s);
    EXPECT_EQ(shellState().ResumeRewindSeconds, 5);
    EXPECT_EQ(C(kIdResumeRewind)->selection, 4);
    EXPECT_EQ(Text(kIdMarkShortcutText), L"Ctrl+Alt+M");
    EXPECT_TRUE(C(kIdRememberPositions)->checked);
}

}  // namespace
