// The waveIn capture device: buffer-done notices arrive as MM_WIM_DATA messages on the window given at open.
#pragma once

#include "recorder/capture.h"

extern const CaptureApi kWaveInCaptureApi;
