// The platform's file seam where the recorder leans on it to keep a recording whole: a cut to an exact size, a flush,
// a replacing move that never leaves the name empty, and opening an existing file for a mend without losing it. Runs
// on the POSIX layer natively and on the Win32 one under Wine.
#include "base/file_api.h"

#include <filesystem>

#include "base/file_seam_fixture.h"

TEST_F(FileSeam, ACutLeavesExactlyTheBytesAskedForAndWritingGoesOnFromThere) {
    Write("a.bin", "0123456789");
    FileHandle f = kNoFile;
    ASSERT_EQ(kPlatformFiles.create(Path("a.bin").c_str(), kFileOpenExisting, kFileShareNone, &f), Outcome::kOk);
    ASSERT_EQ(kPlatformFiles.setSize(f, 7), Outcome::kOk);
    uint32_t written = 0;
    ASSERT_EQ(kPlatformFiles.write(f, "xy", 2, &written), Outcome::kOk);
    EXPECT_EQ(kPlatformFiles.flush(f), Outcome::kOk);
    kPlatformFiles.close(f);
    EXPECT_EQ(Read("a.bin"), "0123456xy");
    // Opening an existing file for writing keeps what it holds; a missing one is not made.
    EXPECT_NE(kPlatformFiles.create(Path("missing.bin").c_str(), kFileOpenExisting, kFileShareNone, &f), Outcome::kOk);
    EXPECT_EQ(f, kNoFile);
    EXPECT_FALSE(std::filesystem::exists(folder / "missing.bin"));
}

TEST_F(FileSeam, AReplacingMoveTakesTheNameInOneStep) {
    Write("old.wav", "old");
    Write("take.wav", "take");
    ASSERT_EQ(kPlatformFiles.replace(Path("old.wav").c_str(), Path("take.wav").c_str()), Outcome::kOk);
    EXPECT_EQ(Read("take.wav"), "old");
    EXPECT_FALSE(std::filesystem::exists(folder / "old.wav"));
    // Onto a free name as well.
    ASSERT_EQ(kPlatformFiles.replace(Path("take.wav").c_str(), Path("free.wav").c_str()), Outcome::kOk);
    EXPECT_EQ(Read("free.wav"), "old");
    EXPECT_EQ(kPlatformFiles.replace(Path("gone.wav").c_str(), Path("free.wav").c_str()), Outcome::kWriteFailed);
    // The plain move never overwrites.
    Write("other.wav", "other");
    EXPECT_EQ(kPlatformFiles.rename(Path("other.wav").c_str(), Path("free.wav").c_str()), Outcome::kWriteFailed);
    EXPECT_EQ(Read("free.wav"), "old");
}
