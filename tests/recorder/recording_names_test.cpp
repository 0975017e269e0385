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
};

Paths Build(const std::wstring& box, const wchar_t* ext, bool replace, const std::wstring& folder = L"F") {
    wchar_t rec[kPathCapacity], marks[kPathCapacity];
    LocalDateTime now = {2026, 12, 8, 9, 5, 3};
    buildRecordingPaths(box.c_str(), folder.c_str(), ext, replace, now, ExistsInSet, rec, marks);
    return {rec, marks};
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

TEST(RecordingPaths, OverlongFolderIsCutAtThePathCapacity) {
    existing.clear();
    Paths p = Build(std::wstring(150, L'n'), L"mp3", false, std::wstring(200, L'f'));
    EXPECT_EQ(p.recording.size(), static_cast<size_t>(kPathCapacity - 1));
    EXPECT_EQ(p.marks.size(), static_cast<size_t>(kPathCapacity - 1));
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
    ASSERT_EQ(writeMarksFile(&kPlatformFiles, path.wstring().c_str(), times, 3), 0);
    auto bytes = readAllBytes(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "Mark 1  00:01\r\nMark 2  01:01\r\nMark 3  59:59\r\n");
    EXPECT_LT(writeMarksFile(&kPlatformFiles, (folder / "missing" / "m.txt").wstring().c_str(), times, 3), 0);
    std::filesystem::remove_all(folder);
}
