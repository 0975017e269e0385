// The microphone row of Settings and what the window says about the microphone while a take runs: the list as the
// page opens, the choice saved by name and used by Record, the default when the chosen one is missing, and the
// no-sound warning in the detail line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/controller.h"
#include "app/microphone_list.h"
#include "app_fixture.h"
#include "recorder/capture_scripted.h"
#include "recorder/recorder.h"
#include "settings/settings_fixture.h"
#include "settings/settings_store.h"
#include "settings/settings_values.h"
#include "ui/control_ids.h"

namespace {

const wchar_t kSaving[] = L"Saving as you go. If anything goes wrong, your recording is already on disk.";
const wchar_t kNoSound[] =
    L"No sound is being picked up. In Windows go to Settings, Privacy, Microphone and switch on \"Let desktop apps "
    L"access your microphone\", then stop and record again.";
const wchar_t kStudioMissing[] =
    L"The microphone \"Line In (Studio Box)\" was not found, so this recording uses the Windows default microphone. "
    L"Saving as you go. If anything goes wrong, your recording is already on disk.";

class MicrophoneTest : public ControllerTest {
  protected:
    void List(std::initializer_list<const wchar_t*> names) {
        scriptedCapture.deviceCount = 0;
        for (const wchar_t* name : names) scriptedCapture.deviceNames[scriptedCapture.deviceCount++] = name;
    }
    void OpenSettings() {
        if (shellState().settingsOpen) onCommand(kIdSettings, kNotifyClicked);
        onCommand(kIdSettings, kNotifyClicked);
    }
    void Choose(int row) {
        C(kIdMicrophone)->selection = row;
        onCommand(kIdMicrophone, kNotifySelChange);
    }
    std::vector<std::wstring> Rows() { return C(kIdMicrophone)->rows; }
    std::wstring Saved() {
        wchar_t name[64] = L"?";
        if (!ReadSettingText(L"InputDevice", name, 64)) return L"(absent)";
        return name;
    }
    // Tenths of a second of audio at the take's rate whose peak is `peak`, each buffer handled at once.
    void Sound(int tenths, int16_t peak) {
        std::vector<int16_t> s(static_cast<size_t>(recorder.sampleRate / 10 * tenths), 0);
        for (size_t i = 0; i < s.size(); i += 100) s[i] = peak;
        FeedMicrophone(s);
    }
};

TEST_F(MicrophoneTest, TheListShowsTheDefaultThenEveryDeviceAndIsRefreshedAtEveryOpening) {
    List({L"Microphone (Webcam)", L"Line In (Studio Box)"});
    OpenSettings();
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"Windows default", L"Microphone (Webcam)", L"Line In (Studio Box)"}));
    EXPECT_EQ(C(kIdMicrophone)->selection, 0);

    List({L"Microphone (Webcam)", L"Line In (Studio Box)", L"Headset (BT)"});
    EXPECT_EQ(Rows().size(), 3u);            // not while the page stays open
    onCommand(kIdSettings, kNotifyClicked);  // closing does not list
    EXPECT_EQ(Rows().size(), 3u);
    onCommand(kIdSettings, kNotifyClicked);
    EXPECT_EQ(Rows().back(), L"Headset (BT)");

    // A second device of the same name could not be told apart by it: one row.
    List({L"USB Microphone", L"USB Microphone"});
    OpenSettings();
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"Windows default", L"USB Microphone"}));
}

TEST_F(MicrophoneTest, AChoiceIsSavedByNameAndRecordOpensThatDevice) {
    List({L"Microphone (Webcam)", L"Line In (Studio Box)"});
    OpenSettings();
    Choose(2);
    EXPECT_EQ(Saved(), L"Line In (Studio Box)");

    // A device plugged in ahead of it moves its number, not the choice.
    List({L"Headset (BT)", L"Microphone (Webcam)", L"Line In (Studio Box)"});
    OpenSettings();
    EXPECT_EQ(C(kIdMicrophone)->selection, 3);
    onCommand(kIdRecord, kNotifyClicked);
    ASSERT_EQ(recorder.state, RecorderState::Recording);
    EXPECT_EQ(scriptedCapture.openedIndex, 2);
    EXPECT_EQ(Text(kIdDetail), kSaving);
    EXPECT_FALSE(C(kIdMicrophone)->enabled);  // a take keeps the microphone it started with
    onCommand(kIdStop, kNotifyClicked);
    EXPECT_TRUE(C(kIdMicrophone)->enabled);

    Choose(0);
    EXPECT_EQ(Saved(), L"(absent)");  // empty: the default
    onCommand(kIdRecord, kNotifyClicked);
    EXPECT_EQ(scriptedCapture.openedIndex, kDefaultCaptureDevice);
}

TEST_F(MicrophoneTest, AMissingChoiceStaysChosenAndRecordsFromTheDefaultSayingSo) {
    List({L"Microphone (Webcam)", L"Line In (Studio Box)"});
    OpenSettings();
    Choose(2);
    List({L"Microphone (Webcam)"});  // the box unplugged
    OpenSettings();
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"Windows default", L"Microphone (Webcam)",
                                                 L"Not connected: Line In (Studio Box)"}));
    EXPECT_EQ(C(kIdMicrophone)->selection, 2);
    Choose(2);  // picking it again keeps the name, not the label
    EXPECT_EQ(Saved(), L"Line In (Studio Box)");

    onCommand(kIdRecord, kNotifyClicked);
    ASSERT_EQ(recorder.state, RecorderState::Recording);
    EXPECT_EQ(scriptedCapture.openedIndex, kDefaultCaptureDevice);
    EXPECT_EQ(Text(kIdStatus), L"Recording");
    EXPECT_EQ(Text(kIdDetail), kStudioMissing);
    // The no-sound warning, and back to the same detail, not to the plain one.
    Sound(30, 0);
    onTimer(kTimerRecording);
    EXPECT_EQ(Text(kIdDetail), kNoSound);
    Sound(1, 2000);
    onTimer(kTimerRecording);
    EXPECT_EQ(Text(kIdDetail), kStudioMissing);
    onCommand(kIdStop, kNotifyClicked);

    // Plugged back in: the next take uses it again.
    List({L"Microphone (Webcam)", L"Line In (Studio Box)"});
    onCommand(kIdRecord, kNotifyClicked);
    EXPECT_EQ(scriptedCapture.openedIndex, 1);
    EXPECT_EQ(Text(kIdDetail), kSaving);
}

TEST_F(MicrophoneTest, TheNoSoundWarningTakesTheDetailLineOnlyAndSoundGivesItBack) {
    onCommand(kIdRecord, kNotifyClicked);
    ASSERT_EQ(recorder.state, RecorderState::Recording);
    Sound(29, 0);
    onTimer(kTimerRecording);
    EXPECT_EQ(Text(kIdDetail), kSaving);
    Sound(1, 0);
    onTimer(kTimerRecording);
    EXPECT_EQ(Text(kIdDetail), kNoSound);
    EXPECT_EQ(Text(kIdStatus), L"Recording");  // the status line is not touched
    onCommand(kIdMark, kNotifyClicked);
    EXPECT_EQ(Text(kIdDetail), kNoSound);  // a mark's notice is the status line's
    onCommand(kIdPause, kNotifyClicked);
    EXPECT_EQ(Text(kIdDetail), kNoSound);  // still true while paused
    onCommand(kIdPause, kNotifyClicked);
    Sound(1, 800);
    onTimer(kTimerRecording);
    EXPECT_EQ(Text(kIdDetail), kSaving);
    EXPECT_EQ(Text(kIdStatus), L"Recording");
    EXPECT_EQ(recorder.state, RecorderState::Recording);
    onCommand(kIdStop, kNotifyClicked);
    EXPECT_EQ(Text(kIdStatus), L"Done and saved");
}

TEST_F(MicrophoneTest, ASavedChoiceIsReadAtStartUp) {
    WriteSettingText(L"InputDevice", L"Line In (Studio Box)");
    SettingsValues saved;
    readSettings(&kTestFolders, &saved);
    controllerApplyStartup(saved);
    List({L"Line In (Studio Box)"});
    onCommand(kIdRecord, kNotifyClicked);
    EXPECT_EQ(scriptedCapture.openedIndex, 0);
}

}  // namespace
