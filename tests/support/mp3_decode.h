// Decodes a whole MP3 byte stream with the reference frame decoder, for tests that check what a file holds.
#pragma once

#include <vector>

struct DecodedMp3 {
    std::vector<short> samples;  // first channel
    int sampleRate = 0;
    int frames = 0;
    int firstFrameOffset = -1;  // bytes skipped before the first frame
};

DecodedMp3 decodeMp3(const std::vector<unsigned char>& bytes);
