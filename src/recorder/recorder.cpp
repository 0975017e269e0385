// The recording lifecycle: start, buffer processing, pause and resume, stop with its verdict, the recording timer.
#include "recorder/recorder.h"

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "base/wide_text.h"
#include "recorder/mp3_writer.h"
#include "recorder/time_text.h"

const RecordingFormat kRecordingFormats[kRecordingFormatCount] = {
    {L"MP3 32 kbps, smallest", 32, 22050},
    {L"MP3 48 kbps, clear voice (default)", 48, 22050},
    {L"MP3 64 kbps", 64, 22050},
    {L"MP3 96 kbps, high quality", 96, 44100},
    {L"MP3 128 kbps, best quality", 128, 44100},
    {L"WAV, lossless (very large files)", 0, 44100},
};

Recorder recorder;
CaptureHeader captureHeaders[kCaptureBufferCount];

namespace {

const CaptureApi* capture;
const FileApi* files;
const RecorderHost* host;

const int kStatusCapacity = 96;
const int kDetailCapacity = 420;

void ResetFields() {
    recorder.recordedBytes = 0;
    recorder.buffersWritten = 0;
    recorder.markCount = 0;
    levelReset(&recorder.levels);
}

int WriteToRecordingFile(void* /*context*/, const unsigned char* bytes, int count) {
    if (recorder.file == kNoFile || count < 0) return -1;
    uint32_t written = 0;
    if (files->write(recorder.file, bytes, static_cast<uint32_t>(count), &written) != 0) return -1;
    return written == static_cast<uint32_t>(count) ? 0 : -1;
}

void FailCreate() {
    host->setStatus(L"Could not create the file");
    host->setNote(
        L"Windows would not let the recorder write there. Open Settings and choose another folder, or close any "
        L"program using a file with the same name.");
}

// Moves an existing file at the recording path aside so that the take has its own name from the first buffer on
// while the old file survives a take that is not kept. 0, or negative when the old file could not be kept safe.
int MoveOldFileAside() {
    recorder.oldFileAside = false;
    if (!files->exists(recorder.recordingPath)) return 0;
    if (buildReplacedPath(recorder.recordingPath, recorder.replacedPath) != 0) return -1;
    // An earlier take's file may wait there still (a crash): it is never overwritten.
    if (files->rename(recorder.recordingPath, recorder.replacedPath) != 0) return -1;
    recorder.oldFileAside = true;
    return 0;
}

// The take is over: a kept take replaces the old file for good, one that is not kept gives its name back to it.
void SettleOldFile(bool takeKept) {
    if (!recorder.oldFileAside) return;
    recorder.oldFileAside = false;
    if (takeKept) {
        files->remove(recorder.replacedPath);
    } else {
        files->remove(recorder.recordingPath);
        files->rename(recorder.replacedPath, recorder.recordingPath);
    }
}

// Buffer blocks a device may still write into because resetting or closing it failed. They are never freed; held
// here (not in the recorder record, which a reset clears) they stay reachable.
int16_t* strandedBuffers[8];
int strandedBufferCount;

// 0, or negative when the device would not close: it may still own the buffers then.
int CloseDevice() {
    int result = capture->close(recorder.device);
    recorder.device = nullptr;
    recorder.deviceOpen = false;
    return result;
}

// Frees the capture buffers, unless the device may still write into them.
void ReleaseBuffers(bool deviceLetGo) {
    if (!deviceLetGo && recorder.bufferMemory) {
        if (strandedBufferCount < 8) strandedBuffers[strandedBufferCount++] = recorder.bufferMemory;
        recorder.bufferMemory = nullptr;
        return;
    }
    free(recorder.bufferMemory);
    recorder.bufferMemory = nullptr;
}

void QueueBuffer(int i) {
    captureHeaders[i].bytesRecorded = 0;
    captureHeaders[i].user = 0;
    recorder.queuedAt[i] = ++recorder.queueCounter;
    capture->addBuffer(recorder.device, &captureHeaders[i]);
}

// Processes one buffer: analysis and limiter, silence skipping, then the write.
void ProcessBuffer(CaptureHeader* h) {
    if (h->user != 0 || !(h->flags & kCaptureDone) || h->bytesRecorded == 0) return;
    h->user = 1;
    int n = static_cast<int>(h->bytesRecorded / 2);
    int16_t* samples = reinterpret_cast<int16_t*>(h->data);
    bool keep = analyseBuffer(&recorder.levels, samples, n, recorder.sampleRate, host->skipSilenceChecked());
    if (!keep) return;
    uint32_t bytes = h->bytesRecorded;
    if (recorder.file != kNoFile) {
        if (recorder.isMp3) {
            mp3WriterWrite(samples, n, WriteToRecordingFile, nullptr);
        } else {
            if (recorder.recordedBytes + bytes > recorder.wavDataLimit) {
                // The header could not describe this buffer: keep the file valid and end the recording instead.
                recorder.stoppedAtSizeLimit = true;
                return;
            }
            uint32_t written = 0;
            files->write(recorder.file, h->data, bytes, &written);
            recorder.buffersWritten += 1;
            if (recorder.buffersWritten % kHeaderRefreshBuffers == 0) {
                writeWavHeader(files, recorder.file, recorder.sampleRate,
                               static_cast<uint32_t>(recorder.recordedBytes + bytes));
            }
        }
    }
    recorder.recordedBytes += bytes;
}

// Processes every handed-back buffer in the order the device filled them (oldest queued first). With messages
// delivered promptly this is array order too; when several are waiting it keeps the audio in sequence.
void ProcessWaitingBuffers() {
    int order[kCaptureBufferCount] = {0, 1, 2, 3};
    for (int i = 1; i < kCaptureBufferCount; ++i) {
        for (int j = i; j > 0 && recorder.queuedAt[order[j]] < recorder.queuedAt[order[j - 1]]; --j) {
            int t = order[j];
            order[j] = order[j - 1];
            order[j - 1] = t;
        }
    }
    for (int k = 0; k < kCaptureBufferCount; ++k) ProcessBuffer(&captureHeaders[order[k]]);
}

void SetElapsedLabelIfChanged() {
    wchar_t text[32];
    formatClock(elapsedSeconds(), text, 32);
    if (wcscmp(text, recorder.elapsedText) != 0) {
        WideCopyBounded(recorder.elapsedText, 32, text);
        host->setElapsedText(text);
    }
}

}  // namespace

void recorderInstall(const CaptureApi* captureApi, const FileApi* fileApi, const RecorderHost* recorderHost) {
    capture = captureApi;
    files = fileApi;
    host = recorderHost;
}

void recorderReset() {
    free(recorder.bufferMemory);
    memset(&recorder, 0, sizeof recorder);
    memset(captureHeaders, 0, sizeof captureHeaders);
    recorder.state = RecorderState::Idle;
    recorder.file = kNoFile;
    recorder.wavDataLimit = kWavDataLimitBytes;
    levelReset(&recorder.levels);
}

int recordingFormatRow(int selection) {
    return selection >= 0 && selection < kRecordingFormatCount ? selection : 0;
}

double elapsedSeconds() {
    if (recorder.sampleRate <= 0) return 0.0;
    return static_cast<double>(recorder.recordedBytes) / (2.0 * recorder.sampleRate);
}

void startRecording(const RecordingRequest& request) {
    if (recorder.state != RecorderState::Idle) return;
    const RecordingFormat& row = kRecordingFormats[recordingFormatRow(request.formatSelection)];
    recorder.sampleRate = row.sampleRate;
    recorder.isMp3 = row.kbps > 0;

    if (capture->open(&recorder.device, recorder.sampleRate, host->captureNotifyTarget()) != 0) {
        recorder.device = nullptr;
        recorder.deviceOpen = false;
        host->setStatus(L"No microphone found");
        host->setNote(L"Plug in or enable a microphone in Windows sound settings, then press Record again.");
        return;
    }
    recorder.deviceOpen = true;

    files->createDirectory(request.folder);

    bool replace = request.replace;
    recorder.oldFileAside = false;
    if (buildRecordingPaths(request.fileName, request.folder, recorder.isMp3 ? L"mp3" : L"wav", replace, request.now,
                            files->exists, recorder.recordingPath, recorder.marksPath) != 0 ||
        (replace && MoveOldFileAside() != 0)) {
        CloseDevice();
        FailCreate();
        return;
    }

    recorder.file = files->create(recorder.recordingPath, replace ? kFileCreateAlways : kFileCreateNew, kFileShareRead);
    if (recorder.file == kNoFile) {
        SettleOldFile(false);
        CloseDevice();
        FailCreate();
        return;
    }

    if (recorder.isMp3 && mp3WriterOpen(recorder.sampleRate, row.kbps) != 0) {
        files->close(recorder.file);
        recorder.file = kNoFile;
        files->remove(recorder.recordingPath);
        SettleOldFile(false);
        CloseDevice();
        host->setStatus(L"Could not start the MP3 encoder");
        host->setNote(L"Choose WAV in Settings and try again.");
        return;
    }

    host->setElapsedText(L"00:00:00");
    recorder.elapsedText[0] = 0;
    ResetFields();
    recorder.stoppedAtSizeLimit = false;
    recorder.marksWritten = false;

    host->cancelPlaybackCapture();
    host->closePlayerFile();

    if (!recorder.isMp3) writeWavHeader(files, recorder.file, recorder.sampleRate, 0);

    const int samplesPerBuffer = recorder.sampleRate / 10;
    free(recorder.bufferMemory);
    recorder.bufferMemory =
        static_cast<int16_t*>(calloc(static_cast<size_t>(samplesPerBuffer) * kCaptureBufferCount, sizeof(int16_t)));
    for (int i = 0; i < kCaptureBufferCount; ++i) {
        memset(&captureHeaders[i], 0, sizeof captureHeaders[i]);
        if (!recorder.bufferMemory) continue;
        captureHeaders[i].data = reinterpret_cast<char*>(recorder.bufferMemory + i * samplesPerBuffer);
        captureHeaders[i].bufferLength = static_cast<uint32_t>(samplesPerBuffer * 2);
        capture->prepare(recorder.device, &captureHeaders[i]);
        QueueBuffer(i);
    }

    capture->start(recorder.device);
    recorder.state = RecorderState::Recording;
    recorder.lastRecordingSaved = false;
    host->setStatus(L"Recording");
    host->setNote(L"Saving as you go. If anything goes wrong, your recording is already on disk.");
    host->startRecordingTimer();
    host->saveAllSettings();
    host->refreshControls();
}

void onCaptureBufferDone(CaptureDevice device, CaptureHeader* header) {
    if (!recorder.deviceOpen || !header || device != recorder.device) return;
    int index = -1;
    for (int i = 0; i < kCaptureBufferCount; ++i) {
        if (header == &captureHeaders[i]) index = i;
    }
    if (index < 0) return;
    ProcessBuffer(header);
    // Only a buffer the device really handed back goes into the queue again: a notice left over from an earlier
    // recording must not requeue a buffer the device is filling now.
    if (recorder.state == RecorderState::Recording && !recorder.stoppedAtSizeLimit && (header->flags & kCaptureDone)) {
        QueueBuffer(index);
    }
    if (recorder.stoppedAtSizeLimit) stopRecording();
}

void togglePause() {
    if (recorder.state == RecorderState::Recording) {
        capture->stop(recorder.device);
        recorder.state = RecorderState::Paused;
        host->setStatus(L"Paused");
    } else if (recorder.state == RecorderState::Paused) {
        // A buffer handed back at Pause whose notice has not been handled yet is processed now, before requeueing
        // clears it; otherwise a quick Pause-Resume could lose it.
        ProcessWaitingBuffers();
        for (int i = 0; i < kCaptureBufferCount; ++i) {
            if (captureHeaders[i].flags & kCaptureDone) QueueBuffer(i);
        }
        capture->start(recorder.device);
        recorder.state = RecorderState::Recording;
        host->setStatus(L"Recording");
    }
    host->refreshControls();
}

void stopRecording() {
    if (recorder.state == RecorderState::Idle) return;
    bool deviceLetGo = true;
    if (recorder.deviceOpen) {
        capture->stop(recorder.device);
        ProcessWaitingBuffers();
        if (capture->reset(recorder.device) != 0) deviceLetGo = false;
        for (int i = 0; i < kCaptureBufferCount; ++i) capture->unprepare(recorder.device, &captureHeaders[i]);
        if (CloseDevice() != 0) deviceLetGo = false;
    }
    ReleaseBuffers(deviceLetGo);
    host->stopRecordingTimer();

    if (recorder.file != kNoFile) {
        if (recorder.isMp3) {
            mp3WriterFinish(WriteToRecordingFile, nullptr);
        } else {
            writeWavHeader(files, recorder.file, recorder.sampleRate, static_cast<uint32_t>(recorder.recordedBytes));
        }
        files->close(recorder.file);
        recorder.file = kNoFile;
    }
    recorder.state = RecorderState::Idle;
    recorder.levels.level = 0;

    if (recorder.recordedBytes < kMinimumKeptBytes) {
        files->remove(recorder.recordingPath);
        SettleOldFile(false);
        recorder.lastRecordingSaved = false;
        host->setStatus(L"Nothing was recorded");
        host->setNote(L"The recording was empty, so no file was kept. Check your microphone and try again.");
    } else {
        SettleOldFile(true);
        recorder.lastRecordingSaved = true;
        int64_t size = files->sizeOfPath(recorder.recordingPath);
        double megabytes = size < 0 ? 0.0 : static_cast<double>(size) / 1048576.0;
        if (recorder.markCount > 0) {
            recorder.marksWritten =
                writeMarksFile(files, recorder.marksPath, recorder.markTimes, recorder.markCount) == 0;
        }
        wchar_t duration[32];
        formatDuration(elapsedSeconds(), duration, 32);
        wchar_t detail[kDetailCapacity];
        WideFormat(detail, kDetailCapacity,
                   L"Saved (%ls, %.1f MB) to:\r\n%ls\r\nNext: press \"Transcribe on Parlowen\" and choose this file "
                   L"there.",
                   duration, megabytes, recorder.recordingPath);
        const wchar_t* status = L"Done and saved";
        bool load = true;
        if (isSilentRecording(&recorder.levels)) {
            status = L"Saved, but no sound was picked up";
            WideCopyBounded(detail, kDetailCapacity,
                            L"The recording is silent. In Windows go to Settings, Privacy, Microphone and switch on "
                            L"\"Let desktop apps access your microphone\", then record again.");
            load = false;
        } else if (isTooLoudRecording(&recorder.levels)) {
            status = L"Saved, but the sound was too loud";
            WideCopyBounded(detail, kDetailCapacity,
                            L"Your microphone was too loud, so parts of this recording are distorted. In Windows go to "
                            L"Settings, System, Sound, Input, lower the microphone volume (and switch off Microphone "
                            L"Boost if you see it), then record again.");
        }
        if (recorder.stoppedAtSizeLimit) status = L"Stopped: the WAV file is full";
        host->setStatus(status);
        host->setNote(detail);
        if (load) host->loadForPlay(recorder.recordingPath);
    }
    host->repaintWindow();
    host->refreshControls();
}

void addMark() {
    // The Mark button is enabled only while recording; a command that slips through otherwise changes nothing.
    if (recorder.state != RecorderState::Recording) return;
    wchar_t duration[32];
    formatDuration(elapsedSeconds(), duration, 32);
    wchar_t status[kStatusCapacity];
    if (recorder.markCount < kMaxMarks) {
        recorder.markTimes[recorder.markCount] = elapsedSeconds();
        recorder.markCount += 1;
        WideFormat(status, kStatusCapacity, L"Recording. Mark %d added at %ls", recorder.markCount, duration);
    } else {
        WideFormat(status, kStatusCapacity, L"Recording. Mark not stored: %d marks is the most a recording keeps",
                   kMaxMarks);
    }
    host->setStatus(status);
}

void onRecordingTimer() {
    if (recorder.state == RecorderState::Recording) {
        LoudWarningEdge edge = loudWarningStep(&recorder.levels);
        if (edge == kLoudWarningStarts) host->setStatus(L"Recording. Too loud, move back from the microphone");
        if (edge == kLoudWarningEnds) host->setStatus(L"Recording");
    }
    SetElapsedLabelIfChanged();
    host->invalidateMeter();
    decayLevel(&recorder.levels);
}
