// The files the writer cannot open or write. What the writer puts in a file is in the golden
// downloads (tests/testdata/golden).
#include "csv/DexalCSVwriter.h"
#include "tests/support/Testing.h"

namespace Dexal {
namespace {

namespace fs = std::filesystem;
using testing::MessageOf;

std::string OpenWriter(const std::wstring& path) {
  return MessageOf<std::runtime_error>([&] { DexalCSVwriter writer(path, false); });
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
