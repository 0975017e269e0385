// The Win32 file seam against another program holding a file, which the POSIX layer never meets.
#include "base/file_api.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

class FileSeamWin : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() / ("notafon-fileswin-" + std::to_string(GetCurrentProcessId()));
        std::filesystem::create_directories(folder);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    std::wstring Path(const char* name) const { return (folder / name).wstring(); }
    void Write(const char* name, const std::string& bytes) {
        FileHandle f = kNoFile;
        ASSERT_EQ(kPlatformFiles.create(Path(name).c_str(), kFileCreateAlways, kFileShareNone, &f), Outcome::kOk);
        uint32_t written = 0;
        ASSERT_EQ(kPlatformFiles.write(f, bytes.data(), static_cast<uint32_t>(bytes.size()), &written), Outcome::kOk);
        kPlatformFiles.close(f);
    }
    std::string Read(const char* name) const {
        std::ifstream in(folder / name, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    std::filesystem::path folder;
};

}  // namespace

// A program holding the name's file open without letting it be deleted (a scanner right after close) makes the move
// fail after its short retries, with both files as they were; once it lets go, the move goes through.
TEST_F(FileSeamWin, AReplacingMoveOntoAFileHeldOpenFailsAndLeavesBothAsTheyWere) {
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
