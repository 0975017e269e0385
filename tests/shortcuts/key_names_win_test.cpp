// Shortcut texts on the machine's real keyboard layout: the record default reads "Ctrl+Shift+R", and the playback
// defaults carry the layout's own names of Space, Left, Home and Right (asked for with the extended-key flag, so they
// are not named after the numeric keypad).
#include "shortcuts/key_names_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>

#include <string>

#include "shortcuts/shortcut.h"
#include "shortcuts/shortcut_text.h"

namespace {

// The layout's name asked for directly, as a key press's own message parameter would carry it.
std::wstring LayoutName(UINT key, bool extended) {
    LONG request = static_cast<LONG>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC) << 16);
    if (extended) request |= 0x01000000;
    wchar_t name[64] = {};
    return GetKeyNameTextW(request, name, 64) > 0 ? name : L"";
}

std::wstring Text(Shortcut s) {
    wchar_t text[128];
    ShortcutToText(s.mods, s.key, text, 128);
    return text;
}

}  // namespace

TEST(LayoutKeyNames, TheRecordDefaultReadsCtrlShiftR) {
    shortcutTextInstall(&kLayoutKeyNames);
    EXPECT_EQ(Text(kDefaultRecordShortcut), L"Ctrl+Shift+R");
}

TEST(LayoutKeyNames, PlaybackDefaultsUseTheLayoutsNames) {
    shortcutTextInstall(&kLayoutKeyNames);
    for (int slot = 0; slot < kPlaybackSlotCount; ++slot) {
        const Shortcut& s = kPlaybackSlots[slot].defaultShortcut;
        if (!shortcutIsSet(s)) continue;  // the speed and time slots have no default to name
        bool extended = s.key != kKeySpace;
        std::wstring name = LayoutName(s.key, extended);
        ASSERT_FALSE(name.empty()) << "the layout names no key " << s.key;
        EXPECT_EQ(Text(s), L"Ctrl+" + name) << "slot " << slot;
        printf("slot %d: %ls\n", slot, Text(s).c_str());
        if (extended) {
            EXPECT_NE(name, LayoutName(s.key, false)) << "slot " << slot << " named after the keypad";
        }
    }
}

TEST(LayoutKeyNames, UnnamedKeysFallBackToTheirCode) {
    shortcutTextInstall(&kLayoutKeyNames);
    EXPECT_EQ(Text({255, kModCtrl}), L"Ctrl+Key 255");
}
