// A built-in United States keyboard layout: scan codes and English key names, the way the platform's layout service
// reports them (keypad and navigation keys share scan codes and differ only by the extended-key flag). Used where no
// layout service exists: the unit tests and the native command-line harness.
#include <stdint.h>

#include "base/wide_text.h"
#include "shortcuts/key_names.h"

namespace {

// Scan codes of the letters A to Z.
const uint8_t kLetterScan[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
                                 0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};

struct KeyScan {
    uint8_t key;
    uint8_t scan;
};

// Virtual keys other than letters, digits and F1 to F12.
const KeyScan kOtherScans[] = {
    {0x08, 0x0E}, {0x09, 0x0F}, {0x0D, 0x1C}, {0x10, 0x2A}, {0x11, 0x1D}, {0x12, 0x38}, {0x13, 0x45}, {0x14, 0x3A},
    {0x1B, 0x01}, {0x20, 0x39}, {0x21, 0x49}, {0x22, 0x51}, {0x23, 0x4F}, {0x24, 0x47}, {0x25, 0x4B}, {0x26, 0x48},
    {0x27, 0x4D}, {0x28, 0x50}, {0x2D, 0x52}, {0x2E, 0x53}, {0x5B, 0x5B}, {0x5C, 0x5C}, {0x60, 0x52}, {0x61, 0x4F},
    {0x62, 0x50}, {0x63, 0x51}, {0x64, 0x4B}, {0x65, 0x4C}, {0x66, 0x4D}, {0x67, 0x47}, {0x68, 0x48}, {0x69, 0x49},
    {0x6A, 0x37}, {0x6B, 0x4E}, {0x6D, 0x4A}, {0x6E, 0x53}, {0x6F, 0x35}, {0x90, 0x45}, {0x91, 0x46}, {0xA0, 0x2A},
    {0xA1, 0x36}, {0xA2, 0x1D}, {0xA3, 0x1D}, {0xA4, 0x38}, {0xA5, 0x38}, {0xBA, 0x27}, {0xBB, 0x0D}, {0xBC, 0x33},
    {0xBD, 0x0C}, {0xBE, 0x34}, {0xBF, 0x35}, {0xC0, 0x29}, {0xDB, 0x1A}, {0xDC, 0x2B}, {0xDD, 0x1B}, {0xDE, 0x28},
};

struct ScanName {
    uint8_t scan;
    bool extended;
    const wchar_t* name;
};

// Names other than letters, digits and function keys.
const ScanName kOtherNames[] = {
    {0x01, false, L"Esc"},       {0x0C, false, L"-"},           {0x0D, false, L"="},
    {0x0E, false, L"Backspace"}, {0x0F, false, L"Tab"},         {0x1A, false, L"["},
    {0x1B, false, L"]"},         {0x1C, false, L"Enter"},       {0x1C, true, L"Num Enter"},
    {0x1D, false, L"Ctrl"},      {0x1D, true, L"Right Ctrl"},   {0x27, false, L";"},
    {0x28, false, L"'"},         {0x29, false, L"`"},           {0x2A, false, L"Shift"},
    {0x2B, false, L"\\"},        {0x33, false, L","},           {0x34, false, L"."},
    {0x35, false, L"/"},         {0x35, true, L"Num /"},        {0x36, false, L"Right Shift"},
    {0x37, false, L"Num *"},     {0x38, false, L"Alt"},         {0x38, true, L"Right Alt"},
    {0x39, false, L"Space"},     {0x3A, false, L"Caps Lock"},   {0x45, false, L"Pause"},
    {0x45, true, L"Num Lock"},   {0x46, false, L"Scroll Lock"}, {0x47, false, L"Num 7"},
    {0x47, true, L"Home"},       {0x48, false, L"Num 8"},       {0x48, true, L"Up"},
    {0x49, false, L"Num 9"},     {0x49, true, L"Page Up"},      {0x4A, false, L"Num -"},
    {0x4B, false, L"Num 4"},     {0x4B, true, L"Left"},         {0x4C, false, L"Num 5"},
    {0x4D, false, L"Num 6"},     {0x4D, true, L"Right"},        {0x4E, false, L"Num +"},
    {0x4F, false, L"Num 1"},     {0x4F, true, L"End"},          {0x50, false, L"Num 2"},
    {0x50, true, L"Down"},       {0x51, false, L"Num 3"},       {0x51, true, L"Page Down"},
    {0x52, false, L"Num 0"},     {0x52, true, L"Insert"},       {0x53, false, L"Num Del"},
    {0x53, true, L"Delete"},     {0x5B, true, L"Left Windows"}, {0x5C, true, L"Right Windows"},
};

uint32_t ScanCode(uint32_t key) {
    if (key >= 'A' && key <= 'Z') return kLetterScan[key - 'A'];
    if (key >= '1' && key <= '9') return 0x02 + (key - '1');
    if (key == '0') return 0x0B;
    if (key >= 0x70 && key <= 0x79) return 0x3B + (key - 0x70);  // F1 to F10
    if (key == 0x7A) return 0x57;                                // F11
    if (key == 0x7B) return 0x58;                                // F12
    for (const KeyScan& row : kOtherScans) {
        if (row.key == key) return row.scan;
    }
    return 0;
}

int KeyName(uint32_t request, wchar_t* out, int capacity) {
    if (capacity <= 0) return 0;
    out[0] = 0;
    uint32_t scan = (request >> 16) & 0xFFu;
    bool extended = (request & 0x01000000u) != 0;
    if (scan == 0) return 0;
    if (!extended) {
        for (int i = 0; i < 26; ++i) {
            if (kLetterScan[i] == scan) {
                const wchar_t letter[2] = {static_cast<wchar_t>(L'A' + i), 0};
                return WideFormat(out, capacity, L"%ls", letter);
            }
        }
        if (scan >= 0x02 && scan <= 0x0B) return WideFormat(out, capacity, L"%d", static_cast<int>((scan - 1) % 10));
        if (scan >= 0x3B && scan <= 0x44) return WideFormat(out, capacity, L"F%d", static_cast<int>(scan - 0x3A));
        if (scan == 0x57) return WideFormat(out, capacity, L"F11");
        if (scan == 0x58) return WideFormat(out, capacity, L"F12");
    }
    for (const ScanName& row : kOtherNames) {
        if (row.scan == scan && row.extended == extended) return WideFormat(out, capacity, L"%ls", row.name);
    }
    return 0;
}

}  // namespace

const KeyNameApi kEnglishKeyNames = {ScanCode, KeyName};
