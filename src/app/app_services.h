// Everything the application's logic runs on, gathered so that the program, the command-line harness and the tests
// start the modules the same way: each fills the services it has and calls appInstall, then appReset.
#pragma once

#include "app/transcription.h"
#include "app/window_controls.h"
#include "base/file_api.h"
#include "player/player.h"
#include "recorder/capture.h"
#include "recorder/recorder_host.h"
#include "settings/settings_store.h"
#include "shortcuts/key_names.h"
#include "shortcuts/key_state.h"
#include "shortcuts/shortcut_registration.h"

// A null entry leaves that seam as it is, for a caller that drives only part of the program.
struct AppServices {
    const SettingsStoreApi* settings = nullptr;  // copied: the store keeps its own
    const KeyNameApi* keyNames = nullptr;
    const KeyStateApi* keyStates = nullptr;
    const HotkeyApi* hotkeys = nullptr;  // installed together with shortcutHost
    const ShortcutHostApi* shortcutHost = nullptr;
    const WindowControlsApi* controls = nullptr;  // installed together with placement and shell
    const WindowPlacementApi* placement = nullptr;
    const WindowShellApi* shell = nullptr;
    const CaptureApi* capture = nullptr;  // installed together with files and recorderHost
    const FileApi* files = nullptr;       // also the start-up mend's
    const RecorderHostApi* recorderHost = nullptr;
    const PlayerServicesApi* player = nullptr;
    const TypingApi* typing = nullptr;
};

// Installs the given services, the settings store first: every later module may read a setting as it starts.
void appInstall(const AppServices* services);
// Back to the initial state of every module and of the shell; called after appInstall, since a new player seam must
// still see the playback threads a previous use left running to keep the lock they may take. Not while a recording
// is open.
void appReset();
