// Recording names and marks: the safe file name built from the file-name box, numbering against existing files,
// the marks path, and the marks file written at stop.
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

// Builds recordingPath and marksPath (kPathCapacity each) for a new recording. Without replace, numbers the name
// "(2)", "(3)", ... up to 999 while something exists at the path.
void buildRecordingPaths(const wchar_t* boxText, const wchar_t* folder, const wchar_t* extension, bool replace,
                         const LocalDateTime& now, bool (*exists)(const wchar_t* path), wchar_t* recordingPath,
                         wchar_t* marksPath);

// One marks-file line, "Mark %d  %02d:%02d\r\n", into out; returns its length.
int formatMarkLine(int number, double seconds, char* out, int capacity);

// Writes the marks file (create-always, not shared). Returns 0, or negative when it could not be created.
int writeMarksFile(const FileApi* files, const wchar_t* marksPath, const double* markTimes, int markCount);
