// Window modes. A layout that must use a given width, or must leave the window's size alone, says so through the
// layout state just before it runs; the state is cleared right after, so the next ordinary layout is unaffected.
#include "app/window_modes.h"

#include <stdint.h>

#include "app/controller.h"
#include "app/settings_save.h"
#include "app/shell_state_edit.h"
#include "base/wide_text.h"
#include "panel/panel_host.h"
#include "panel/service_address.h"
#include "player/player.h"
#include "recorder/recorder.h"
#include "settings/settings_values.h"
#include "shortcuts/shortcut.h"
#include "shortcuts/shortcut_registration.h"
#include "ui/control_ids.h"
#include "ui/layout.h"

namespace {

// Used when the monitor's work area cannot be read.
const ScreenRect kFallbackWorkArea = {0, 0, 1280, 720};
// Distance of a first mini window from the work area's left and bottom edges.
const int kMiniMargin = 12;
// Opening the panel widens a narrower window to this many layout units.
const int kPanelWindowWidth = 860;

const WindowControlsApi* Ui() {
    return controllerControls();
}

void LayoutWith(int forcedWidth, bool keepWindowSize) {
    layoutState.forcedWidth = forcedWidth;
    layoutState.keepWindowSize = keepWindowSize;
    Ui()->layout();
    layoutState.forcedWidth = 0;
    layoutState.keepWindowSize = false;
}

void CancelCaptures() {
    CancelRecordCapture();
    CancelPlaybackCapture();
    CancelMarkCapture();
}

void HandLoadedFileToPanel() {
    if (shell().PlayerLoaded && shell().PlayerPath[0]) HandOffAudio(shell().PlayerPath);
}

void EnterMiniMode() {
    CancelCaptures();
    ScreenRect normal;
    bool maximised = false;
    if (controllerPlacement()->readPlacement(&normal, &maximised)) {
        shell().NormalPlacement = normal;
        shell().NormalPlacementValid = true;
        if (maximised) controllerPlacement()->restoreWindow();
    }
    if (IsPanelCreated()) ResetPanel();
    // Also a panel still starting: it arrives hidden instead of appearing beside the mini window.
    ShowPanel(0);
    if (shell().recorderHidden) RegisterCurrentRecordShortcut();
    shell().panelOpen = shell().recorderHidden = shell().settingsOpen = false;
    if (shell().PlayerLoaded) RegisterPlaybackShortcuts();
    SetTextIfChanged(kIdSettings, L"Settings  \x25BE");
    controllerPlacement()->setMiniStyle(true);
    shell().miniMode = true;
    LayoutWith(kColumnWidth, false);

    int width = 0, height = 0;
    controllerPlacement()->outerSize(&width, &height);
    ScreenRect hidden = {};
    controllerPlacement()->hiddenFrame(&hidden);
    int32_t savedX = 0, savedY = 0;
    bool saved = readMiniPosition(&savedX, &savedY);
    int x = savedX, y = savedY;
    if (!saved && !controllerPlacement()->windowTopLeft(&x, &y)) x = y = 0;
    ScreenRect area;
    if (!controllerPlacement()->workAreaAt(x, y, &area)) area = kFallbackWorkArea;
    if (!saved) {
        // The margin is what the user sees: from the visible edge, not from the invisible borders.
        x = area.left + kMiniMargin - hidden.left;
        y = area.bottom - height + hidden.bottom - kMiniMargin;
    }
    clampToWorkArea(&x, &y, width, height, area, hidden);
    controllerPlacement()->moveWindow(x, y);
    Ui()->repaint(kIdMiniToggle, false);
}

void LeaveMiniMode() {
    SaveMiniPosition();
    controllerPlacement()->setMiniStyle(false);
    shell().miniMode = false;
    LayoutWith(kColumnWidth, false);
    if (shell().NormalPlacementValid) {
        int width = 0, height = 0;
        controllerPlacement()->outerSize(&width, &height);
        ScreenRect hidden = {};
        controllerPlacement()->hiddenFrame(&hidden);
        int x = shell().NormalPlacement.left, y = shell().NormalPlacement.top;
        ScreenRect area;
        if (controllerPlacement()->workAreaNearest(&shell().NormalPlacement, &area))
            clampToWorkArea(&x, &y, width, height, area, hidden);
        controllerPlacement()->moveWindow(x, y);
    }
    Ui()->repaint(kIdMiniToggle, false);
}

}  // namespace

void loadSignedIn() {
    shell().SignedIn = readSignedIn();
}

void clampToWorkArea(int* x, int* y, int width, int height, const ScreenRect& area, const ScreenRect& hidden) {
    // In 64 bits: a stored position near the end of the int range must not wrap round to a place that looks inside.
    int64_t left = *x, top = *y;
    if (left + width - hidden.right > area.right) left = static_cast<int64_t>(area.right) - width + hidden.right;
    if (top + height - hidden.bottom > area.bottom) top = static_cast<int64_t>(area.bottom) - height + hidden.bottom;
    if (left + hidden.left < area.left) left = static_cast<int64_t>(area.left) - hidden.left;
    if (top + hidden.top < area.top) top = static_cast<int64_t>(area.top) - hidden.top;
    *x = static_cast<int>(left);
    *y = static_cast<int>(top);
}

ScreenRect workspaceToScreen(const ScreenRect& rect, const ScreenRect& monitor, const ScreenRect& workArea) {
    int dx = workArea.left - monitor.left, dy = workArea.top - monitor.top;
    return ScreenRect{rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
}

namespace {

// Back to the recorder alone: the browser lives on, hidden.
void ClosePanelPlace() {
    if (shell().recorderHidden) RegisterCurrentRecordShortcut();
    shell().panelOpen = shell().recorderHidden = false;
    ShowPanel(0);
    if (shell().PlayerLoaded) RegisterPlaybackShortcuts();
    LayoutWith(kColumnWidth, false);
}

}  // namespace

void onPanelButton() {
    if (shell().panelOpen) {
        ClosePanelPlace();
    } else {
        int width = controllerPlacement()->clientWidthUnits();
        shell().panelOpen = true;
        shell().recorderHidden = false;
        bool started = true;
        if (!IsPanelCreated()) {
            // The environment is asked for before the window is widened: a real browser takes hundreds of
            // milliseconds to start, and the widening's layout and paint run meanwhile. The rectangle is the last
            // layout's; the widening below hands the panel its new one.
            int x = 0, y = 0, w = 0, h = 0;
            controllerPlacement()->panelRect(&x, &y, &w, &h);
            wchar_t address[kPanelAddressCapacity];
            ServicePanelAddress(address, kPanelAddressCapacity);
            started = CreatePanel(controllerPlacement()->panelParent(), x, y, w, h, address, PanelFallback);
        }
        // A failed start has already fallen back to the recorder alone.
        if (started) {
            LayoutWith(width <= kPanelWindowWidth - 1 ? kPanelWindowWidth : 0, false);
            // Also for a panel still starting after it was closed: it arrives shown.
            ShowPanel(1);
            HandLoadedFileToPanel();
        }
    }
    Ui()->repaint(kIdTranscribe, false);
}

void onPanelPlaced(int x, int y, int width, int height) {
    // Stored by the host while the browser is still starting, so it arrives in the latest rectangle.
    if (shell().panelOpen) SetPanelBounds(x, y, width, height);
}

void onPanelBrowserGone() {
    if (!shell().panelOpen) return;
    ClosePanelPlace();
    Ui()->repaint(kIdTranscribe, false);
}

void onPanelStrip() {
    if (!shell().panelOpen) return;
    if (!shell().recorderHidden && !recorderIsIdle()) {
        controllerShell()->messageBox(
            L"Stop the recording before hiding Notafon. While it is hidden, recording and playback are switched off.",
            L"Notafon");
        return;
    }
    CancelCaptures();
    shell().recorderHidden = !shell().recorderHidden;
    if (shell().recorderHidden) {
        if (shell().PlayerLoaded && playerIsPlaying()) playerPause();
        UnregisterPlaybackShortcuts();
        UnregisterRecordShortcut();
    } else {
        RegisterCurrentRecordShortcut();
        if (shell().PlayerLoaded) RegisterPlaybackShortcuts();
    }
    LayoutWith(0, true);
    controllerShell()->focusMainWindow();
}

void onMiniToggle() {
    if (shell().miniMode) {
        LeaveMiniMode();
    } else {
        EnterMiniMode();
    }
}

void onChangeFolder() {
    wchar_t folder[kPathCapacity];
    if (!controllerShell()->chooseFolder(folder, kPathCapacity) || folder[0] == 0) return;
    SetSaveFolder(folder);
    // A longer path may take more lines and push the rows below it down.
    Ui()->layout();
    SaveAllSettings();
}

void onConverterLink() {
    wchar_t address[kPanelAddressCapacity];
    ServiceConverterAddress(address, kPanelAddressCapacity);
    controllerShell()->openAddress(address);
}

void PanelFallback(const wchar_t* reason) {
    shell().panelOpen = shell().recorderHidden = false;
    // Back to the column's own width, as closing the panel does: the window was widened only to make room for it.
    LayoutWith(kColumnWidth, false);
    wchar_t text[600];
    WideFormat(text, 600,
               L"%ls\r\n\r\nNotafon needs the free Microsoft Edge WebView2 Runtime for its built-in panel (Windows 11 "
               L"and up-to-date Windows 10 already have it). For now Parlowen will open in your normal browser "
               L"instead.",
               reason);
    controllerShell()->messageBox(text, L"Notafon");
    wchar_t address[kPanelAddressCapacity];
    ServiceFallbackAddress(address, kPanelAddressCapacity);
    controllerShell()->openAddress(address);
}

void onPanelAudioRequest() {
    HandLoadedFileToPanel();
}

void onPanelSignedInChanged(int signedIn) {
    bool now = signedIn != 0;
    if (now == shell().SignedIn) return;
    shell().SignedIn = now;
    writeSignedIn(now);
    if (Ui() && Ui()->exists(kIdTranscribe)) Ui()->repaint(kIdTranscribe, false);
}
