// Where the user stopped in the files played last: up to kRememberedFileCount entries in the "Positions" subkey of
// the settings key, each with the full path, the file's size and modification time (a file changed since reads as
// not remembered) and the position. The oldest entry makes room for a new one.
#pragma once

#include <stdint.h>

const int kRememberedFileCount = 50;
// A position this close to either end is not worth going back to: the file starts from the beginning.
const double kRememberedMargin = 5.0;

// What identifies one version of a file: its size and its modification time in the platform's units.
struct FileStamp {
    int64_t size;
    int64_t modified;
};

// The stored position of this version of the file, in seconds; false when it has none (never stored, dropped, or
// the file has changed since).
bool recallPosition(const wchar_t* path, FileStamp stamp, double* seconds);
// Keeps the position of this version of the file, replacing its older entry, else a free one, else the oldest.
void rememberPosition(const wchar_t* path, FileStamp stamp, double seconds);
// The position to start a reopened file at: the recalled one only when it lies more than kRememberedMargin inside
// both ends of a track of `duration` seconds; 0 otherwise.
double reopenPosition(double recalled, double duration);
