// The waveOut output device: completions signal the event given at open.
#pragma once

#include "player/output.h"

extern const OutputApi kWaveOutApi;
