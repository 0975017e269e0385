// Whole-stream MP3 decoding for tests.
#include "support/mp3_decode.h"

#include <stddef.h>

#include <minimp3.h>

DecodedMp3 decodeMp3(const std::vector<unsigned char>& bytes) {
    DecodedMp3 out;
    mp3dec_t dec;
    mp3dec_init(&dec);
    short pcm[MINIMP3_MAX_SAMPLES_PER_FRAME];
    size_t pos = 0;
    while (pos < bytes.size()) {
        mp3dec_frame_info_t info;
        int n = mp3dec_decode_frame(&dec, bytes.data() + pos, static_cast<int>(bytes.size() - pos), pcm, &info);
        if (info.frame_bytes == 0) break;
        if (n > 0) {
            if (out.firstFrameOffset < 0) out.firstFrameOffset = static_cast<int>(pos);
            out.frames++;
            out.sampleRate = info.hz;
            for (int i = 0; i < n; ++i) out.samples.push_back(pcm[i * info.channels]);
        }
        pos += static_cast<size_t>(info.frame_bytes);
    }
    return out;
}
