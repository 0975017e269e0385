// Mending an unfinished recording in place.
#include "recorder/recording_repair.h"

#include <string.h>

#include "base/little_endian.h"
#include "base/wav_file.h"
#include "recorder/mp3_frames.h"

namespace {

// The UI thread mends one file at a time; a fixed block keeps the scan free of allocation.
unsigned char scanBlock[65536];

// Cuts the file to size and makes the cut durable.
Outcome CutTo(const FileApi* files, const wchar_t* path, int64_t size) {
    FileHandle f = kNoFile;
    if (!succeeded(files->create(path, kFileOpenExisting, kFileShareNone, &f))) return Outcome::kWriteFailed;
    Outcome r = files->setSize(f, size);
    if (succeeded(r)) r = files->flush(f);
    files->close(f);
    return r;
}

Outcome MendWav(const FileApi* files, const wchar_t* path, const unsigned char* header, RecordingMend* mend) {
    bool ours = memcmp(header + 8, "WAVEfmt ", 8) == 0 && readLe32(header + 16) == 16 && readLe16(header + 20) == 1 &&
                readLe16(header + 22) == 1 && readLe16(header + 34) == 16 && memcmp(header + 36, "data", 4) == 0;
    int32_t rate = static_cast<int32_t>(readLe32(header + 24));
    if (!ours || rate <= 0) return Outcome::kUnsupportedFormat;
    uint64_t data = static_cast<uint64_t>(mend->sizeBefore - kWavHeaderBytes) & ~1ull;
    if (data > kWavDataLimitBytes) data = kWavDataLimitBytes;
    mend->keptPcmBytes = data;
    mend->seconds = static_cast<double>(data) / (2.0 * rate);
    mend->sizeAfter = kWavHeaderBytes + static_cast<int64_t>(data);
    if (readLe32(header + 40) == data && readLe32(header + 4) == data + 36 && mend->sizeAfter == mend->sizeBefore)
        return Outcome::kOk;
    FileHandle f = kNoFile;
    if (!succeeded(files->create(path, kFileOpenExisting, kFileShareNone, &f))) return Outcome::kWriteFailed;
    Outcome r = writeWavHeader(files, f, rate, static_cast<uint32_t>(data));
    if (succeeded(r) && mend->sizeAfter != mend->sizeBefore) r = files->setSize(f, mend->sizeAfter);
    if (succeeded(r)) r = files->flush(f);
    files->close(f);
    return succeeded(r) ? r : Outcome::kWriteFailed;
}

Outcome MendMp3(const FileApi* files, const wchar_t* path, FileHandle reading, RecordingMend* mend) {
    mend->isMp3 = true;
    Mp3FrameCursor cursor;
    mp3CursorReset(&cursor);
    Outcome r = files->seekStart(reading, 0);
    while (succeeded(r) && !cursor.broken) {
        uint32_t got = 0;
        r = files->read(reading, scanBlock, sizeof scanBlock, &got);
        if (!succeeded(r) || got == 0) break;
        mp3CursorFeed(&cursor, scanBlock, got);
    }
    files->close(reading);
    if (!succeeded(r)) return r;
    mend->seconds = mp3CursorSeconds(cursor);
    mend->keptPcmBytes = static_cast<uint64_t>(cursor.frames) * static_cast<uint64_t>(cursor.samplesPerFrame) * 2;
    mend->sizeAfter = static_cast<int64_t>(cursor.wholeEnd);
    if (mend->sizeAfter == mend->sizeBefore) return Outcome::kOk;
    return CutTo(files, path, mend->sizeAfter);
}

}  // namespace

Outcome mendRecording(const FileApi* files, const wchar_t* path, RecordingMend* mend) {
    memset(mend, 0, sizeof *mend);
    mend->sizeBefore = files->sizeOfPath(path);
    FileHandle f = kNoFile;
    if (mend->sizeBefore < 0 || !succeeded(files->openRead(path, &f))) return Outcome::kOpenFailed;
    unsigned char header[kWavHeaderBytes] = {};
    uint32_t got = 0;
    Outcome r = files->read(f, header, kWavHeaderBytes, &got);
    if (!succeeded(r)) {
        files->close(f);
        return r;
    }
    if (got >= 4 && memcmp(header, "RIFF", 4) == 0) {
        files->close(f);
        if (got < kWavHeaderBytes) return Outcome::kUnsupportedFormat;
        return MendWav(files, path, header, mend);
    }
    return MendMp3(files, path, f, mend);
}
