// Every status and detail text the player view shows when the sound output fails: no output device at all, or one
// that stopped taking sound while a file was loaded.
#include "app/player_feedback.h"

#include "base/wide_text.h"

namespace {

void Say(PlayerWords* words, const wchar_t* status, const wchar_t* detail) {
    WideCopyBounded(words->status, kPlayerStatusCapacity, status);
    WideCopyBounded(words->detail, kPlayerDetailCapacity, detail);
}

}  // namespace

bool playerStopWords(Outcome why, PlayerWords* words) {
    switch (why) {
        case Outcome::kOk:
        case Outcome::kNotOpen:
            return false;
        case Outcome::kNoDevice:
            Say(words, L"No speakers or headphones found",
                L"Plug in or enable speakers or headphones in Windows sound settings, then press Play again.");
            return true;
        default:
            // The device refused a buffer or would not restart (a headset unplugged, a driver gone); the file is
            // still loaded and Play opens the output afresh.
            Say(words, L"Could not play the sound",
                L"Windows stopped the sound output. Check that your speakers or headphones are connected, then press "
                L"Play again.");
            return true;
    }
}

bool playerOpenFailureWords(Outcome why, PlayerWords* words) {
    if (why != Outcome::kNoDevice) return false;
    // Nothing is loaded after this failure, so the remedy ends in opening the file rather than in Play.
    Say(words, L"No speakers or headphones found",
        L"Plug in or enable speakers or headphones in Windows sound settings, then open the file again.");
    return true;
}
