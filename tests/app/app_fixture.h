// The main window as the application tests see it: a table of control states behind the controls seam, fake hot
// keys and key states, and a fixture that puts the real recorder, player and settings behind the controller.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/controller.h"
#include "settings/settings_store_memory.h"
#include "shortcuts/shortcut_registration.h"

struct FakeControl {
    std::wstring text;
    bool enabled = true;
    bool checked = false;
    int selection = -1;
    std::vector<std::wstring> rows;  // a drop-down list's rows
    int slider = 0;
    int setTextCalls = 0;
    int repaints = 0;
};

struct FakeWindow {
    std::map<int, FakeControl> controls;
    std::map<int, int> timers;  // id → period
    std::vector<std::wstring> messageBoxes;
    std::wstring chosenFile;
    int layouts = 0;
    bool destroyed = false;
    bool onTop = false;
    int focusCalls = 0;
    uint32_t tickMs = 1000;
    bool confirmAnswer = false;
    std::vector<std::wstring> questions;
    int zooms = 0;
    int left = 10, top = 20;
    bool rectReadable = true;
    // Window modes.
    std::vector<int> layoutForcedWidths;  // the forced width each layout ran with
    std::vector<bool> layoutKeptSizes;    // whether each layout kept the window's size
    ScreenRect normal = {100, 80, 500, 700};
    bool placementReadable = true, maximised = false;
    int restores = 0;
    bool miniStyle = false;
    int outerWidth = 396, outerHeight = 329;
    bool workAreaReadable = true;
    ScreenRect workArea = {0, 0, 1280, 760};
    ScreenRect hiddenFrame = {};                      // none, as under Wine
    std::vector<std::pair<int, int>> workAreaPoints;  // the points whose monitor was asked for
    std::vector<std::pair<int, int>> moves;
    int clientUnits = 380;
    std::wstring chosenFolder;
    std::vector<std::wstring> opened;  // addresses handed to the shell
    std::wstring shutdownReason;       // what Windows is told ending the session would interrupt; "" for nothing
};
extern FakeWindow window;
extern const WindowControlsApi kFakeControls;
extern const WindowPlacementApi kFakePlacement;
extern const WindowShellApi kFakeShell;
FakeControl* C(int id);

extern std::map<int, std::pair<uint32_t, uint32_t>> hotkeys;  // id → (mods, key)
extern bool refuseHotkeys;
extern uint32_t refusedKey;  // the system refuses this key for any id
// The modifier keys held at the key press being handled.
extern std::vector<uint32_t> heldKeys;
extern const HotkeyApi kFakeHotkeys;

// Feeds samples as the microphone would, handling each finished buffer at once.
void FeedMicrophone(const std::vector<int16_t>& samples);

extern MemorySettingsStore store;

class ControllerTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    std::wstring Text(int id) { return C(id)->text; }
    // A WAV of the given length on disk, loaded into the player.
    std::wstring LoadSeconds(double seconds, const char* name = "talk.wav");
    bool WasWritten(const wchar_t* name);
    // The names the store was asked to write, in order.
    std::vector<std::wstring> Writes();
    std::filesystem::path folder;
};
