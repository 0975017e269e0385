// The application's colours, as the platform's 24-bit RGB values (red in the low byte), and the level meter's bar
// colour pairs. Portable, so the painting arithmetic and the end-to-end probes name the same values.
#pragma once

#include <stdint.h>

constexpr uint32_t Rgb(int r, int g, int b) {
    return static_cast<uint32_t>(r) | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b) << 16;
}

const uint32_t kAccentPurple = Rgb(91, 68, 207);
const uint32_t kDarkAccentPurple = Rgb(70, 50, 170);
const uint32_t kNearBlack = Rgb(20, 22, 26);
const uint32_t kGreen = Rgb(40, 167, 69);
const uint32_t kDarkGreen = Rgb(34, 142, 58);
const uint32_t kDeepGreen = Rgb(24, 120, 45);
const uint32_t kRed = Rgb(214, 40, 40);
const uint32_t kBodyGrey = Rgb(63, 67, 76);
const uint32_t kMutedGrey = Rgb(133, 138, 149);
const uint32_t kLabelGrey = Rgb(110, 114, 128);
const uint32_t kVersionGrey = Rgb(150, 154, 166);
const uint32_t kTrackLavender = Rgb(228, 225, 245);
const uint32_t kFocusLavender = Rgb(214, 207, 247);
const uint32_t kHaloLavender = Rgb(226, 221, 248);
const uint32_t kSoftLavender = Rgb(240, 237, 252);
const uint32_t kPressedLavender = Rgb(222, 217, 247);
const uint32_t kPressedTint = Rgb(238, 235, 252);
const uint32_t kSelectedTint = Rgb(232, 228, 250);
const uint32_t kStripBackground = Rgb(246, 244, 253);
const uint32_t kStripEdge = Rgb(222, 218, 244);
const uint32_t kHeaderLine = Rgb(236, 233, 248);
const uint32_t kMeterBackground = Rgb(247, 245, 253);
const uint32_t kMeterBorder = Rgb(232, 229, 246);
const uint32_t kMeterCentreLine = Rgb(228, 225, 244);
const uint32_t kDisabledFill = Rgb(190, 192, 198);
const uint32_t kDisabledBorder = Rgb(209, 205, 238);
const uint32_t kDisabledText = Rgb(190, 186, 224);
const uint32_t kWhite = Rgb(255, 255, 255);

// A level-meter bar: endColour at its two ends, centreColour in its middle.
struct MeterColours {
    uint32_t endColour, centreColour;
};
const MeterColours kMeterSignal = {Rgb(190, 181, 239), Rgb(115, 98, 205)};
const MeterColours kMeterPaused = {Rgb(238, 236, 250), Rgb(226, 223, 246)};
const MeterColours kMeterQuiet = {Rgb(232, 229, 247), Rgb(214, 209, 243)};

// A coloured fill while pressed: each channel × 85 / 100.
constexpr uint32_t PressedShade(uint32_t c) {
    return Rgb(static_cast<int>(c & 0xFF) * 85 / 100, static_cast<int>((c >> 8) & 0xFF) * 85 / 100,
               static_cast<int>((c >> 16) & 0xFF) * 85 / 100);
}
