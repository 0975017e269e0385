// Mending at start the take a previous run left unfinished, and the words that tell the user about it.
#include "app/recording_recovery.h"

#include <wchar.h>

#include "app/controller.h"
#include "base/file_path.h"
#include "base/wide_text.h"
#include "recorder/recorder.h"
#include "recorder/recording_repair.h"
#include "recorder/time_text.h"
#include "settings/settings_store.h"

const wchar_t kRecordingInProgressValue[] = L"RecordingInProgress";

namespace {

const FileApi* files;

// A whole path and the words around it, as the saved-recording detail has room for.
const int kRecoveredDetailCapacity = 420;

void ClearTakeInProgress() {
    WriteSettingText(kRecordingInProgressValue, L"");
}

// Another copy of the program may be recording this very take: its file is then held open, and on Windows nobody else
// may open it for writing. On other platforms nothing holds a file, and the probe always succeeds.
bool HeldByARunningTake(const wchar_t* path) {
    FileHandle f = kNoFile;
    if (!succeeded(files->create(path, kFileOpenExisting, kFileShareNone, &f))) return true;
    files->close(f);
    return false;
}

void TellRecovered(const wchar_t* path, const RecordingMend& mend) {
    wchar_t duration[32];
    formatDuration(mend.seconds, duration, 32);
    wchar_t detail[kRecoveredDetailCapacity];
    WideFormat(detail, kRecoveredDetailCapacity,
               L"The last recording was not finished when the program closed. It has been mended and is kept (%ls, "
               L"%.1f MB) in:\r\n%ls",
               duration, static_cast<double>(mend.sizeAfter) / 1048576.0, path);
    SetStatus(L"Recovered an interrupted recording");
    SetNote(detail);
}

}  // namespace

void recordingRecoveryInstall(const FileApi* fileApi) {
    files = fileApi;
}

void noteTakeInProgress(const wchar_t* path) {
    if (path) {
        WriteSettingText(kRecordingInProgressValue, path);
    } else {
        ClearTakeInProgress();
    }
}

void recoverInterruptedRecording() {
    wchar_t path[kPathCapacity];
    if (!files || !ReadSettingText(kRecordingInProgressValue, path, kPathCapacity)) return;
    bool there = files->exists(path);
    // A take still being recorded keeps its note and its file as they are.
    if (there && HeldByARunningTake(path)) return;
    RecordingMend mend = {};
    bool mended = there && succeeded(mendRecording(files, path, &mend));
    // Once the mend has run the note has done its work. Cleared before the player opens the file: a file that upset
    // the player must not be met again at every start.
    ClearTakeInProgress();
    if (!mended) return;
    wchar_t marksPath[kPathCapacity];
    if (marksPathFor(path, marksPath) != 0) marksPath[0] = 0;
    if (mend.keptPcmBytes < kMinimumKeptBytes) {
        // What a Stop would have done with so little: nothing kept, no marks file.
        files->remove(path);
        if (marksPath[0] && files->exists(marksPath)) files->remove(marksPath);
        return;
    }
    WideCopyBounded(recorder.recordingPath, kPathCapacity, path);
    WideCopyBounded(recorder.marksPath, kPathCapacity, marksPath);
    recorder.lastRecordingSaved = true;
    TellRecovered(path, mend);
    LoadForPlay(path);
    RefreshControls();
}
