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

namespace {

const CaptureApi* capture;
const FileApi* files;
const RecorderHostApi* host;

// The paths of the last kept recording, so that a start that fails leaves "Play my recording" and the show-in-folder
// action pointing at it.
wchar_t priorRecordingPath[kPathCapacity];
wchar_t priorMarksPath[kPathCapacity];

void ResetFields() {
    recorder.recordedBytes = 0;
    recorder.buffersWritten = 0;
    recorder.markCount = 0;
    recorder.endedBy = Outcome::kOk;
    recorder.marksFileCreated = false;
    mp3CursorReset(&recorder.mp3Frames);
    levelReset(&recorder.levels);
}

void Report(RecorderEvent event) {
    RecorderReport report = {};
    report.event = event;
    if (event == RecorderEvent::Started || event == RecorderEvent::NoSoundStarts ||
        event == RecorderEvent::NoSoundEnds) {
        report.inputFallback = recorder.inputFallback;
        report.inputName = recorder.inputName;
    }
    host->report(report);
}

void NoteTakeInProgress(const wchar_t* path) {
    if (host->takeInProgress) host->takeInProgress(path);
}

bool WriteFailed(Outcome why) {
    return why == Outcome::kDiskFull || why == Outcome::kWriteFailed;
}

// The first thing that lets the take down ends it; what came after it never reaches the file.
void EndTake(Outcome why) {
    if (succeeded(recorder.endedBy)) recorder.endedBy = why;
}

// A write of exactly these bytes at the end of the file; anything less is a failure, whatever the system said.
Outcome WriteWhole(const void* data, uint32_t bytes, uint32_t* written) {
    *written = 0;
    Outcome r = files->write(recorder.file, data, bytes, written);
    if (*written > bytes) *written = 0;
    if (succeeded(r) && *written != bytes) r = Outcome::kWriteFailed;
    return r;
}

Outcome WriteToRecordingFile(void* /*context*/, const unsigned char* bytes, int count) {
    if (recorder.file == kNoFile) return Outcome::kNotOpen;
    if (count < 0) return Outcome::kWriteFailed;
    // After a failed write the frames on disk end where the cursor says; nothing may be appended past a torn frame.
    if (!succeeded(recorder.endedBy)) return recorder.endedBy;
    uint32_t written = 0;
    Outcome r = WriteWhole(bytes, static_cast<uint32_t>(count), &written);
    mp3CursorFeed(&recorder.mp3Frames, bytes, written);
    if (!succeeded(r)) EndTake(r);
    return r;
}

// Moves an existing file at the recording path aside so that the take has its own name from the first buffer on
// while the old file survives a take that is not kept. kOk; kFileInTheWay when an earlier take's old file still waits
// under the aside name (a crash): it is never overwritten; kCreateFailed when the old file could not be kept safe.
Outcome MoveOldFileAside() {
    recorder.oldFileAside = false;
    if (!files->exists(recorder.recordingPath)) return Outcome::kOk;
    if (buildReplacedPath(recorder.recordingPath, recorder.replacedPath) != 0) return Outcome::kCreateFailed;
    if (files->exists(recorder.replacedPath)) return Outcome::kFileInTheWay;
    if (!succeeded(files->rename(recorder.recordingPath, recorder.replacedPath))) return Outcome::kCreateFailed;
    recorder.oldFileAside = true;
    return Outcome::kOk;
}

// A take that is not kept: its file goes, and the old file, if any, gets its name back in one replacing move so that
// the name never stands empty. Fills the report when the old file had to stay under its aside name.
void DropTake(RecorderReport* report) {
    if (recorder.oldFileAside) {
        recorder.oldFileAside = false;
        if (succeeded(files->replace(recorder.replacedPath, recorder.recordingPath))) return;
        if (report) {
            report->oldFileFate = OldFileFate::NameNotGivenBack;
            report->oldFilePath = recorder.replacedPath;
        }
    }
    files->remove(recorder.recordingPath);
}

// A kept take replaces the old file for good, unless a write of the take failed: then both stay.
void SettleKeptTake(RecorderReport* report) {
    if (!recorder.oldFileAside) return;
    recorder.oldFileAside = false;
    if (WriteFailed(recorder.endedBy)) {
        report->oldFileFate = OldFileFate::KeptBeside;
        report->oldFilePath = recorder.replacedPath;
        return;
    }
    files->remove(recorder.replacedPath);
}

// The marks so far, the whole file each time (at most kMaxMarks short lines). While the take runs they go to the
// system at once, as the audio does, which a crash of the program cannot lose; the stop puts them on the disk itself
// with the recording. (A flush at every mark held the window's thread as long as the disk took, so long on a busy
// one that the audio piled up behind it.)
Outcome WriteMarks(bool toDisk) {
    Outcome r = writeMarksFile(files, recorder.marksPath, recorder.markTimes, recorder.markCount, toDisk);
    if (files->exists(recorder.marksPath)) recorder.marksFileCreated = true;
    return r;
}

// Buffer blocks a device may still write into because resetting or closing it failed. They are never freed; held
// here (not in the recorder record, which a reset clears) they stay reachable.
int16_t* strandedBuffers[8];
int strandedBufferCount;

// kOk, or the device would not close: it may still own the buffers then.
Outcome CloseDevice() {
    Outcome result = capture->close(recorder.device);
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

Outcome QueueBuffer(int i) {
    recorder.captureHeaders[i].bytesRecorded = 0;
    recorder.captureHeaders[i].user = 0;
    recorder.queuedAt[i] = ++recorder.queueCounter;
    return capture->addBuffer(recorder.device, &recorder.captureHeaders[i]);
}

// Processes one buffer: analysis and limiter, silence skipping, then the write. After a failed write the take is
// over: what the device still hands back is marked processed and dropped.
void ProcessBuffer(CaptureHeader* h) {
    if (h->user != 0 || !(h->flags & kCaptureDone) || h->bytesRecorded == 0) return;
    h->user = 1;
    if (WriteFailed(recorder.endedBy)) return;
    int n = static_cast<int>(h->bytesRecorded / 2);
    int16_t* samples = reinterpret_cast<int16_t*>(h->data);
    bool keep = analyseBuffer(&recorder.levels, samples, n, recorder.sampleRate, host->skipSilenceChecked());
    if (!keep) return;
    // Whole samples only: an odd count from the device must not shift what follows by a byte.
    uint32_t bytes = h->bytesRecorded & ~1u;
    if (recorder.file == kNoFile) {
        recorder.recordedBytes += bytes;
        return;
    }
    if (recorder.isMp3) {
        mp3WriterWrite(samples, n, WriteToRecordingFile, nullptr);
        recorder.recordedBytes += bytes;
        return;
    }
    if (recorder.recordedBytes + bytes > recorder.wavDataLimit) {
        // The header could not describe this buffer: keep the file valid and end the recording instead.
        recorder.stoppedAtSizeLimit = true;
        return;
    }
    uint32_t written = 0;
    Outcome r = WriteWhole(h->data, bytes, &written);
    recorder.recordedBytes += written & ~1u;
    if (!succeeded(r)) {
        EndTake(r);
        return;
    }
    recorder.buffersWritten += 1;
    if (recorder.buffersWritten % kHeaderRefreshBuffers == 0) {
        r = writeWavHeader(files, recorder.file, recorder.sampleRate, static_cast<uint32_t>(recorder.recordedBytes));
        if (!succeeded(r)) EndTake(r == Outcome::kReadFailed ? Outcome::kWriteFailed : r);
    }
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
    for (int k = 0; k < kCaptureBufferCount; ++k) ProcessBuffer(&recorder.captureHeaders[order[k]]);
}

// Gives back everything a start has taken (queued buffers, the device, the buffer block, the encoder, the new file,
// the old file's name) and reports why the recording did not start. Every failure after the device opened ends here.
void FailStart(Outcome why) {
    bool deviceLetGo = true;
    if (recorder.deviceOpen) {
        bool prepared = false;
        for (int i = 0; i < kCaptureBufferCount; ++i) {
            if (recorder.captureHeaders[i].flags & kCapturePrepared) prepared = true;
        }
        if (prepared) {
            // Queued buffers come back before their headers are unprepared, as at stop.
            if (!succeeded(capture->reset(recorder.device))) deviceLetGo = false;
            for (int i = 0; i < kCaptureBufferCount; ++i) {
                if (recorder.captureHeaders[i].flags & kCapturePrepared)
                    capture->unprepare(recorder.device, &recorder.captureHeaders[i]);
            }
        }
        if (!succeeded(CloseDevice())) deviceLetGo = false;
    }
    ReleaseBuffers(deviceLetGo);
    mp3WriterClose();
    bool created = recorder.file != kNoFile;
    if (created) {
        files->close(recorder.file);
        recorder.file = kNoFile;
    }
    if (created || recorder.oldFileAside) DropTake(nullptr);
    RecorderReport report = {};
    report.event = RecorderEvent::StartFailed;
    report.outcome = why;
    if (why == Outcome::kFileInTheWay) report.path = recorder.replacedPath;
    host->report(report);
    // The paths go back to the last kept recording's only after the report, which names the file in the way.
    WideCopyBounded(recorder.recordingPath, kPathCapacity, priorRecordingPath);
    WideCopyBounded(recorder.marksPath, kPathCapacity, priorMarksPath);
}

// The four capture buffers in one block, each prepared and queued.
Outcome SetUpBuffers() {
    const int samplesPerBuffer = recorder.sampleRate / 10;
    free(recorder.bufferMemory);
    recorder.bufferMemory = nullptr;
    if (!recorder.failNextBufferAllocation) {
        recorder.bufferMemory =
            static_cast<int16_t*>(calloc(static_cast<size_t>(samplesPerBuffer) * kCaptureBufferCount, sizeof(int16_t)));
    }
    recorder.failNextBufferAllocation = false;
    for (int i = 0; i < kCaptureBufferCount; ++i)
        memset(&recorder.captureHeaders[i], 0, sizeof recorder.captureHeaders[i]);
    if (!recorder.bufferMemory) return Outcome::kOutOfMemory;
    for (int i = 0; i < kCaptureBufferCount; ++i) {
        recorder.captureHeaders[i].data = reinterpret_cast<char*>(recorder.bufferMemory + i * samplesPerBuffer);
        recorder.captureHeaders[i].bufferLength = static_cast<uint32_t>(samplesPerBuffer * 2);
        Outcome r = capture->prepare(recorder.device, &recorder.captureHeaders[i]);
        if (succeeded(r)) r = QueueBuffer(i);
        if (!succeeded(r)) return r;
    }
    return Outcome::kOk;
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

void recorderInstall(const CaptureApi* captureApi, const FileApi* fileApi, const RecorderHostApi* recorderHost) {
    capture = captureApi;
    files = fileApi;
    host = recorderHost;
}

void recorderReset() {
    free(recorder.bufferMemory);
    memset(&recorder, 0, sizeof recorder);
    recorder.state = RecorderState::Idle;
    recorder.file = kNoFile;
    recorder.wavDataLimit = kWavDataLimitBytes;
    levelReset(&recorder.levels);
}

int inputDeviceCount() {
    int count = capture->deviceCount();
    return count > 0 ? count : 0;
}

bool inputDeviceName(int index, wchar_t* out, int capacity) {
    if (capacity > 0) out[0] = 0;
    return succeeded(capture->deviceName(index, out, capacity));
}

int findInputDevice(const wchar_t* name) {
    if (!name || !name[0]) return kDefaultCaptureDevice;
    int count = inputDeviceCount();
    for (int i = 0; i < count; ++i) {
        wchar_t present[kCaptureNameCapacity];
        if (inputDeviceName(i, present, kCaptureNameCapacity) && wcscmp(present, name) == 0) return i;
    }
    return kDefaultCaptureDevice;
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
    WideCopyBounded(priorRecordingPath, kPathCapacity, recorder.recordingPath);
    WideCopyBounded(priorMarksPath, kPathCapacity, recorder.marksPath);
    const RecordingFormat& row = kRecordingFormats[recordingFormatRow(request.formatSelection)];
    recorder.sampleRate = row.sampleRate;
    recorder.isMp3 = row.kbps > 0;

    // The chosen microphone is looked up by name at every start: device numbers shift as devices come and go.
    recorder.inputFallback = false;
    WideCopyBounded(recorder.inputName, kCaptureNameCapacity, request.inputDevice);
    int index = request.inputDevice[0] ? findInputDevice(request.inputDevice) : kDefaultCaptureDevice;
    recorder.inputFallback = request.inputDevice[0] && index == kDefaultCaptureDevice;
    Outcome opened = capture->open(&recorder.device, index, recorder.sampleRate, host->captureNotifyTarget());
    if (!succeeded(opened) && index != kDefaultCaptureDevice) {
        // Listed a moment ago but gone now, or in use elsewhere: the take is not lost for that.
        recorder.inputFallback = true;
        opened =
            capture->open(&recorder.device, kDefaultCaptureDevice, recorder.sampleRate, host->captureNotifyTarget());
    }
    if (!succeeded(opened)) {
        recorder.device = nullptr;
        recorder.deviceOpen = false;
        // Whatever the device said, the user's remedy is the same: a microphone Windows can open.
        FailStart(Outcome::kNoDevice);
        return;
    }
    recorder.deviceOpen = true;
    // Headers of an earlier recording must not look prepared to a failing start's cleanup.
    memset(recorder.captureHeaders, 0, sizeof recorder.captureHeaders);

    files->createDirectory(request.folder);

    bool replace = request.replace;
    recorder.oldFileAside = false;
    if (buildRecordingPaths(request.fileName, request.folder, recorder.isMp3 ? L"mp3" : L"wav", replace, request.now,
                            files->exists, recorder.recordingPath, recorder.marksPath) != 0) {
        FailStart(Outcome::kCreateFailed);
        return;
    }
    Outcome r = replace ? MoveOldFileAside() : Outcome::kOk;
    if (succeeded(r)) {
        r = files->create(recorder.recordingPath, replace ? kFileCreateAlways : kFileCreateNew, kFileShareRead,
                          &recorder.file);
    }
    if (succeeded(r) && recorder.isMp3) r = mp3WriterOpen(recorder.sampleRate, row.kbps);
    // A header that cannot be written (a full disk) means nothing after it could be either.
    if (succeeded(r) && !recorder.isMp3) r = writeWavHeader(files, recorder.file, recorder.sampleRate, 0);
    if (!succeeded(r)) {
        FailStart(r == Outcome::kReadFailed ? Outcome::kWriteFailed : r);
        return;
    }

    host->setElapsedText(L"00:00:00");
    recorder.elapsedText[0] = 0;
    ResetFields();
    recorder.stoppedAtSizeLimit = false;
    recorder.marksWritten = false;

    host->cancelPlaybackCapture();
    host->closePlayerFile();

    r = SetUpBuffers();
    if (succeeded(r)) r = capture->start(recorder.device);
    if (!succeeded(r)) {
        FailStart(r);
        return;
    }
    recorder.state = RecorderState::Recording;
    recorder.lastRecordingSaved = false;
    recorder.lastBufferTick = host->tickMs();
    NoteTakeInProgress(recorder.recordingPath);
    Report(RecorderEvent::Started);
    host->startRecordingTimer();
    host->saveAllSettings();
    host->refreshControls();
}

void onCaptureBufferDone(CaptureDevice device, CaptureHeader* header) {
    if (!recorder.deviceOpen || !header || device != recorder.device) return;
    int index = -1;
    for (int i = 0; i < kCaptureBufferCount; ++i) {
        if (header == &recorder.captureHeaders[i]) index = i;
    }
    if (index < 0) return;
    if (header->flags & kCaptureDone) recorder.lastBufferTick = host->tickMs();
    ProcessBuffer(header);
    // Only a buffer the device really handed back goes into the queue again: a notice left over from an earlier
    // recording must not requeue a buffer the device is filling now.
    if (recorder.state == RecorderState::Recording && !recorder.stoppedAtSizeLimit && succeeded(recorder.endedBy) &&
        (header->flags & kCaptureDone)) {
        // A device that refuses a buffer is failing (unplugged): the queue would run dry a buffer at a time.
        if (!succeeded(QueueBuffer(index))) EndTake(Outcome::kDeviceFailed);
    }
    if (recorder.stoppedAtSizeLimit || !succeeded(recorder.endedBy)) stopRecording();
}

void togglePause() {
    if (recorder.state == RecorderState::Recording) {
        capture->stop(recorder.device);
        recorder.state = RecorderState::Paused;
        Report(RecorderEvent::Paused);
    } else if (recorder.state == RecorderState::Paused) {
        // A buffer handed back at Pause whose notice has not been handled yet is processed now, before requeueing
        // clears it; otherwise a quick Pause-Resume could lose it.
        ProcessWaitingBuffers();
        for (int i = 0; i < kCaptureBufferCount && succeeded(recorder.endedBy); ++i) {
            if ((recorder.captureHeaders[i].flags & kCaptureDone) && !succeeded(QueueBuffer(i)))
                EndTake(Outcome::kDeviceFailed);
        }
        if (succeeded(recorder.endedBy) && !succeeded(capture->start(recorder.device))) EndTake(Outcome::kDeviceFailed);
        recorder.state = RecorderState::Recording;
        recorder.lastBufferTick = host->tickMs();
        if (!succeeded(recorder.endedBy)) {
            stopRecording();
            return;
        }
        Report(RecorderEvent::Resumed);
    }
    host->refreshControls();
}

namespace {

// Closes the take's file so that it holds exactly what was kept: finished normally (the MP3 flushed, the WAV header
// final) or, after a failed write, cut to the whole samples or frames that reached the disk; then on the disk itself.
void FinishFile() {
    if (recorder.file == kNoFile) return;
    if (!WriteFailed(recorder.endedBy)) {
        Outcome r = recorder.isMp3 ? mp3WriterFinish(WriteToRecordingFile, nullptr)
                                   : writeWavHeader(files, recorder.file, recorder.sampleRate,
                                                    static_cast<uint32_t>(recorder.recordedBytes));
        if (!succeeded(r)) EndTake(r == Outcome::kReadFailed ? Outcome::kWriteFailed : r);
    }
    if (WriteFailed(recorder.endedBy)) {
        mp3WriterClose();
        int64_t keep = kWavHeaderBytes + static_cast<int64_t>(recorder.recordedBytes);
        if (recorder.isMp3) {
            keep = static_cast<int64_t>(recorder.mp3Frames.wholeEnd);
            uint64_t framed = static_cast<uint64_t>(recorder.mp3Frames.frames) *
                              static_cast<uint64_t>(recorder.mp3Frames.samplesPerFrame) * 2;
            if (framed < recorder.recordedBytes) recorder.recordedBytes = framed;
        } else {
            // Rewriting the header needs no room: its bytes are on disk from the start.
            writeWavHeader(files, recorder.file, recorder.sampleRate, static_cast<uint32_t>(recorder.recordedBytes));
        }
        files->setSize(recorder.file, keep);
    }
    if (!succeeded(files->flush(recorder.file))) EndTake(Outcome::kWriteFailed);
    files->close(recorder.file);
    recorder.file = kNoFile;
}

}  // namespace

void stopRecording() {
    if (recorder.state == RecorderState::Idle) return;
    bool deviceLetGo = true;
    if (recorder.deviceOpen) {
        capture->stop(recorder.device);
        ProcessWaitingBuffers();
        if (!succeeded(capture->reset(recorder.device))) deviceLetGo = false;
        // A device may mark the last partly filled buffer done only during the reset; the processed marker keeps
        // the first pass's buffers from being written twice.
        ProcessWaitingBuffers();
        for (int i = 0; i < kCaptureBufferCount; ++i) capture->unprepare(recorder.device, &recorder.captureHeaders[i]);
        if (!succeeded(CloseDevice())) deviceLetGo = false;
    }
    ReleaseBuffers(deviceLetGo);
    host->stopRecordingTimer();
    FinishFile();
    recorder.state = RecorderState::Idle;
    recorder.levels.level = 0;

    RecorderReport report = {};
    report.event = RecorderEvent::Stopped;
    report.outcome = recorder.endedBy;
    report.stoppedAtSizeLimit = recorder.stoppedAtSizeLimit;
    report.seconds = elapsedSeconds();
    report.fileBytes = -1;
    report.path = recorder.recordingPath;
    report.marksPath = recorder.marksPath;
    if (recorder.recordedBytes < kMinimumKeptBytes) {
        DropTake(&report);
        if (recorder.marksFileCreated) files->remove(recorder.marksPath);
        recorder.marksFileCreated = false;
        recorder.lastRecordingSaved = false;
        report.verdict = RecordingVerdict::Empty;
    } else {
        SettleKeptTake(&report);
        recorder.lastRecordingSaved = true;
        report.fileBytes = files->sizeOfPath(recorder.recordingPath);
        if (recorder.markCount > 0) {
            // Written once more: a mark whose own write failed gets another chance.
            report.marksOutcome = WriteMarks(true);
        }
        recorder.marksWritten = recorder.marksFileCreated;
        report.verdict = RecordingVerdict::Saved;
        if (isSilentRecording(&recorder.levels)) {
            report.verdict = RecordingVerdict::Silent;
        } else if (isTooLoudRecording(&recorder.levels)) {
            report.verdict = RecordingVerdict::TooLoud;
        }
    }
    NoteTakeInProgress(nullptr);
    host->report(report);
    if (report.verdict != RecordingVerdict::Empty && report.verdict != RecordingVerdict::Silent)
        host->loadForPlay(recorder.recordingPath);
    host->repaintWindow();
    host->refreshControls();
}

void addMark() {
    // The Mark button is enabled only while recording; a command that slips through otherwise changes nothing.
    if (recorder.state != RecorderState::Recording) return;
    RecorderReport report = {};
    report.event = RecorderEvent::MarkNotStored;
    report.seconds = elapsedSeconds();
    if (recorder.markCount < kMaxMarks) {
        recorder.markTimes[recorder.markCount] = report.seconds;
        recorder.markCount += 1;
        report.event = RecorderEvent::MarkAdded;
        // On disk as it is made, so that a crash keeps the marks with the audio.
        report.outcome = WriteMarks(false);
    }
    report.markNumber = recorder.markCount;
    host->report(report);
}

void onRecordingTimer() {
    if (recorder.state == RecorderState::Recording) {
        // Buffer notices are posted messages, handled before any timer message: a long gap is the device's own.
        if (host->tickMs() - recorder.lastBufferTick >= kSilentDeviceMs) {
            EndTake(Outcome::kDeviceFailed);
            stopRecording();
            return;
        }
        LoudWarningEdge edge = loudWarningStep(&recorder.levels);
        if (edge == kLoudWarningStarts) Report(RecorderEvent::LoudWarningStarts);
        if (edge == kLoudWarningEnds) Report(RecorderEvent::LoudWarningEnds);
        NoSoundEdge noSound = noSoundStep(&recorder.levels);
        if (noSound == kNoSoundStarts) Report(RecorderEvent::NoSoundStarts);
        if (noSound == kNoSoundEnds) Report(RecorderEvent::NoSoundEnds);
    }
    SetElapsedLabelIfChanged();
    host->invalidateMeter();
    decayLevel(&recorder.levels);
}
