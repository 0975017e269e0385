#pragma once

#include "app/transcription.h"

// The live keyboard and SendInput.
extern const TypingApi kSystemTyping;
