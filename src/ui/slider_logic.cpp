// The slider's value rules.
#include "ui/slider_logic.h"

SliderState sliderInitial() {
    return SliderState{0, 100, 0, 0, 10, 1};
}

intptr_t sliderClamp(const SliderState& s, intptr_t v) {
    if (v < s.min) v = s.min;
    if (v > s.max) v = s.max;
    return v;
}

intptr_t sliderValueFromX(const SliderState& s, int x, int clientWidth, int margin) {
    int w = clientWidth - 2 * margin;
    if (w < 1) w = 1;
    int d = x - margin;
    if (d < 0) d = 0;
    if (d > w) d = w;
    return s.min + static_cast<intptr_t>(static_cast<double>(s.max - s.min) * d / w + 0.5);
}

bool sliderKey(const SliderState& s, int key, intptr_t* value, int* code) {
    switch (key) {
        case kSliderKeyPageUp:
            *value = s.pos + s.page;
            *code = 3;
            break;
        case kSliderKeyPageDown:
            *value = s.pos - s.page;
            *code = 2;
            break;
        case kSliderKeyEnd:
            *value = s.max;
            *code = 7;
            break;
        case kSliderKeyHome:
            *value = s.min;
            *code = 6;
            break;
        case kSliderKeyLeft:
        case kSliderKeyDown:
            *value = s.pos - s.line;
            *code = 0;
            break;
        case kSliderKeyUp:
        case kSliderKeyRight:
            *value = s.pos + s.line;
            *code = 1;
            break;
        default:
            return false;
    }
    *value = sliderClamp(s, *value);
    return true;
}

bool sliderWheel(const SliderState& s, int notches, intptr_t* value, int* code) {
    if (notches == 0) return false;
    *value = sliderClamp(s, s.pos + 2 * s.line * notches);
    *code = notches > 0 ? 1 : 0;
    return true;
}

void sliderUnpackRange(intptr_t lParam, intptr_t* min, intptr_t* max) {
    *min = static_cast<int16_t>(static_cast<uint16_t>(lParam & 0xFFFF));
    *max = static_cast<int16_t>(static_cast<uint16_t>((lParam >> 16) & 0xFFFF));
}
