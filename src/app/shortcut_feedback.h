// What the window shows of the global shortcuts: the record shortcut's text and buttons, the playback rows, the
// version line, and a status text for each outcome the registration reports.
#pragma once

#include "shortcuts/shortcut_registration.h"

// The application's answers to the registration's questions, and its handling of the outcomes.
extern const ShortcutHostApi kAppShortcutHost;

void RefreshRecordShortcutDisplay();
void RefreshPlaybackShortcutRows();
// Shown when a playback shortcut could not be registered.
extern const wchar_t kPlaybackShortcutUnavailable[];
