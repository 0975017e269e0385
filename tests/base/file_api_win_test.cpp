// The Win32 file seam against another program holding a file, which the POSIX layer never meets.
#include "base/file_api.h"

#include <windows.h>

#include <filesystem>

#include "base/file_seam_fixture.h"

// A program holding the name's file open without letting it be deleted (a scanner right after close) makes the move
// fail after its short retries, with both files as they were; once it lets go, the move goes through.
TEST_F(FileSeam, AReplacingMoveOntoAFileHeldOpenFailsAndLeavesBothAsTheyWere) {
    Write("old.wav", "old");
    Write("take.wav", "take");
    HANDLE held = CreateFileW(Path("take.wav").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(kPlatformFiles.replace(Path("old.wav").c_str(), Path("take.wav").c_str()), Outcome::kWriteFailed);
    EXPECT_EQ(Read("old.wav"), "old");
    CloseHandle(held);
    EXPECT_EQ(Read("take.wav"), "take");
    EXPECT_EQ(kPlatformFiles.replace(Path("old.wav").c_str(), Path("take.wav").c_str()), Outcome::kOk);
    EXPECT_EQ(Read("take.wav"), "old");
}
