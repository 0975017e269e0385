// Recording names: the safe name, numbering against existing files, the marks path; the marks file's lines.
#include "recorder/recording_names.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "support/test_host.h"

namespace {

std::wstring Sanitized(const std::wstring& box) {
    wchar_t out[kFileNameMaxKept + 1];
    sanitizeRecordingName(box.c_str(), out, kFileNameMaxKept + 1);
    return out;
}

std::set<std::wstring> existing;
bool ExistsInSet(const wchar_t* path) {
    return existing.count(path) > 0;
}

const std::wstring kSep(1, kPathSeparator);

struct Paths {
    std::wstring recording, marks;
    int result;
};

Paths Build(const std::wstring& box, const wchar_t* ext, bool replace, const std::wstring& folder = L"F") {
    wchar_t rec[kPathCapacity], marks[kPathCapacity];
    LocalDateTime now = {2026, 12, 8, 9, 5, 3};
    int result = buildRecordingPaths(box.c_str(), folder.c_str(), ext, replace, now, ExistsInSet, rec, marks);
    return {rec, marks, result};
}

}  // namespace

TEST(RecordingName, CutsTheExtensionThenTrimsLeadingSpaces) {
    EXPECT_EQ(Sanitized(L"  My talk.MP3"), L"My talk");
    EXPECT_EQ(Sanitized(L"x .mp3"), L"x ");  // the space before a cut extension stays
    EXPECT_EQ(Sanitized(L"Lecture.Wav"), L"Lecture");
    EXPECT_EQ(Sanitized(L".wav"), L".wav");              // exactly four characters: kept
    EXPECT_EQ(Sanitized(L"song.mp3.wav"), L"song.mp3");  // only one ending is cut
}

TEST(RecordingName, ReplacesUnsafeCharactersWithHyphens) {
    EXPECT_EQ(Sanitized(L"a:b?c"), L"a-b-c");
    EXPECT_EQ(Sanitized(L"a\\b/c*d\"e<f>g|h"), L"a-b-c-d-e-f-g-h");
    EXPECT_EQ(Sanitized(std::wstring(L"tab\there\x1f")), L"tab-here-");
}

TEST(RecordingName, TrimsTrailingSpacesAndDots) {
    EXPECT_EQ(Sanitized(L"notes..."), L"notes");
    EXPECT_EQ(Sanitized(L"notes . . "), L"notes");
    EXPECT_EQ(Sanitized(L"..."), L"");
    EXPECT_EQ(Sanitized(L"   "), L"");
}

TEST(RecordingName, KeepsTheFirst150Characters) {
    std::wstring box(200, L'a');
    box[149] = L'b';
    box[150] = L'c';
    std::wstring name = Sanitized(box);
    ASSERT_EQ(name.size(), 150u);
    EXPECT_EQ(name.back(), L'b');
}

TEST(RecordingPaths, EmptyNameBecomesDateAndTime) {
    existing.clear();
    Paths p = Build(L"...", L"mp3", false);
    EXPECT_EQ(p.recording, L"F" + kSep + L"recording-20261208-090503.mp3");
    EXPECT_EQ(p.marks, L"F" + kSep + L"recording-20261208-090503-marks.txt");
}

TEST(RecordingPaths, NumbersPastExistingFilesAndMarksFollow) {
    existing = {L"F" + kSep + L"talk.mp3", L"F" + kSep + L"talk (2).mp3"};
    Paths p = Build(L"talk", L"mp3", false);
    EXPECT_EQ(p.recording, L"F" + kSep + L"talk (3).mp3");
    EXPECT_EQ(p.marks, L"F" + kSep + L"talk (3)-marks.txt");
    // Another extension is another file.
    EXPECT_EQ(Build(L"talk", L"wav", false).recording, L"F" + kSep + L"talk.wav");
}

TEST(RecordingPaths, ReplaceKeepsTheNameEvenWhenItExists) {
    existing = {L"F" + kSep + L"talk.mp3"};
    Paths p = Build(L"talk", L"mp3", true);
    EXPECT_EQ(p.recording, L"F" + kSep + L"talk.mp3");
    EXPECT_EQ(p.marks, L"F" + kSep + L"talk-marks.txt");
}

TEST(RecordingPaths, StopsAt999WhenEveryNumberIsTaken) {
    existing = {L"F" + kSep + L"t.wav"};
    for (int n = 2; n <= 999; ++n) existing.insert(L"F" + kSep + L"t (" + std::to_wstring(n) + L").wav");
    Paths p = Build(L"t", L"wav", false);
    EXPECT_EQ(p.recording, L"F" + kSep + L"t (999).wav");
    existing.erase(L"F" + kSep + L"t (500).wav");
    EXPECT_EQ(Build(L"t", L"wav", false).recording, L"F" + kSep + L"t (500).wav");
}

TEST(RecordingPaths, APathThatWouldBeCutIsRefused) {
    existing.clear();
    // 140 + 1 + 120 characters: cut at 259, the recording and the marks path came out as one string.
    Paths p = Build(std::wstring(120, L'n'), L"mp3", false, std::wstring(140, L'f'));
    EXPECT_EQ(p.result, -1);
    EXPECT_LT(Build(std::wstring(150, L'n'), L"mp3", false, std::wstring(200, L'f')).result, 0);
    // The marks path is the longer one and decides: folder + 1 + name + "-marks.txt" (10) may reach 259, not 260.
    std::wstring folder(259 - 1 - 10 - 100, L'f');
    p = Build(std::wstring(100, L'n'), L"mp3", false, folder);
    EXPECT_EQ(p.result, 0);
    EXPECT_EQ(p.marks.size(), 259u);
    EXPECT_EQ(p.recording.size(), 259u - 6u);  // ".mp3" (4) in place of "-marks.txt" (10)
    EXPECT_NE(p.recording, p.marks);
    EXPECT_EQ(Build(std::wstring(101, L'n'), L"mp3", false, folder).result, -1);
    // Numbering can push a name that fitted past the limit.
    existing = {folder + kSep + std::wstring(100, L'n') + L".mp3"};
    EXPECT_EQ(Build(std::wstring(100, L'n'), L"mp3", false, folder).result, -1);
}

TEST(RecordingPaths, AMarksFileOfTheOtherFormatCountsAsTaken) {
    existing = {L"F" + kSep + L"talk.wav", L"F" + kSep + L"talk-marks.txt"};
    Paths p = Build(L"talk", L"mp3", false);
    EXPECT_EQ(p.recording, L"F" + kSep + L"talk (2).mp3");
    EXPECT_EQ(p.marks, L"F" + kSep + L"talk (2)-marks.txt");
    // A marks file alone (its recording deleted) still holds the name.
    existing = {L"F" + kSep + L"talk-marks.txt", L"F" + kSep + L"talk (2)-marks.txt"};
    EXPECT_EQ(Build(L"talk", L"mp3", false).recording, L"F" + kSep + L"talk (3).mp3");
    // Replace keeps the name: the old marks file is overwritten only when the new recording has marks.
    EXPECT_EQ(Build(L"talk", L"mp3", true).recording, L"F" + kSep + L"talk.mp3");
}

TEST(RecordingPaths, WindowsDeviceNamesGetAHyphen) {
    existing.clear();
    const struct {
        const wchar_t* box;
        const wchar_t* file;
    } cases[] = {
        {L"nul", L"nul-.wav"},
        {L"NUL", L"NUL-.wav"},
        {L"con", L"con-.wav"},
        {L"Prn", L"Prn-.wav"},
        {L"aux", L"aux-.wav"},
        {L"com1", L"com1-.wav"},
        {L"COM9", L"COM9-.wav"},
        {L"lpt1", L"lpt1-.wav"},
        {L"Lpt9", L"Lpt9-.wav"},
        {L"com\u00b9", L"com\u00b9-.wav"},
        {L"nul   ", L"nul-.wav"},           // trailing spaces are trimmed first
        {L"nul...", L"nul-.wav"},           // and trailing dots
        {L"nul.wav", L"nul-.wav"},          // the extension is cut first
        {L"nul.notes", L"nul-.notes.wav"},  // a further extension still names the device
        {L"con .notes", L"con- .notes.wav"},
        {L"  aux.x.y", L"aux-.x.y.wav"},
        // Not devices: other words, other numbers, longer stems.
        {L"com0", L"com0.wav"},
        {L"com10", L"com10.wav"},
        {L"null", L"null.wav"},
        {L"nu", L"nu.wav"},
        {L"console", L"console.wav"},
        {L"my nul", L"my nul.wav"},
        {L"lpt", L"lpt.wav"},
        {L"x.nul", L"x.nul.wav"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Build(c.box, L"wav", false).recording, L"F" + kSep + c.file) << c.box;
    }
    EXPECT_EQ(Build(L"nul", L"wav", false).marks, L"F" + kSep + L"nul--marks.txt");
    // A kept name of 150 characters that names a device gains its hyphen and loses nothing.
    std::wstring longName = L"nul." + std::wstring(146, L'x');
    std::wstring expected = L"nul-." + std::wstring(146, L'x');
    EXPECT_EQ(Build(longName, L"wav", false, L"F").recording, L"F" + kSep + expected + L".wav");
}

TEST(RecordingPaths, TheReplacedFileWaitsUnderANameThatStillPlays) {
    wchar_t aside[kPathCapacity];
    std::wstring path = L"F" + kSep + L"talk.mp3";
    ASSERT_EQ(buildReplacedPath(path.c_str(), aside), 0);
    EXPECT_EQ(std::wstring(aside), L"F" + kSep + L"talk (replaced).mp3");
    std::wstring longPath = std::wstring(250, L'f') + L".wav";
    EXPECT_EQ(buildReplacedPath(longPath.c_str(), aside), -1);
}

TEST(MarkLine, WholeSecondsAsMinutesAndSeconds) {
    char line[64];
    formatMarkLine(1, 125.9, line, sizeof line);
    EXPECT_STREQ(line, "Mark 1  02:05\r\n");
    formatMarkLine(3, 4500.0, line, sizeof line);
    EXPECT_STREQ(line, "Mark 3  75:00\r\n");  // minutes are not folded into hours
    formatMarkLine(12, 6000.4, line, sizeof line);
    EXPECT_STREQ(line, "Mark 12  100:00\r\n");
    formatMarkLine(1, 0.0, line, sizeof line);
    EXPECT_STREQ(line, "Mark 1  00:00\r\n");
}

TEST(MarksFile, OneLinePerMarkAndAnOlderFileIsOverwritten) {
    auto folder = makeTestFolder("marks");
    auto path = folder / "x-marks.txt";
    {
        std::vector<short> junk(5000, 7);
        writeMonoWav(path, 8000, junk);  // something long in the way
    }
    double times[] = {1.5, 61.0, 3599.99};
    ASSERT_EQ(writeMarksFile(&kPlatformFiles, path.wstring().c_str(), times, 3, true), Outcome::kOk);
    auto bytes = readAllBytes(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "Mark 1  00:01\r\nMark 2  01:01\r\nMark 3  59:59\r\n");
    EXPECT_EQ(writeMarksFile(&kPlatformFiles, (folder / "missing" / "m.txt").wstring().c_str(), times, 3, true),
              Outcome::kCreateFailed);
    std::filesystem::remove_all(folder);
}

// The marks path a recording has is the one its start built, for every name a start can make.
TEST(MarksPathFor, MatchesThePathsBuiltAtStart) {
    const LocalDateTime now = {2026, 3, 4, 5, 6, 7};
    auto none = [](const wchar_t*) { return false; };
    for (const wchar_t* box : {L"talk", L"talk.notes", L"", L"nul"}) {
        wchar_t recording[kPathCapacity], marks[kPathCapacity], derived[kPathCapacity];
        ASSERT_EQ(buildRecordingPaths(box, L"C:\\Rec.d", L"mp3", false, now, none, recording, marks), 0);
        ASSERT_EQ(marksPathFor(recording, derived), 0);
        EXPECT_STREQ(derived, marks);
    }
    wchar_t out[kPathCapacity];
    // A dot in the folder is not the recording's extension.
    EXPECT_EQ(marksPathFor(L"C:\\Rec.d\\noextension", out), -1);
}
