// The start-up pair every program uses: a reset leaves no module's state behind, and an install touches only the
// seams it is given.
#include <gtest/gtest.h>

#include "app/app_services.h"
#include "app/controller.h"
#include "app/window_modes.h"
#include "app_fixture.h"
#include "player/player.h"
#include "shortcuts/shortcut.h"
#include "shortcuts/shortcut_registration.h"
#include "shortcuts/shortcut_text.h"
#include "ui/control_ids.h"
#include "ui/layout.h"

namespace {

// A layout that names no key.
const KeyNameApi kNoKeyNames = {
    [](uint32_t) { return 0u; },
    [](uint32_t, wchar_t*, int) { return 0; },
};

}  // namespace

TEST_F(ControllerTest, AResetLeavesNoModuleOrShellStateBehind) {
    LoadSeconds(2);
    onCommand(kIdSettings, kNotifyClicked);
    onMiniToggle();
    onPanelSignedInChanged(1);
    RecordShortcut = {'M', kModCtrl};
    PlaybackShortcuts[0] = {0x75, 0};
    onCommand(kIdRecordShortcutChange, kNotifyClicked);
    ASSERT_TRUE(CapturingRecordShortcut);
    layoutState.forcedWidth = 500;

    appReset();
    EXPECT_FALSE(playerIsLoaded());
    EXPECT_FALSE(shellState().PlayerLoaded);
    EXPECT_EQ(shellState().PlayerPath[0], 0);
    EXPECT_FALSE(shellState().settingsOpen || shellState().miniMode || shellState().SignedIn);
    EXPECT_FALSE(shellState().NormalPlacementValid);
    EXPECT_EQ(shellState().saveFolder[0], 0);
    EXPECT_EQ(shellState().zoomPercent, 100);
    EXPECT_EQ(shellState().RewindSeconds, 5);
    EXPECT_TRUE(shortcutsEqual(RecordShortcut, kDefaultRecordShortcut));
    EXPECT_TRUE(shortcutsEqual(PlaybackShortcuts[0], kPlaybackSlots[0].defaultShortcut));
    EXPECT_FALSE(shortcutCaptureRunning());
    EXPECT_FALSE(HotkeyRegistered);
    EXPECT_EQ(layoutState.forcedWidth, 0);
}

TEST_F(ControllerTest, AnInstallReplacesOnlyTheSeamsItIsGiven) {
    const WindowControlsApi* controls = controllerControls();
    const AppServices names = {.keyNames = &kNoKeyNames};
    appInstall(&names);
    wchar_t text[64];
    ShortcutToText(kModCtrl, 'R', text, 64);
    EXPECT_STREQ(text, L"Ctrl+Key 82");
    EXPECT_EQ(controllerControls(), controls);
    const AppServices english = {.keyNames = &kEnglishKeyNames};
    appInstall(&english);
    ShortcutToText(kModCtrl, 'R', text, 64);
    EXPECT_STREQ(text, L"Ctrl+R");
}
