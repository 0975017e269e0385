// The window's modes through the controller: mini mode's placement arithmetic and what entering and leaving it
// changes, the web panel beside the recorder and its strip, the fallback to the default browser, the folder and
// converter actions, the panel's two callbacks and its place in the closing order.
#include "app/window_modes.h"

#include <gtest/gtest.h>

#include <climits>

#include <algorithm>
#include <string>

#include "app/controller.h"
#include "app_fixture.h"
#include "panel/panel_host.h"
#include "player/player.h"
#include "recorder/recorder.h"
#include "settings/settings_store.h"
#include "settings/settings_values.h"
#include "shortcuts/shortcut_registration.h"
#include "support/fake_panel.h"
#include "ui/control_ids.h"
#include "ui/layout.h"

namespace {

bool Called(const std::wstring& prefix) {
    return std::any_of(fake.calls.begin(), fake.calls.end(),
                       [&](const std::wstring& c) { return c.compare(0, prefix.size(), prefix) == 0; });
}

class WindowModes : public ControllerTest {};

}  // namespace

TEST(ClampToWorkArea, PullsAWindowBackOntoTheWorkArea) {
    const ScreenRect area = {0, 0, 1280, 760};
    struct Case {
        int x, y, expectX, expectY;
    } cases[] = {
        {100, 100, 100, 100},    // inside: unchanged
        {1100, 100, 900, 100},   // off the right edge: 1280 - 380
        {100, 600, 100, 470},    // off the bottom: 760 - 290
        {-50, -20, 0, 0},        // off the left and top
        {2000, 2000, 900, 470},  // off the bottom-right corner
        // Stored positions at the ends of the range (a hand-edited or damaged MiniX/MiniY) land on the area too.
        {INT_MAX, INT_MAX, 900, 470},
        {INT_MAX - 100, 100, 900, 100},
        {INT_MIN, INT_MIN, 0, 0},
    };
    for (const Case& c : cases) {
        int x = c.x, y = c.y;
        clampToWorkArea(&x, &y, 380, 290, area, ScreenRect{});
        EXPECT_EQ(x, c.expectX) << c.x << "," << c.y;
        EXPECT_EQ(y, c.expectY) << c.x << "," << c.y;
    }
    // Larger than the area: the top-left corner stays on it.
    int x = 10, y = 10;
    clampToWorkArea(&x, &y, 2000, 1000, area, ScreenRect{});
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
}

TEST_F(WindowModes, FirstMiniEntryGoesTwelvePixelsFromTheBottomLeftOfTheWorkArea) {
    onCommand(kIdSettings, kNotifyClicked);
    ASSERT_TRUE(shellState().settingsOpen);
    window.workArea = {-1280, 40, 0, 1064};  // a second monitor left of the primary, below a top task bar
    window.left = -900;
    window.top = 300;
    onCommand(kIdMiniToggle, kNotifyClicked);
    EXPECT_TRUE(shellState().miniMode);
    EXPECT_TRUE(window.miniStyle);
    EXPECT_FALSE(shellState().settingsOpen);
    EXPECT_TRUE(shellState().NormalPlacementValid);
    EXPECT_EQ(shellState().NormalPlacement.left, 100);
    ASSERT_EQ(window.workAreaPoints.size(), 1u);
    EXPECT_EQ(window.workAreaPoints[0], std::make_pair(-900, 300));  // the monitor holding the window
    ASSERT_EQ(window.moves.size(), 1u);
    EXPECT_EQ(window.moves[0], std::make_pair(-1280 + 12, 1064 - 329 - 12));
    ASSERT_FALSE(window.layoutForcedWidths.empty());
    EXPECT_EQ(window.layoutForcedWidths.back(), 380);
    EXPECT_EQ(layoutState.forcedWidth, 0);  // cleared right after its layout
}

TEST_F(WindowModes, ASavedMiniPositionIsUsedAndPulledInside) {
    WriteSettingNumber(L"MiniX", 1200);
    WriteSettingNumber(L"MiniY", static_cast<uint32_t>(-30));
    onCommand(kIdMiniToggle, kNotifyClicked);
    ASSERT_EQ(window.workAreaPoints.size(), 1u);
    EXPECT_EQ(window.workAreaPoints[0], std::make_pair(1200, -30));
    ASSERT_EQ(window.moves.size(), 1u);
    EXPECT_EQ(window.moves[0], std::make_pair(1280 - 396, 0));
}

TEST_F(WindowModes, AnUnreadableWorkAreaFallsBackTo1280By720) {
    window.workAreaReadable = false;
    onCommand(kIdMiniToggle, kNotifyClicked);
    ASSERT_EQ(window.moves.size(), 1u);
    EXPECT_EQ(window.moves[0], std::make_pair(12, 720 - 329 - 12));
}

TEST_F(WindowModes, AMaximisedWindowIsRestoredAndLeavingReturnsToTheNormalPlace) {
    window.maximised = true;
    window.normal = {1100, 700, 1480, 1220};  // partly off the work area
    onCommand(kIdMiniToggle, kNotifyClicked);
    EXPECT_EQ(window.restores, 1);
    window.left = 40;
    window.top = 50;
    memorySettingsReset(&store);
    window.outerWidth = 396;
    window.outerHeight = 559;
    onCommand(kIdMiniToggle, kNotifyClicked);
    EXPECT_FALSE(shellState().miniMode);
    EXPECT_FALSE(window.miniStyle);
    EXPECT_EQ(Writes(), (std::vector<std::wstring>{L"MiniX", L"MiniY"}));  // the mini place, saved on leaving
    EXPECT_EQ(ReadSettingNumber(L"MiniX", 0), 40u);
    ASSERT_EQ(window.moves.size(), 2u);
    EXPECT_EQ(window.moves[1], std::make_pair(1280 - 396, 760 - 559));
    EXPECT_EQ(window.layoutForcedWidths.back(), 380);
}

// Under the desktop compositor the window's rectangle is about 7 pixels wider than what is seen of it on the left,
// right and bottom: the first mini window stands 12 visible pixels from the work area's corner (not 19), and a window
// flush against an edge is not pulled inward.
TEST_F(WindowModes, TheMiniMarginAndTheClampCountTheVisibleWindow) {
    window.hiddenFrame = {7, 0, 7, 7};
    onCommand(kIdMiniToggle, kNotifyClicked);
    ASSERT_EQ(window.moves.size(), 1u);
    EXPECT_EQ(window.moves[0], std::make_pair(12 - 7, 760 - 329 + 7 - 12));
    // The visible left edge is 12 from the work area, the visible bottom 12 above its bottom.
    EXPECT_EQ(window.moves[0].first + 7, 12);
    EXPECT_EQ(760 - (window.moves[0].second + 329 - 7), 12);

    int x = 1280 - 396 + 7, y = -0;
    clampToWorkArea(&x, &y, 396, 329, window.workArea, window.hiddenFrame);
    EXPECT_EQ(x, 1280 - 396 + 7);  // flush: stays
    x = 1280 - 396 + 30;
    clampToWorkArea(&x, &y, 396, 329, window.workArea, window.hiddenFrame);
    EXPECT_EQ(x, 1280 - 396 + 7);
}

// The normal rectangle of a window placement is in workspace coordinates, which a taskbar at the top or the left moves
// off the monitor's corner; taken as a screen position it moved the window by the bar at every mini round trip.
TEST(WorkspaceToScreen, ATaskbarAtTheTopOrLeftIsAddedBack) {
    const ScreenRect monitor = {0, 0, 1920, 1080};
    ScreenRect normal = {100, 200, 500, 800};
    ScreenRect top = workspaceToScreen(normal, monitor, ScreenRect{0, 48, 1920, 1080});
    EXPECT_EQ(top.left, 100);
    EXPECT_EQ(top.top, 248);
    EXPECT_EQ(top.bottom, 848);
    ScreenRect left = workspaceToScreen(normal, monitor, ScreenRect{62, 0, 1920, 1080});
    EXPECT_EQ(left.left, 162);
    EXPECT_EQ(left.right, 562);
    EXPECT_EQ(left.top, 200);
    // A bottom taskbar, and a second monitor left of the primary: nothing to add.
    ScreenRect second = workspaceToScreen(normal, ScreenRect{-1280, 0, 0, 1024}, ScreenRect{-1280, 0, 0, 984});
    EXPECT_EQ(second.left, 100);
    EXPECT_EQ(second.top, 200);
}

TEST_F(WindowModes, EnteringMiniModeClosesThePanelAndBringsTheShortcutsBack) {
    LoadSeconds(3);
    onCommand(kIdTranscribe, kNotifyClicked);
    PanelControllerCreated(0, true);  // the browser arrives
    onCommand(kIdPanelStrip, kNotifyClicked);
    ASSERT_TRUE(shellState().recorderHidden);
    EXPECT_EQ(hotkeys.count(kHotkeyRecord), 0u);
    onCommand(kIdMiniToggle, kNotifyClicked);
    EXPECT_FALSE(shellState().panelOpen || shellState().recorderHidden);
    EXPECT_TRUE(HotkeyRegistered);
    EXPECT_EQ(hotkeys.count(kHotkeyRecord), 1u);
    EXPECT_EQ(hotkeys.count(kHotkeyFirstPlayback), 1u);
    EXPECT_EQ(fake.calls.back(), L"visible 0");
    EXPECT_TRUE(Called(L"navigate"));  // reset to the start address
}

TEST_F(WindowModes, OpeningThePanelWidensANarrowWindowAndHandsOverTheLoadedFile) {
    std::wstring path = LoadSeconds(3);
    window.clientUnits = 700;
    onCommand(kIdTranscribe, kNotifyClicked);
    EXPECT_TRUE(shellState().panelOpen);
    EXPECT_EQ(window.layoutForcedWidths.back(), 860);
    EXPECT_TRUE(Called(L"environment "));
    PanelEnvironmentCreated(0, true);
    EXPECT_TRUE(Called(L"controller for 4660"));  // 0x1234, the main window
    EXPECT_TRUE(Called(L"copy " + path));
    EXPECT_GT(C(kIdTranscribe)->repaints, 0);

    onCommand(kIdTranscribe, kNotifyClicked);  // closing
    EXPECT_FALSE(shellState().panelOpen);
    EXPECT_EQ(window.layoutForcedWidths.back(), 380);
}

TEST_F(WindowModes, AWideWindowKeepsItsWidthWhenThePanelOpens) {
    window.clientUnits = 1000;
    onCommand(kIdTranscribe, kNotifyClicked);
    EXPECT_EQ(window.layoutForcedWidths.back(), 0);
    window.clientUnits = 859;
    onCommand(kIdTranscribe, kNotifyClicked);
    onCommand(kIdTranscribe, kNotifyClicked);
    EXPECT_EQ(window.layoutForcedWidths.back(), 860);
}

TEST_F(WindowModes, HidingTheRecorderIsRefusedWhileRecordingAndSwitchesShortcutsOff) {
    onCommand(kIdPanelStrip, kNotifyClicked);  // no panel: nothing
    EXPECT_FALSE(shellState().recorderHidden);
    onCommand(kIdTranscribe, kNotifyClicked);
    onCommand(kIdRecord, kNotifyClicked);
    onCommand(kIdPause, kNotifyClicked);  // paused counts as recording
    onCommand(kIdPanelStrip, kNotifyClicked);
    EXPECT_FALSE(shellState().recorderHidden);
    ASSERT_EQ(window.messageBoxes.size(), 1u);
    EXPECT_EQ(
        window.messageBoxes[0],
        L"Stop the recording before hiding Notafon. While it is hidden, recording and playback are switched off.");
    onCommand(kIdStop, kNotifyClicked);

    onCommand(kIdPanelStrip, kNotifyClicked);
    EXPECT_TRUE(shellState().recorderHidden);
    EXPECT_FALSE(HotkeyRegistered);
    EXPECT_EQ(hotkeys.count(kHotkeyRecord), 0u);
    EXPECT_TRUE(window.layoutKeptSizes.back());
    HandleHotkey(kHotkeyRecord);  // ignored while the column is hidden
    EXPECT_EQ(recorder.state, RecorderState::Idle);

    onCommand(kIdPanelStrip, kNotifyClicked);
    EXPECT_FALSE(shellState().recorderHidden);
    EXPECT_TRUE(HotkeyRegistered);
}

TEST_F(WindowModes, APanelThatCannotStartFallsBackToTheBrowser) {
    fake.environmentResult = -1;  // no runtime
    window.clientUnits = 380;
    onCommand(kIdTranscribe, kNotifyClicked);
    EXPECT_FALSE(shellState().panelOpen);
    // The environment is asked for first: refused, the window is never widened and stays the column's width.
    EXPECT_EQ(window.layoutForcedWidths, std::vector<int>{380});
    ASSERT_EQ(window.messageBoxes.size(), 1u);
    const std::wstring& text = window.messageBoxes[0];
    EXPECT_EQ(text.find(L"Microsoft Edge WebView2 Runtime was not found."), 0u);
    EXPECT_NE(text.find(L"\r\n\r\nNotafon needs the free Microsoft Edge WebView2 Runtime for its built-in panel"),
              std::wstring::npos);
    ASSERT_EQ(window.opened.size(), 1u);
    EXPECT_NE(window.opened[0].find(L"/?utm_source=notafon"), std::wstring::npos);
}

TEST_F(WindowModes, ChangeFolderTakesAChosenFolderAndIgnoresACancel) {
    std::wstring before = shellState().saveFolder;
    onCommand(kIdChangeFolder, kNotifyClicked);  // cancelled
    EXPECT_EQ(std::wstring(shellState().saveFolder), before);
    EXPECT_FALSE(WasWritten(L"Folder"));
    window.chosenFolder = L"D:\\Interviews";
    onCommand(kIdChangeFolder, kNotifyClicked);
    EXPECT_STREQ(shellState().saveFolder, L"D:\\Interviews");
    EXPECT_EQ(Text(kIdFolder), L"D:\\Interviews");
    EXPECT_TRUE(WasWritten(L"Folder"));
}

TEST_F(WindowModes, TheConverterLinkOpensTheServicesConverterPage) {
    onCommand(kIdConverter, kNotifyClicked);
    ASSERT_EQ(window.opened.size(), 1u);
    const std::wstring& address = window.opened[0];
    EXPECT_EQ(address.compare(0, 8, L"https://"), 0);
    EXPECT_EQ(address.substr(address.size() - 27), L"/tools/audio-converter.html");
}

TEST_F(WindowModes, SignInChangesAreStoredOnceAndRepaintTheButton) {
    int repaints = C(kIdTranscribe)->repaints;
    onPanelSignedInChanged(1);
    EXPECT_TRUE(shellState().SignedIn);
    EXPECT_EQ(ReadSettingNumber(L"SignedIn", 0), 1u);
    EXPECT_EQ(C(kIdTranscribe)->repaints, repaints + 1);
    int writes = store.writeCount;
    onPanelSignedInChanged(1);
    EXPECT_EQ(store.writeCount, writes);
    onPanelSignedInChanged(0);
    EXPECT_FALSE(shellState().SignedIn);
}

TEST_F(WindowModes, TheLastRunsSignInIsTakenAtStartAndForgottenOnReset) {
    WriteSettingNumber(L"SignedIn", 1);
    loadSignedIn();
    EXPECT_TRUE(shellState().SignedIn);
    onCommand(kIdMiniToggle, kNotifyClicked);
    controllerReset();
    EXPECT_FALSE(shellState().SignedIn);
    EXPECT_FALSE(shellState().miniMode);
    EXPECT_FALSE(shellState().NormalPlacementValid);
}

TEST_F(WindowModes, ThePageAsksForAudioOnlyWhenAFileIsLoaded) {
    onCommand(kIdTranscribe, kNotifyClicked);
    PanelControllerCreated(0, true);
    onPanelAudioRequest();
    EXPECT_FALSE(Called(L"copy "));
    std::wstring path = LoadSeconds(2);  // loading hands it over at once
    EXPECT_TRUE(Called(L"copy " + path));
}

TEST_F(WindowModes, ClosingClosesThePanelAfterTheRecordShortcutIsReleased) {
    onCommand(kIdTranscribe, kNotifyClicked);
    PanelControllerCreated(0, true);
    onCloseRequest();
    EXPECT_TRUE(window.destroyed);
    EXPECT_EQ(fake.calls.back(), L"close controller");
    EXPECT_EQ(hotkeys.count(kHotkeyRecord), 0u);
}

TEST_F(WindowModes, TheEnvironmentIsAskedForBeforeTheWindowIsWidened) {
    window.clientUnits = 380;
    size_t layoutsBefore = window.layoutForcedWidths.size();
    size_t layoutsAtEnvironment = 999;
    fake.onEnvironment = [&] { layoutsAtEnvironment = window.layoutForcedWidths.size(); };
    onCommand(kIdTranscribe, kNotifyClicked);
    EXPECT_EQ(layoutsAtEnvironment, layoutsBefore);
    EXPECT_EQ(window.layoutForcedWidths.back(), 860);
    fake.onEnvironment = nullptr;
}

TEST_F(WindowModes, APanelStillStartingTakesEveryLayoutsRectangleAndMiniModeHidesIt) {
    onCommand(kIdTranscribe, kNotifyClicked);
    ASSERT_FALSE(IsPanelCreated());
    onPanelPlaced(420, 0, 440, 520);   // the widened layout
    onPanelPlaced(420, 0, 1080, 700);  // a maximise, a DPI change
    onCommand(kIdMiniToggle, kNotifyClicked);
    onPanelPlaced(0, 0, 10, 10);  // the mini layout: the panel is not open, nothing is handed over
    PanelEnvironmentCreated(0, true);
    PanelControllerCreated(0, true);  // two seconds later
    EXPECT_TRUE(Called(L"bounds 420 0 1500 700"));
    EXPECT_FALSE(Called(L"bounds 0 0 10 10"));
    EXPECT_TRUE(Called(L"visible 0"));
    EXPECT_FALSE(Called(L"visible 1"));
}

TEST_F(WindowModes, APanelClosedAndOpenedAgainWhileStartingArrivesShown) {
    onCommand(kIdTranscribe, kNotifyClicked);
    onCommand(kIdTranscribe, kNotifyClicked);  // closed
    onCommand(kIdTranscribe, kNotifyClicked);  // open again
    PanelEnvironmentCreated(0, true);
    PanelControllerCreated(0, true);
    EXPECT_TRUE(Called(L"visible 1"));
    EXPECT_FALSE(Called(L"visible 0"));
}

TEST_F(WindowModes, TheBrowsersExitClosesThePanelsPlace) {
    LoadSeconds(2);
    onCommand(kIdTranscribe, kNotifyClicked);
    PanelEnvironmentCreated(0, true);
    PanelControllerCreated(0, true);
    onCommand(kIdPanelStrip, kNotifyClicked);  // the recorder hidden: its shortcuts are off
    ASSERT_EQ(hotkeys.count(kHotkeyRecord), 0u);
    PanelProcessFailed(kPanelBrowserExited);
    EXPECT_TRUE(shellState().panelOpen);  // nothing is laid out inside the browser's handler
    PanelRunDeferred();
    EXPECT_FALSE(shellState().panelOpen || shellState().recorderHidden);
    EXPECT_EQ(window.layoutForcedWidths.back(), 380);
    EXPECT_EQ(hotkeys.count(kHotkeyRecord), 1u);
    EXPECT_TRUE(window.messageBoxes.empty());
    // The next click starts a new browser.
    fake.calls.clear();
    onCommand(kIdTranscribe, kNotifyClicked);
    EXPECT_TRUE(Called(L"environment "));
}
