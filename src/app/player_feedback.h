// The words of the status and detail lines for what the player reports when the sound output lets it down: one place
// for these texts, used by the player view of the main window.
#pragma once

#include "base/outcome.h"

const int kPlayerStatusCapacity = 96;
const int kPlayerDetailCapacity = 420;

struct PlayerWords {
    wchar_t status[kPlayerStatusCapacity];
    wchar_t detail[kPlayerDetailCapacity];
};

// The title and explanation when the sound of a loaded file stopped or would not start (why is what playerPlay or
// playerTakeStopReason gave); false when there is nothing to say (kOk).
bool playerStopWords(Outcome why, PlayerWords* words);
// The title and explanation when a file could not be opened because there is no sound output; false for every other
// outcome, which the window's could-not-read message covers.
bool playerOpenFailureWords(Outcome why, PlayerWords* words);
