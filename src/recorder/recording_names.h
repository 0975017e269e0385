// Recording names and marks: the safe file name built from the file-name box, numbering against existing files,
// the marks path, and the marks file.
#pragma once

#include <stdint.h>

#include "base/file_api.h"
#include "base/local_time.h"

const int kFileNameBoxMaxRead = 199;  // characters read from the file-name box
const int kFileNameMaxKept = 150;     // characters kept from it
const int kMaxMarks = 512;
const int kMaxNumberedCandidate = 999;

// Turns the file-name box's text into a safe name (steps: replace unsafe characters, trim trailing spaces and dots,
// cut a ".mp3"/".wav" ending, trim leading spaces). May leave it empty. out holds kFileNameMaxKept + 1 characters.
void sanitizeRecordingName(const wchar_t* boxText, wchar_t* out, int capacity);

// Changes a name that Windows would take for a device ("nul", "com1.notes", any case) so that it names a file: a
// hyphen after the device word. Other names stay as they are. name holds capacity characters.
void avoidDeviceName(wchar_t* name, int capacity);

// Builds recordingPath and marksPath (kPathCapacity each) for a new recording. Without replace, numbers the name
// "(2)", "(3)", ... up to 999 while something exists at the recording path or its marks path. 0, or -1 when either
// path does not fit kPathCapacity (both are then cut and must not be used).
int buildRecordingPaths(const wchar_t* boxText, const wchar_t* folder, const wchar_t* extension, bool replace,
                        const LocalDateTime& now, bool (*exists)(const wchar_t* path), wchar_t* recordingPath,
                        wchar_t* marksPath);

// The marks file beside a recording: "talk (2).mp3" has "talk (2)-marks.txt" (kPathCapacity). 0, or -1 when the path
// has no extension or the marks path would not fit.
int marksPathFor(const wchar_t* recordingPath, wchar_t* marksPath);

// Where the file a Replace recording replaces waits during the take: "talk.mp3" gives "talk (replaced).mp3".
// 0, or -1 when that path does not fit kPathCapacity.
int buildReplacedPath(const wchar_t* recordingPath, wchar_t* replacedPath);

// One marks-file line, "Mark %d  %02d:%02d\r\n", into out; returns its length.
int formatMarkLine(int number, double seconds, char* out, int capacity);

// Writes the marks file (create-always, not shared), and with toDisk through to the disk itself. kOk, or the first
// failure of creating it, writing a line or flushing it.
Outcome writeMarksFile(const FileApi* files, const wchar_t* marksPath, const double* markTimes, int markCount,
                       bool toDisk);
