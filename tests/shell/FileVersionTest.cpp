#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "shell/DialogText.h"
#include "shell/FileVersion.h"

namespace Dexal {
namespace {

std::wstring OwnPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

TEST(FileVersionTest, ReadsTheVersionBlockOfAProgram) {
  // This test program is built with version 1.2.0.7.
  const FileVersion version = FileVersionFromPath(OwnPath());
  EXPECT_EQ(version.ms, 0x00010002U);
  EXPECT_EQ(version.ls, 0x00000007U);
  EXPECT_EQ(TitleLineFromFileVersion(version.ms, version.ls),
            L"Dexal CSV downloader v1.2.0.7 beta");
}

TEST(FileVersionTest, AFileWithoutVersionBlockGivesZero) {
  wchar_t folder[MAX_PATH] = {};
  ASSERT_NE(GetTempPathW(MAX_PATH, folder), 0U);
  const std::wstring path = std::wstring(folder) + L"dexal-no-version.txt";
  { std::ofstream(std::filesystem::path(path)) << "not a program\n"; }
  const FileVersion version = FileVersionFromPath(path);
  DeleteFileW(path.c_str());
  EXPECT_EQ(version.ms, 0U);
  EXPECT_EQ(version.ls, 0U);
  EXPECT_EQ(TitleLineFromFileVersion(version.ms, version.ls), L"Dexal CSV downloader v0.0");
}

TEST(FileVersionTest, AMissingFileGivesZero) {
  const FileVersion version = FileVersionFromPath(L"Z:\\no\\such\\folder\\program.exe");
  EXPECT_EQ(version.ms, 0U);
  EXPECT_EQ(version.ls, 0U);
}

}  // namespace
}  // namespace Dexal
