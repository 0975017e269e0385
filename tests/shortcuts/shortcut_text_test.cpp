// The shortcut text: prefix order, the key-name request handed to the layout, the "Key %u" fallback, and the cuts a
// small capacity makes; the modifier bits read from the key states of the current message.
#include "shortcuts/shortcut_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shortcuts/key_state.h"
#include "shortcuts/shortcut.h"

namespace {

// The English layout, recording every request the text builder makes.
std::vector<uint32_t> requests;
uint32_t RecordingScanCode(uint32_t key) {
    return kEnglishKeyNames.scanCode(key);
}
int RecordingKeyName(uint32_t request, wchar_t* out, int capacity) {
    requests.push_back(request);
    return kEnglishKeyNames.keyName(request, out, capacity);
}
const KeyNameApi kRecordingNames = {RecordingScanCode, RecordingKeyName};

// A layout that knows every scan code but names no key.
uint32_t AnyScanCode(uint32_t key) {
    return key;
}
int NoName(uint32_t, wchar_t* out, int) {
    out[0] = 0;
    return 0;
}
// Claims a name but writes an empty one.
int EmptyName(uint32_t, wchar_t* out, int) {
    out[0] = 0;
    return 1;
}
const KeyNameApi kNamelessLayout = {AnyScanCode, NoName};
const KeyNameApi kEmptyNameLayout = {AnyScanCode, EmptyName};

std::wstring Text(uint32_t mods, uint32_t key, int capacity = 128) {
    std::vector<wchar_t> buffer(static_cast<size_t>(capacity) + 1, L'#');
    ShortcutToText(mods, key, buffer.data(), capacity);
    EXPECT_EQ(buffer[static_cast<size_t>(capacity)], L'#') << "wrote past the capacity";
    return buffer.data();
}

class ShortcutText : public ::testing::Test {
  protected:
    void SetUp() override {
        requests.clear();
        shortcutTextInstall(&kRecordingNames);
    }
};

}  // namespace

TEST_F(ShortcutText, PrefixesComeInTheOrderCtrlAltShiftWin) {
    EXPECT_EQ(Text(15, kKeyR), L"Ctrl+Alt+Shift+Win+R");
    EXPECT_EQ(Text(kModAlt | kModShift, kKeyR), L"Alt+Shift+R");
    EXPECT_EQ(Text(kModWin | kModCtrl, kKeyR), L"Ctrl+Win+R");
    EXPECT_EQ(Text(0, kKeyF12), L"F12");
}

TEST_F(ShortcutText, DefaultsReadWithTheLayoutsNames) {
    EXPECT_EQ(Text(kDefaultRecordShortcut.mods, kDefaultRecordShortcut.key), L"Ctrl+Shift+R");
    const wchar_t* expected[4] = {L"Ctrl+Space", L"Ctrl+Left", L"Ctrl+Home", L"Ctrl+Right"};
    for (int slot = 0; slot < 4; ++slot) {
        const Shortcut& s = kPlaybackSlots[slot].defaultShortcut;
        EXPECT_EQ(Text(s.mods, s.key), expected[slot]) << "slot " << slot;
    }
}

TEST_F(ShortcutText, OnlyNavigationKeysAndNumLockAskForTheExtendedName) {
    for (uint32_t key = 1; key <= 255; ++key) {
        requests.clear();
        Text(0, key);
        ASSERT_EQ(requests.size(), 1u);
        bool extended = (requests[0] & 0x01000000u) != 0;
        bool listed = (key >= 0x21 && key <= 0x28) || key == 0x2D || key == 0x2E || key == 0x90;
        EXPECT_EQ(extended, listed) << "key " << key;
        EXPECT_EQ((requests[0] >> 16) & 0xFFu, kEnglishKeyNames.scanCode(key)) << "key " << key;
        EXPECT_EQ(requests[0] & ~0x01FF0000u, 0u) << "stray bits for key " << key;
    }
    // Without the flag these keys would be named after the keypad.
    EXPECT_EQ(Text(0, 0x24), L"Home");
    EXPECT_EQ(Text(0, 0x90), L"Num Lock");
    EXPECT_EQ(Text(0, 0x67), L"Num 7");
}

TEST_F(ShortcutText, KeysWithoutANameFallBackToTheirCode) {
    EXPECT_EQ(Text(kModCtrl, 255), L"Ctrl+Key 255");  // no scan code in the layout
    shortcutTextInstall(&kNamelessLayout);
    EXPECT_EQ(Text(kModAlt, kKeyR), L"Alt+Key 82");
    EXPECT_EQ(Text(0, 7), L"Key 7");
    shortcutTextInstall(&kEmptyNameLayout);
    EXPECT_EQ(Text(kModCtrl, 0xE8), L"Ctrl+Key 232");
    shortcutTextInstall(nullptr);
    EXPECT_EQ(Text(kModShift, kKeySpace), L"Shift+Key 32");
}

TEST_F(ShortcutText, SmallCapacitiesCutTheText) {
    EXPECT_EQ(Text(kModCtrl | kModShift, kKeyR, 8), L"Ctrl+Sh");
    EXPECT_EQ(Text(kModCtrl, kKeyR, 6), L"Ctrl+");
    EXPECT_EQ(Text(kModCtrl, kKeyR, 5), L"Ctrl");
    EXPECT_EQ(Text(kModCtrl, kKeyR, 1), L"");
    EXPECT_EQ(Text(kModCtrl, 255, 11), L"Ctrl+Key 2");
    EXPECT_EQ(Text(kModCtrl | kModShift, kKeyR, 13), L"Ctrl+Shift+R");
}

TEST(AppendBounded, NeverGrowsPastCapacityMinusOne) {
    wchar_t buffer[6] = L"ab";
    AppendBounded(buffer, 6, L"cd");
    EXPECT_STREQ(buffer, L"abcd");
    AppendBounded(buffer, 6, L"efgh");
    EXPECT_STREQ(buffer, L"abcde");
    AppendBounded(buffer, 6, L"x");  // already full: nothing appended
    EXPECT_STREQ(buffer, L"abcde");
    wchar_t unterminated[4] = {L'w', L'x', L'y', L'z'};
    AppendBounded(unterminated, 4, L"q");
    EXPECT_EQ(unterminated[3], 0);
    EXPECT_STREQ(unterminated, L"wxy");
}

namespace {

int16_t keyStates[256];
int16_t FakeKeyState(uint32_t key) {
    return key < 256 ? keyStates[key] : 0;
}
const KeyStateApi kFakeKeyStates = {FakeKeyState};

}  // namespace

TEST(CurrentModifiers, CountsKeysWhoseHighBitIsSet) {
    for (int16_t& s : keyStates) s = 0;
    keyStateInstall(&kFakeKeyStates);
    EXPECT_EQ(CurrentModifiers(), 0u);
    keyStates[0x11] = static_cast<int16_t>(0x8000);
    keyStates[0x10] = static_cast<int16_t>(0xFF81);  // down and toggled
    EXPECT_EQ(CurrentModifiers(), kModCtrl | kModShift);
    keyStates[0x12] = 0x0001;  // toggled only: not down
    EXPECT_EQ(CurrentModifiers(), kModCtrl | kModShift);
    keyStates[0x12] = static_cast<int16_t>(0x8000);
    keyStates[0x5C] = static_cast<int16_t>(0x8000);  // the right Win key alone
    EXPECT_EQ(CurrentModifiers(), 15u);
    keyStates[0x5C] = 0;
    keyStates[0x11] = 0;
    keyStates[0x5B] = static_cast<int16_t>(0x8000);
    EXPECT_EQ(CurrentModifiers(), kModShift | kModAlt | kModWin);
    keyStateInstall(nullptr);
}
