// The output file itself: truncation, and the files the writer cannot open or write. What the
// writer puts in a file is in the golden downloads (tests/testdata/golden).
#include "csv/DexalCSVwriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/Expect.h"
#include "tests/support/TestFiles.h"

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

namespace Dexal {
namespace {

namespace fs = std::filesystem;
using testing::MessageOf;
using testing::ReadFileBytes;

std::string OpenWriter(const std::wstring& path) {
  return MessageOf<std::runtime_error>([&] { DexalCSVwriter writer(path, false); });
}

TEST(CsvFile, TruncationEmptiesWhatOpeningKept) {
  const testing::TempDir dir;
  const fs::path path = dir / "out.csv";
  testing::WriteFileBytes(path, "old\r\n");
  DexalCSVwriter writer(path.wstring(), false);
  EXPECT_EQ(ReadFileBytes(path), "old\r\n");
  writer.TruncateFile();
  EXPECT_EQ(ReadFileBytes(path), "");
  // The name is now a folder: nothing can be truncated there.
  fs::remove(path);
  fs::create_directory(path);
  EXPECT_EQ(MessageOf<std::runtime_error>([&] { writer.TruncateFile(); }),
            "Could not truncate file\n" + path.string());
}

TEST(CsvFile, PathsThatCannotBeOpenedNameThemselvesInUtf8) {
  const testing::TempDir dir;
  const fs::path folder = dir / "folder";
  fs::create_directory(folder);
  const fs::path file = dir / "file.csv";
  testing::WriteFileBytes(file, "x");
  const std::string prefix = "Could not open file for appending\n";
  EXPECT_EQ(OpenWriter(folder.wstring()), prefix + folder.string());
  EXPECT_EQ(OpenWriter((file / "x.csv").wstring()), prefix + (file / "x.csv").string());
  // A name the C locale cannot spell: the message still has it, in UTF-8.
  EXPECT_EQ(OpenWriter(dir.Path().wstring() + L"/m\u00e9t\u00e9o/x.csv"),
            prefix + dir.Path().string() + "/m\xc3\xa9t\xc3\xa9o/x.csv");
  EXPECT_FALSE(fs::exists(dir.Path() / u8"m\u00e9t\u00e9o"));
}

#ifndef _WIN32
// Root writes to read-only files, and the tests run as root in CI: the writer runs in a child
// that has become the user nobody, and reports what it got through a pipe. A writable file in
// the same folder shows that only the file's mode stops it.
TEST(CsvFile, ReadOnlyFileIsRefusedAndKept) {
  const testing::TempDir dir;
  const fs::path readOnly = dir / "read-only.csv";
  const fs::path writable = dir / "writable.csv";
  testing::WriteFileBytes(readOnly, "kept\r\n");
  testing::WriteFileBytes(writable, "");
  fs::permissions(dir.Path(), fs::perms::all);
  fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  fs::permissions(writable, fs::perms::all);
  const std::string report = testing::TextFromChild([&] {
    const passwd* nobody = getpwnam("nobody");
    if (geteuid() == 0 &&
        (nobody == nullptr || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)) {
      return std::string("(cannot become nobody)");
    }
    return OpenWriter(readOnly.wstring()) + '|' + OpenWriter(writable.wstring());
  });
  EXPECT_EQ(report,
            "Could not open file for appending\n" + readOnly.string() + "|(nothing thrown)");
  EXPECT_EQ(ReadFileBytes(readOnly), "kept\r\n");
}

TEST(CsvFile, FailedWriteHasItsMessage) {
  DexalCSVwriter writer(L"/dev/full", false);
  EXPECT_EQ(MessageOf<std::runtime_error>([&] {
              writer.WriteTesterHeader(DexalTesterInfo{"T1", 0, "1.0"});
            }),
            "Could not write to file\n/dev/full");
}
#endif

}  // namespace
}  // namespace Dexal
