// A take the last run could not finish (the program was killed, Windows crashed, the power went): its path waits in
// the settings key from the take's start to its finish, and the next start mends the file and offers it as a Stop
// would have.
#pragma once

#include "base/file_api.h"

// The text value of the settings key naming the take in progress; empty when none is.
extern const wchar_t kRecordingInProgressValue[];

// The files the start-up mend works on.
void recordingRecoveryInstall(const FileApi* files);
// The recorder's note of its take: its path right after a start, null once the take is finished.
void noteTakeInProgress(const wchar_t* path);
// At start, once the window's controls and the player are ready: a take the previous run left unfinished is mended,
// the user is told, and it is loaded into the player. With no take left behind nothing happens.
void recoverInterruptedRecording();
