// The main window's controller: which controls are usable, the status and detail lines, and what every button, list,
// slider, timer and global shortcut does. Portable: it talks to the window only through the window seams.
#pragma once

#include <stdint.h>

#include "app/shell_state.h"
#include "app/window_controls.h"
#include "base/file_api.h"
#include "recorder/recorder.h"
#include "recorder/recorder_host.h"
#include "settings/settings_values.h"

// The recorder's view of the window, built on the controls seam.
extern const RecorderHostApi kAppRecorderHost;
// What Record hands the recorder: the Quality list, Replace, the file-name box, the save folder and the clock.
RecordingRequest currentRecordingRequest();

void controllerInstall(const WindowControlsApi* controls, const WindowPlacementApi* placement,
                       const WindowShellApi* shell);
// The installed controls seam, for the parts of the window logic that live beside the controller.
const WindowControlsApi* controllerControls();
const WindowPlacementApi* controllerPlacement();
const WindowShellApi* controllerShell();
// Back to the initial values, the whole shell state included (tests start clean).
void controllerReset();
// Applies the saved settings to the freshly created window's controls and registers the global shortcuts; then
// mends and offers a take the previous run left unfinished.
void controllerApplyStartup(const SettingsValues& saved);

void SetTextIfChanged(int id, const wchar_t* text);
// Recordings go to folder from now on; the window's folder line shows it.
void SetSaveFolder(const wchar_t* folder);
void SetStatus(const wchar_t* text);
void SetNote(const wchar_t* text);
void RefreshControls();
void ShowIdleStatus();
int LoadForPlay(const wchar_t* path);
void OpenForPlay(const wchar_t* path);
void ClosePlayerFile();
// Keeps where the loaded file is, when "Reopen files where I stopped" is ticked.
void RememberLoadedPosition();
void RefreshPlayer();
void ShowPlayerTimes(double position, double duration);
void ShowVolumeAndSpeed();
void ShowRewindAmount();

// Window events the controller handles.
void onCommand(int id, int notification);
void onSliderNotification(int id, int code);
void onTimer(int id);
// A hot key's action once HandleHotkey has let it through: 1 record/stop, 2..9 the playback slots, 10 the mark.
void onHotkeyAction(int id);
// A drop of count files, the first one's path (may be empty when it could not be read; pathTooLong when it would not
// fit in a path buffer).
void onDropFiles(int count, const wchar_t* firstPath, bool pathTooLong);
// The close request, up to the destruction of the window.
void onCloseRequest();
// Windows asks whether the session may end: always yes, but while a take is open Windows is told that it is being
// saved. Returns true.
bool onQueryEndSession();
// The session ends (ending) or goes on after all. When it ends, everything closing would save is saved, but the
// window stays: the process is ended right after.
void onEndSession(bool ending);

// The player commands; each does nothing while no file is loaded.
void playerTogglePlay();
void playerRewind();
void playerGoToStart();
void playerForward();
