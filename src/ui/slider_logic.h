// The slider's value rules, apart from its window: the value under the mouse, the keyboard and wheel steps, and the
// range message's packing.
#pragma once

#include <stdint.h>

struct SliderState {
    intptr_t min, max, pos, dragging, page, line;
};

// The state of a new slider: range 0..100, page 10, line 1.
SliderState sliderInitial();
intptr_t sliderClamp(const SliderState& s, intptr_t v);
// The value for a mouse x (client pixels) with the given margin on each side.
intptr_t sliderValueFromX(const SliderState& s, int x, int clientWidth, int margin);

// Virtual keys the slider answers.
const int kSliderKeyPageUp = 0x21, kSliderKeyPageDown = 0x22, kSliderKeyEnd = 0x23, kSliderKeyHome = 0x24,
          kSliderKeyLeft = 0x25, kSliderKeyUp = 0x26, kSliderKeyRight = 0x27, kSliderKeyDown = 0x28;

// A key's new (clamped) value and its notification code; false for a key the slider does not answer.
bool sliderKey(const SliderState& s, int key, intptr_t* value, int* code);
// A wheel turn of whole notches (wheelNotches of the deltas): two lines up a notch for a positive count, down for a
// negative one; false for none, which changes nothing.
bool sliderWheel(const SliderState& s, int notches, intptr_t* value, int* code);
// The range message's lParam: low 16 bits min, high 16 bits max, each sign-extended.
void sliderUnpackRange(intptr_t lParam, intptr_t* min, intptr_t* max);
