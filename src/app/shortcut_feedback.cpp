// The shortcut texts of the window and the status line's words for each registration outcome.
#include "app/shortcut_feedback.h"

#include "app/controller.h"
#include "base/wide_text.h"
#include "notafon_version.h"
#include "recorder/recorder.h"
#include "settings/settings_values.h"
#include "shortcuts/shortcut_text.h"
#include "ui/control_ids.h"

const wchar_t kPlaybackShortcutUnavailable[] =
    L"A playback shortcut is unavailable; another app may be using it. Choose a different key in Settings.";

namespace {

const wchar_t kCaptureHint[] = L"Press a key; Esc cancels";

void StatusWhenIdle(const wchar_t* text) {
    if (recorderIsIdle()) SetStatus(text);
}

void RefreshShortcutBox() {
    controllerControls()->repaint(kIdShortcutBox, false);
}

bool IsPlayerLoaded() {
    return shellState().PlayerLoaded;
}

bool PlaybackSuspended() {
    return shellState().panelOpen && shellState().recorderHidden;
}

bool ConfirmSingleKey(uint32_t key) {
    wchar_t name[128];
    ShortcutToText(0, key, name, 128);
    wchar_t question[320];
    WideFormat(question, 320,
               L"%ls has no modifier key. While the recorder is open, Windows will capture it across apps. Tab may "
               L"no longer move focus normally.\n\nUse this single-key shortcut?",
               name);
    return controllerShell()->confirm(question, L"Confirm global shortcut");
}

void FocusMainWindow() {
    controllerShell()->focusMainWindow();
}

void Report(ShortcutEvent event) {
    switch (event) {
        case ShortcutEvent::RecordShortcutShown:
            RefreshRecordShortcutDisplay();
            break;
        case ShortcutEvent::PlaybackRowsShown:
            RefreshPlaybackShortcutRows();
            break;
        case ShortcutEvent::IdleStatus:
            ShowIdleStatus();
            break;
        case ShortcutEvent::PlaybackRegistered:
            StatusWhenIdle(L"Playback shortcut works from any window, even when minimized.");
            break;
        case ShortcutEvent::PlaybackUnavailable:
            SetStatus(kPlaybackShortcutUnavailable);
            break;
        case ShortcutEvent::RecordCaptureStarted:
            SetStatus(L"Press your record/stop shortcut now. Press Esc to cancel.");
            break;
        case ShortcutEvent::PlaybackCaptureStarted:
            SetStatus(L"Press the new shortcut now. Press Esc to cancel.");
            break;
        case ShortcutEvent::CaptureCancelled:
            StatusWhenIdle(L"Shortcut change cancelled.");
            break;
        case ShortcutEvent::Reserved:
            StatusWhenIdle(L"Windows reserves that shortcut. Choose another.");
            break;
        case ShortcutEvent::PlaybackRefused:
            SetStatus(L"That shortcut is not available. Use Ctrl, Alt or Shift with a key.");
            break;
        case ShortcutEvent::Unchanged:
            StatusWhenIdle(L"Shortcut unchanged.");
            break;
        case ShortcutEvent::PreviousKept:
            StatusWhenIdle(L"Windows could not reserve that shortcut; the previous one remains.");
            break;
        case ShortcutEvent::NoneAvailable:
            StatusWhenIdle(L"Neither shortcut is available. Open Settings or use Record.");
            break;
        case ShortcutEvent::DefaultInUse:
            SetStatus(L"That default is used by another shortcut. Change that one first.");
            break;
        case ShortcutEvent::MarkRowShown:
            RefreshMarkShortcutRow();
            break;
        case ShortcutEvent::MarkCaptureStarted:
            SetStatus(L"Press the new shortcut now. Press Esc to cancel.");
            break;
        case ShortcutEvent::MarkSet:
            StatusWhenIdle(L"The mark shortcut works from any window while recording.");
            break;
        case ShortcutEvent::MarkTaken:
            StatusWhenIdle(L"That shortcut starts and stops recording. Choose another.");
            break;
        case ShortcutEvent::MarkUnavailable:
            // While recording the status line belongs to the take; the detail line says it instead.
            SetNote(L"The mark shortcut is unavailable; another app may be using it. Use the Mark button.");
            break;
    }
}

bool RecorderRecording() {
    return recorder.state == RecorderState::Recording;
}

}  // namespace

const ShortcutHostApi kAppShortcutHost = {
    .recorderIdle = recorderIsIdle,
    .recorderRecording = RecorderRecording,
    .playerLoaded = IsPlayerLoaded,
    .playbackSuspended = PlaybackSuspended,
    .confirmSingleKey = ConfirmSingleKey,
    .focusCaptureWindow = FocusMainWindow,
    .saveRecordShortcut = writeRecordShortcut,
    .savePlaybackSlot = writePlaybackSlot,
    .saveMarkShortcut = writeMarkShortcut,
    .report = Report,
    .hotkeyAction = onHotkeyAction,
};

void RefreshRecordShortcutDisplay() {
    const WindowControlsApi* ui = controllerControls();
    wchar_t text[128];
    ShortcutToText(RecordShortcut.mods, RecordShortcut.key, text, 128);
    RefreshShortcutBox();
    SetTextIfChanged(kIdRecordShortcutText, CapturingRecordShortcut ? kCaptureHint : text);
    SetTextIfChanged(kIdRecordShortcutChange, CapturingRecordShortcut ? L"Cancel" : L"Change");
    ui->repaint(kIdRecordShortcutChange, true);
    ui->repaint(kIdRecordShortcutDefault, true);
    wchar_t version[256];
    WideFormat(version, 256, L"Version %ls  |  %ls works from any window.", NOTAFON_VERSION_SHORT_WIDE, text);
    SetTextIfChanged(kIdVersion, version);
}

void RefreshPlaybackShortcutRows() {
    const WindowControlsApi* ui = controllerControls();
    RefreshShortcutBox();
    for (int slot = 0; slot < kPlaybackSlotCount; ++slot) {
        if (!ui->exists(kIdSlotText + slot)) continue;
        wchar_t text[128];
        ShortcutRowText(PlaybackShortcuts[slot], text, 128);
        SetTextIfChanged(kIdSlotText + slot, CapturePlaySlot == slot ? kCaptureHint : text);
        SetTextIfChanged(kIdSlotChange + slot, CapturePlaySlot == slot ? L"Cancel" : L"Change");
        ui->repaint(kIdSlotChange + slot, true);
        ui->repaint(kIdSlotDefault + slot, true);
    }
}

void ShortcutRowText(Shortcut shortcut, wchar_t* out, int capacity) {
    if (shortcutIsSet(shortcut)) {
        ShortcutToText(shortcut.mods, shortcut.key, out, capacity);
    } else {
        WideCopyBounded(out, capacity, L"None");
    }
}

void RefreshMarkShortcutRow() {
    const WindowControlsApi* ui = controllerControls();
    if (!ui->exists(kIdMarkShortcutText)) return;
    wchar_t text[128];
    ShortcutRowText(MarkShortcut, text, 128);
    SetTextIfChanged(kIdMarkShortcutText, CapturingMarkShortcut ? kCaptureHint : text);
    SetTextIfChanged(kIdMarkShortcutChange, CapturingMarkShortcut ? L"Cancel" : L"Change");
    ui->repaint(kIdMarkShortcutChange, true);
    ui->repaint(kIdMarkShortcutDefault, true);
}
