// A folder of its own for tests of the platform's file seam, with files written through the seam and read back
// behind its back. Header only: the Windows adapter tests link none of the shared test support.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "base/file_api.h"

class FileSeam : public ::testing::Test {
  protected:
    void SetUp() override {
        std::random_device seed;
        folder = std::filesystem::temp_directory_path() / ("notafon-files-" + std::to_string(seed()));
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
