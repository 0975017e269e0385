// notafon-cli decode: the player's decoder chain on one file, written out as the mono 16-bit track it gives.
#include <stdio.h>
#include <wchar.h>

#include "app/file_api.h"
#include "cli/cli.h"
#include "cli/cli_player.h"
#include "player/track_loader.h"
#include "recorder/recorder.h"

int cliWriteMonoWav(const wchar_t* path, const int16_t* samples, int64_t count, int32_t sampleRate) {
    if (count < 0 || count * 2 > static_cast<int64_t>(kWavDataLimitBytes)) return -1;
    FileHandle f = kPlatformFiles.create(path, kFileCreateAlways, kFileShareNone);
    if (f == kNoFile) return -1;
    unsigned char header[kWavHeaderBytes];
    buildWavHeader(header, sampleRate, static_cast<uint32_t>(count * 2));
    uint32_t written = 0;
    int r = kPlatformFiles.write(f, header, kWavHeaderBytes, &written);
    // Samples are little-endian on every platform this builds for.
    const char* p = reinterpret_cast<const char*>(samples);
    int64_t left = count * 2;
    while (r == 0 && left > 0) {
        uint32_t chunk = left > (1 << 24) ? (1u << 24) : static_cast<uint32_t>(left);
        r = kPlatformFiles.write(f, p, chunk, &written);
        p += chunk;
        left -= chunk;
    }
    kPlatformFiles.close(f);
    return r == 0 ? 0 : -1;
}

int cliDecode(int argc, wchar_t** argv) {
    const wchar_t* input = nullptr;
    const wchar_t* out = nullptr;
    for (int i = 0; i < argc; ++i) {
        if (wcscmp(argv[i], L"--out") == 0 && i + 1 < argc) {
            out = argv[++i];
        } else if (argv[i][0] == L'-' && argv[i][1] == L'-') {
            return cliUsageError("unknown option or missing value");
        } else if (!input) {
            input = argv[i];
        } else {
            return cliUsageError("more than one input file");
        }
    }
    if (!input || !out) return cliUsageError("decode needs FILE and --out OUT.wav");

    PcmTrack track = {nullptr, 0, 0};
    TrackDecoder used = TrackDecoder::None;
    if (loadTrack(input, &kPlatformFiles, cliGeneralDecoder(), &kPlatformThreads, &track, &used) != 0) {
        fprintf(stderr,
                "notafon-cli: the file cannot be played: it cannot be read, or no decoder (WAV, MP3 or the "
                "platform's) turns it into more than %d samples\n",
                kMinTrackSamples);
        return 1;
    }
    printf("decoder: %s\nrate: %d\nsamples: %d\n", trackDecoderName(used), track.sampleRate, track.sampleCount);
    fflush(stdout);
    int r = cliWriteMonoWav(out, track.samples, track.sampleCount, track.sampleRate);
    pcmTrackFree(&track);
    if (r != 0) {
        fprintf(stderr, "notafon-cli: cannot write the output file\n");
        return 1;
    }
    return 0;
}
