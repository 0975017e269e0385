// The file-name rule and the path join that refuses to cut: the edges where a path just fits and just does not.
#include "base/file_path.h"

#include <gtest/gtest.h>

#include <wchar.h>

#include <string>

TEST(PathBaseName, TheNameAfterTheLastSeparatorOfEitherKind) {
    EXPECT_STREQ(PathBaseName(L"C:\\Rec\\a b.mp3"), L"a b.mp3");
    EXPECT_STREQ(PathBaseName(L"C:/Rec/a.mp3"), L"a.mp3");
    EXPECT_STREQ(PathBaseName(L"C:\\Rec/x\\take.v1.wav"), L"take.v1.wav");
    EXPECT_STREQ(PathBaseName(L"/home/u/talk.wav"), L"talk.wav");
    EXPECT_STREQ(PathBaseName(L"talk.wav"), L"talk.wav");  // no separator: the whole path
    EXPECT_STREQ(PathBaseName(L"C:\\Rec\\"), L"");         // a folder: no file name
    EXPECT_STREQ(PathBaseName(L""), L"");
}

TEST(PathJoin, FolderSeparatorNameAndTail) {
    wchar_t out[64];
    EXPECT_EQ(PathJoin(out, 64, L"C:\\Rec", L'\\', L"talk", L".mp3"), 0);
    EXPECT_STREQ(out, L"C:\\Rec\\talk.mp3");
    EXPECT_EQ(PathJoin(out, 64, L"/tmp", L'/', L"talk", L"-marks.txt"), 0);
    EXPECT_STREQ(out, L"/tmp/talk-marks.txt");
    EXPECT_EQ(PathJoin(out, 64, L"", L'\\', L"x", L""), 0);  // an empty folder still gets its separator
    EXPECT_STREQ(out, L"\\x");
}

TEST(PathJoin, AResultThatExactlyFitsIsKeptOneMoreIsRefusedWhole) {
    // "abc" + '\' + "de" + ".f" = 8 characters: 9 with the terminator.
    wchar_t out[16];
    EXPECT_EQ(PathJoin(out, 9, L"abc", L'\\', L"de", L".f"), 0);
    EXPECT_STREQ(out, L"abc\\de.f");
    wcscpy(out, L"stale");
    EXPECT_EQ(PathJoin(out, 8, L"abc", L'\\', L"de", L".f"), -1);
    EXPECT_STREQ(out, L"");  // never a cut path, and nothing left from before
    // The tail counts as much as the name: one character more of either is refused.
    EXPECT_EQ(PathJoin(out, 9, L"abc", L'\\', L"def", L".f"), -1);
    EXPECT_EQ(PathJoin(out, 9, L"abc", L'\\', L"de", L".fg"), -1);
    EXPECT_EQ(PathJoin(out, 9, L"abcd", L'\\', L"de", L".f"), -1);
    EXPECT_EQ(PathJoin(out, 0, L"", L'\\', L"", L""), -1);
}

TEST(PathJoin, AtTheWindowsPathLimit) {
    // 259 characters and the terminator fill a 260-character buffer, the classic Windows limit.
    std::wstring folder(250, L'f');
    wchar_t out[260];
    EXPECT_EQ(PathJoin(out, 260, folder.c_str(), L'\\', L"abcd", L".mp3"), 0);
    EXPECT_EQ(std::wstring(out), folder + L"\\abcd.mp3");
    EXPECT_EQ(PathJoin(out, 260, folder.c_str(), L'\\', L"abcde", L".mp3"), -1);
    EXPECT_STREQ(out, L"");
}
