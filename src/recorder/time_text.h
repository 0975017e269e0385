// The clock and duration texts shared by the recorder's labels and the player's.
#pragma once

// "%02d:%02d:%02d" of the whole seconds (negative counts as 0).
void formatClock(double seconds, wchar_t* out, int capacity);
// "%d:%02d:%02d" from one hour up, else "%02d:%02d".
void formatDuration(double seconds, wchar_t* out, int capacity);
