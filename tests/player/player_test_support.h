// Inputs for the player's tests, all made in memory: WAV files of any layout, tones and noise, and MP3 streams from
// the recorder's encoder (mono) or the encoder library directly (stereo).
#pragma once

#include <stdint.h>

#include <filesystem>
#include <string>
#include <vector>

typedef std::vector<unsigned char> Bytes;

struct WavLayout {
    uint16_t tag = 1;
    uint16_t channels = 1;
    uint32_t sampleRate = 22050;
    uint16_t bits = 16;
    bool extensible = false;  // tag 0xFFFE with `tag` as the sub-format
};

// A RIFF/WAVE file: "fmt " then "data" with the given body; dataSizeField overrides the data chunk's size when set.
Bytes makeWav(const WavLayout& layout, const Bytes& body, int64_t dataSizeField = -1);
// A body of 16-bit samples.
Bytes pcm16(const std::vector<int16_t>& samples);
void appendLe16(Bytes* b, uint32_t v);
void appendLe32(Bytes* b, uint32_t v);

std::vector<int16_t> tone(int count, int rate, double hz, double amplitude);
// Deterministic noise in -amplitude..amplitude.
std::vector<int16_t> noise(int count, int amplitude, uint32_t seed);

// A mono MP3 of the samples through the recorder's writer.
Bytes encodeMonoMp3(const std::vector<int16_t>& samples, int rate, int kbps);
// A stereo MP3 (left and right given separately) straight through the encoder library.
Bytes encodeStereoMp3(const std::vector<int16_t>& left, const std::vector<int16_t>& right, int rate, int kbps);

// Writes bytes to a file (tests that go through the file seam).
void writeBytes(const std::filesystem::path& path, const Bytes& bytes);
std::wstring widePath(const std::filesystem::path& path);
