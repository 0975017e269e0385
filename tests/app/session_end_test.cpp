// Windows ending the session (shut down, restart, sign out): no close request comes, and the process is ended soon
// after the window has answered. What closing would save must be saved by then.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/controller.h"
#include "app_fixture.h"
#include "base/little_endian.h"
#include "recorder/recorder.h"
#include "shortcuts/shortcut_registration.h"
#include "support/test_host.h"
#include "ui/control_ids.h"

namespace {

const wchar_t kReason[] = L"A recording is being saved.";

class SessionEnd : public ControllerTest {
  protected:
    // A WAV take from the window with two marks, 2 s in.
    void RecordWithTwoMarks() {
        C(kIdFileName)->text = L"night";
        onCommand(kIdRecord, kNotifyClicked);
        ASSERT_EQ(recorder.state, RecorderState::Recording);
        FeedMicrophone(std::vector<int16_t>(44100, 4000));
        onCommand(kIdMark, kNotifyClicked);
        FeedMicrophone(std::vector<int16_t>(44100 + 4410 * 5, -4000));
        onCommand(kIdMark, kNotifyClicked);
        // 2.5 s: the header on disk was last refreshed at 30 buffers.
        std::vector<unsigned char> open = readAllBytes(folder / "night.wav");
        ASSERT_EQ(open.size(), 44u + 25 * 8820);
        ASSERT_EQ(readLe32(open.data() + 40), 0u);
    }
    int WriteIndex(const wchar_t* name) {
        std::vector<std::wstring> writes = Writes();
        auto it = std::find(writes.begin(), writes.end(), name);
        return it == writes.end() ? -1 : static_cast<int>(it - writes.begin());
    }
};

}  // namespace

TEST_F(SessionEnd, WindowsIsToldThatARecordingIsBeingSavedUntilTheTakeEnds) {
    EXPECT_TRUE(onQueryEndSession());
    EXPECT_EQ(window.shutdownReason, L"");  // nothing open, nothing to say

    onCommand(kIdRecord, kNotifyClicked);
    EXPECT_TRUE(onQueryEndSession());
    EXPECT_EQ(window.shutdownReason, kReason);
    // The session goes on after all (another program said no): the take goes on, and so does the reason.
    onEndSession(false);
    EXPECT_EQ(recorder.state, RecorderState::Recording);
    EXPECT_EQ(window.shutdownReason, kReason);
    togglePause();
    EXPECT_TRUE(onQueryEndSession());
    EXPECT_EQ(window.shutdownReason, kReason);  // a paused take is open too
    onCommand(kIdStop, kNotifyClicked);
    EXPECT_EQ(window.shutdownReason, L"");

    // A take that something other than Stop ends takes the reason back too.
    onCommand(kIdRecord, kNotifyClicked);
    onQueryEndSession();
    ASSERT_EQ(window.shutdownReason, kReason);
    FeedMicrophone(std::vector<int16_t>(44100, 4000));
    window.tickMs += 5000;  // the microphone has gone quiet for good
    onTimer(kTimerRecording);
    EXPECT_EQ(recorder.state, RecorderState::Idle);
    EXPECT_EQ(Text(kIdStatus), L"Stopped: the microphone stopped");
    EXPECT_EQ(window.shutdownReason, L"");
}

TEST_F(SessionEnd, TheEndOfTheSessionSavesWhatClosingSavesButLeavesTheWindow) {
    onCommand(kIdMiniToggle, kNotifyClicked);
    ASSERT_TRUE(shellState().miniMode);
    RecordWithTwoMarks();
    // Dragged but not let go: only a save writes the volume.
    C(kIdVolume)->slider = 150;
    onSliderNotification(kIdVolume, kSliderThumbTrack);
    window.left = 640;
    window.top = 410;
    store.writeCount = 0;
    onQueryEndSession();

    onEndSession(true);
    EXPECT_EQ(recorder.state, RecorderState::Idle);
    std::vector<unsigned char> file = readAllBytes(folder / "night.wav");
    ASSERT_EQ(file.size(), 44u + 25 * 8820);
    EXPECT_EQ(readLe32(file.data() + 40), 25u * 8820);
    EXPECT_EQ(readLe32(file.data() + 4), 25u * 8820 + 36);
    std::vector<unsigned char> marks = readAllBytes(folder / "night-marks.txt");
    EXPECT_EQ(std::string(marks.begin(), marks.end()), "Mark 1  00:01\r\nMark 2  00:02\r\n");
    EXPECT_EQ(Text(kIdStatus), L"Done and saved");
    EXPECT_EQ(window.shutdownReason, L"");
    // The mini position first, the take's note cleared when it is finished, then the settings.
    EXPECT_EQ(WriteIndex(L"MiniX"), 0);
    EXPECT_EQ(WriteIndex(L"MiniY"), 1);
    EXPECT_EQ(WriteIndex(L"RecordingInProgress"), 2);
    EXPECT_EQ(WriteIndex(L"RecordingName"), 3);
    EXPECT_GT(WriteIndex(L"PlayVolume"), 3);
    const MemorySettingsValue* volume = memorySettingsFind(&store, L"PlayVolume");
    ASSERT_NE(volume, nullptr);
    EXPECT_EQ(readLe32(volume->data), 150u);
    const MemorySettingsValue* x = memorySettingsFind(&store, L"MiniX");
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(readLe32(x->data), 640u);
    // The process is about to be ended: the window stays, and the take is not decoded for a player nobody will use.
    EXPECT_FALSE(window.destroyed);
    EXPECT_FALSE(shellState().PlayerLoaded);
    EXPECT_TRUE(recorder.lastRecordingSaved);
}

TEST_F(SessionEnd, WithNothingRecordingTheEndStillSavesTheSettings) {
    C(kIdSpeed)->slider = 13;
    onSliderNotification(kIdSpeed, kSliderThumbTrack);
    EXPECT_FALSE(WasWritten(L"PlaySpeed"));
    onEndSession(true);
    EXPECT_TRUE(WasWritten(L"PlaySpeed"));
    EXPECT_FALSE(WasWritten(L"MiniX"));  // not in mini mode
    EXPECT_FALSE(WasWritten(L"RecordingInProgress"));
    EXPECT_FALSE(window.destroyed);
}

TEST_F(SessionEnd, ClosingStillFinishesTheTakeBeforeTheSettingsAndLoadsNothing) {
    onCommand(kIdMiniToggle, kNotifyClicked);
    RecordWithTwoMarks();
    store.writeCount = 0;
    onCloseRequest();
    std::vector<unsigned char> file = readAllBytes(folder / "night.wav");
    ASSERT_EQ(file.size(), 44u + 25 * 8820);
    EXPECT_EQ(readLe32(file.data() + 40), 25u * 8820);
    EXPECT_EQ(WriteIndex(L"MiniX"), 0);
    EXPECT_EQ(WriteIndex(L"RecordingInProgress"), 2);
    EXPECT_EQ(WriteIndex(L"RecordingName"), 3);
    EXPECT_TRUE(window.destroyed);
    EXPECT_TRUE(hotkeys.empty());
    EXPECT_FALSE(shellState().PlayerLoaded);
}
