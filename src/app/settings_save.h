// When the window writes its settings, and what it writes: the values come from the window's controls and the
// controller's state; the settings list does the writing.
#pragma once

// The values saved together (RecordingName to RewindSeconds, in list order); PlayVolume and PlaySpeed only while
// their sliders exist.
void SaveAllSettings();
// RecordingName alone, on every change of the "File name" box.
void SaveRecordingName();
// MiniX and MiniY, only in mini mode and only when the window's rectangle can be read.
void SaveMiniPosition();
