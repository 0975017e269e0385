// What the window shows of the global shortcuts: the record shortcut's text and buttons, the playback rows, the
// version line, and a status text for each outcome the registration reports.
#pragma once

#include "shortcuts/shortcut_registration.h"

// The application's answers to the registration's questions, and its handling of the outcomes.
extern const ShortcutHostApi kAppShortcutHost;

void RefreshRecordShortcutDisplay();
void RefreshPlaybackShortcutRows();
void RefreshMarkShortcutRow();
// A shortcut's text in its row: "None" for no shortcut.
void ShortcutRowText(Shortcut shortcut, wchar_t* out, int capacity);
// Shown when a playback shortcut could not be registered.
extern const wchar_t kPlaybackShortcutUnavailable[];
