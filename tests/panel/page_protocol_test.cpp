// The page protocol's texts: which page strings mean what, the hand-off copy's name and extension, the escaping of
// the announced name with its length cut, the announcing JSON message byte for byte, and the service addresses.
#include "panel/page_protocol.h"

#include <gtest/gtest.h>

#include <string>

#include "panel/service_address.h"

namespace {

std::wstring Extension(const wchar_t* path) {
    wchar_t out[kHandoffExtensionCapacity];
    HandoffExtension(path, out, kHandoffExtensionCapacity);
    return out;
}

std::wstring Escaped(const std::wstring& name) {
    wchar_t out[kEscapedNameMax + 1];
    int n = EscapeHandoffName(name.c_str(), out, kEscapedNameMax + 1);
    EXPECT_EQ(n, static_cast<int>(wcslen(out)));
    return out;
}

TEST(PageProtocol, OnlyTheFourExactStringsMeanAnything) {
    EXPECT_EQ(ClassifyPageMessage(L"notafon-ready"), kPageMessageReady);
    EXPECT_EQ(ClassifyPageMessage(L"notafon-signed-in"), kPageMessageSignedIn);
    EXPECT_EQ(ClassifyPageMessage(L"notafon-signed-out"), kPageMessageSignedOut);
    EXPECT_EQ(ClassifyPageMessage(L"notafon-request-audio"), kPageMessageRequestAudio);
    EXPECT_EQ(ClassifyPageMessage(L"Notafon-Ready"), kPageMessageOther);
    EXPECT_EQ(ClassifyPageMessage(L"notafon-ready "), kPageMessageOther);
    EXPECT_EQ(ClassifyPageMessage(L"notafon-signed"), kPageMessageOther);
    EXPECT_EQ(ClassifyPageMessage(L"\"notafon-ready\""), kPageMessageOther);
    EXPECT_EQ(ClassifyPageMessage(L""), kPageMessageOther);
    EXPECT_EQ(ClassifyPageMessage(nullptr), kPageMessageOther);
}

TEST(HandoffName, ExtensionComesFromTheFileNameAndFallsBackToMp3) {
    EXPECT_EQ(Extension(L"C:\\Rec\\talk.mp3"), L"mp3");
    EXPECT_EQ(Extension(L"C:\\Rec\\talk.m4a"), L"m4a");
    EXPECT_EQ(Extension(L"C:\\Rec\\talk.WAV"), L"WAV");  // case kept
    EXPECT_EQ(Extension(L"C:\\Rec\\talk.x"), L"x");      // ".x": 2 characters with the dot
    EXPECT_EQ(Extension(L"C:\\Rec\\talk.abcdef"), L"abcdef");
    EXPECT_EQ(Extension(L"C:\\Rec\\talk.recording"), L"mp3");  // 10 characters with the dot
    EXPECT_EQ(Extension(L"C:\\Rec\\talk.abcdefg"), L"mp3");    // 8 with the dot
    EXPECT_EQ(Extension(L"C:\\Rec\\talk."), L"mp3");           // the dot alone is 1 character
    EXPECT_EQ(Extension(L"C:\\Rec\\talk"), L"mp3");
    // A dotted folder and a file name without a dot: the folder's suffix is not the file's extension.
    EXPECT_EQ(Extension(L"C:\\Takes v1.2\\interview"), L"mp3");
    EXPECT_EQ(Extension(L"C:/Takes v1.2/interview"), L"mp3");
    EXPECT_EQ(Extension(L"C:\\Takes v1.2\\interview.ogg"), L"ogg");
}

TEST(HandoffName, CounterTicksAndExtension) {
    wchar_t name[64];
    EXPECT_EQ(HandoffCopyName(name, 64, 1, 123456, L"mp3"), 18);
    EXPECT_STREQ(name, L"audio-1-123456.mp3");
    HandoffCopyName(name, 64, 4294967295u, 4294967295u, L"abcdef");
    EXPECT_STREQ(name, L"audio-4294967295-4294967295.abcdef");
    EXPECT_EQ(HandoffCopyName(name, 10, 1, 2, L"mp3"), -1);  // never a cut name
    EXPECT_STREQ(name, L"");
}

TEST(HandoffEscape, ControlCharactersBecomeSpacesQuoteAndBackslashAreEscaped) {
    EXPECT_EQ(Escaped(L"a\tb\nc\x1f"
                      L"d"),
              L"a b c d");
    EXPECT_EQ(Escaped(L"say \"hi\".mp3"), L"say \\\"hi\\\".mp3");
    EXPECT_EQ(Escaped(L"a\\b"), L"a\\\\b");
    EXPECT_EQ(Escaped(L"C:/x/y: z.mp3"), L"C:/x/y: z.mp3");
    EXPECT_EQ(Escaped(L"\x7f\xe9\x4e2d"), L"\x7f\xe9\x4e2d");  // 0x20 and up pass unchanged
    EXPECT_EQ(Escaped(L""), L"");
}

TEST(HandoffEscape, TheCutKeepsAtMost633CharactersAndNeverSplitsAPair) {
    // 700 plain characters: taken while at most 631 are written, so 632.
    EXPECT_EQ(Escaped(std::wstring(700, L'a')).size(), 632u);
    // 631 plain then quotes: the 632nd source character is a quote, written whole (633).
    std::wstring name = std::wstring(631, L'a') + L"\"\"\"";
    std::wstring out = Escaped(name);
    EXPECT_EQ(out.size(), 633u);
    EXPECT_EQ(out.substr(631), L"\\\"");
    // 632 plain then a quote: nothing more is taken, so the pair is left out rather than split.
    out = Escaped(std::wstring(632, L'a') + L"\"");
    EXPECT_EQ(out, std::wstring(632, L'a'));
    // Only pairs: every escape stays whole and the text ends on a complete pair.
    out = Escaped(std::wstring(700, L'\\'));
    EXPECT_EQ(out.size(), 632u);
    for (size_t i = 0; i < out.size(); ++i) EXPECT_EQ(out[i], L'\\');
    // A pair after an odd count: 631 plain, then pairs; the first pair ends at 633.
    out = Escaped(std::wstring(630, L'a') + std::wstring(10, L'"'));
    EXPECT_EQ(out.size(), 632u);  // 630 + one pair = 632, then 632 > 631 stops
}

TEST(HandoffMessage, TextIsTheExactJsonObject) {
    wchar_t message[kHandoffMessageCapacity];
    int n = FormatHandoffMessage(message, kHandoffMessageCapacity, L"audio-1-5000.m4a", L"Q \\\"1\\\".m4a");
    EXPECT_STREQ(message,
                 L"{\"type\":\"notafon-audio\",\"url\":\"https://handoff.notafon.example/audio-1-5000.m4a\","
                 L"\"name\":\"Q \\\"1\\\".m4a\"}");
    EXPECT_EQ(n, static_cast<int>(wcslen(message)));
    // The longest name and copy name still fit the 1400-character text.
    std::wstring longest(kEscapedNameMax, L'x');
    EXPECT_GT(
        FormatHandoffMessage(message, kHandoffMessageCapacity, L"audio-4294967295-4294967295.abcdef", longest.c_str()),
        0);
}

TEST(ServiceAddress, PanelAndFallbackShareTheServiceAndDifferInTheQuery) {
    wchar_t panel[512], fallback[512];
    ServicePanelAddress(panel, 512);
    ServiceFallbackAddress(fallback, 512);
    std::wstring p = panel, f = fallback;
    const std::wstring panelQuery = L"/?app=notafon", fallbackQuery = L"/?utm_source=notafon";
    ASSERT_GT(p.size(), panelQuery.size());
    ASSERT_GT(f.size(), fallbackQuery.size());
    EXPECT_EQ(p.substr(p.size() - panelQuery.size()), panelQuery);
    EXPECT_EQ(f.substr(f.size() - fallbackQuery.size()), fallbackQuery);
    EXPECT_EQ(p.substr(0, p.size() - panelQuery.size()), f.substr(0, f.size() - fallbackQuery.size()));
    EXPECT_EQ(p.compare(0, 8, L"https://"), 0);
}

}  // namespace

TEST(HandoffRequestName, DecodesPercentEscapesAsUtf8AndRefusesPathsAndBadEscapes) {
    wchar_t name[64];
    const wchar_t* host = L"handoff.notafon.example";
    EXPECT_EQ(HandoffRequestName(L"https://handoff.notafon.example/audio-1-2.w%C3%A4v", host, name, 64), 13);
    EXPECT_STREQ(name, L"audio-1-2.w\x00E4v");
    EXPECT_EQ(HandoffRequestName(L"https://handoff.notafon.example/a%20b#frag", host, name, 64), 3);
    EXPECT_STREQ(name, L"a b");
    EXPECT_EQ(HandoffRequestName(L"https://handoff.notafon.example/%F0%9F%8E%A4", host, name, 64),
              2);  // a surrogate pair
    EXPECT_EQ(name[0], static_cast<wchar_t>(0xD83C));
    const wchar_t* refused[] = {
        L"https://handoff.notafon.example/%C3",     // a cut sequence
        L"https://handoff.notafon.example/%E4x",    // a lone lead byte
        L"https://handoff.notafon.example/%zz",     // not hex
        L"https://handoff.notafon.example/a%2Fb",   // a separator once decoded
        L"https://handoff.notafon.example/a%00b",   // a terminator once decoded
        L"https://handoff.notafon.example.evil/a",  // another host
        L"http://handoff.notafon.example/a",        // another scheme
        L"https://handoff.notafon.example/a/b",     // below the folder
    };
    for (const wchar_t* uri : refused) EXPECT_EQ(HandoffRequestName(uri, host, name, 64), -1) << uri;
    EXPECT_EQ(HandoffRequestName(L"https://handoff.notafon.example/abcdef", host, name, 4), -1);  // does not fit
}
