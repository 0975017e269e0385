// The Media Foundation source reader as the player's general decoder.
#pragma once

#include "player/general_decoder.h"

extern const GeneralDecoderApi kMediaFoundationDecoder;
