// The files the writer cannot open or write, and the name and unit of every header it writes.
// What the writer puts in a file is in the golden downloads (tests/testdata/golden).
#include "csv/DexalCSVwriter.h"
#include "csv/DexalColumnNames.h"
#include "csv/DexalCsvColumns.h"
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

TEST(ColumnNames, EveryHeaderTheWriterWritesHasOne) {
  std::vector<std::string_view> headers = {kCommonHeaders[kNominalLoadColumn]};
  const auto add = [&](const auto& columns) {
    for (const auto& column : columns) headers.push_back(column.header);
  };
  std::apply(
      [&](const auto&... rows) {
        (add(ColumnsOf(typename std::remove_cvref_t<decltype(rows)>::RecordClass(nullptr))), ...);
      },
      kDexalTestTypeRows);
  add(PulseColumns(kDefibPulse));
  add(PulseColumns(kPacerPulse));
  for (const std::string_view header : headers)
    EXPECT_NE(ColumnNameFromHeader(header), nullptr) << header;
  EXPECT_EQ(headers.size(), 49u);  // the same header in several test types counts each time
  testing::ExpectEachRow("csv/column-names.txt", 2, [](const auto& cells) {
    const DexalColumnName* column = ColumnNameFromHeader(cells[0]);
    if (column == nullptr) return std::string("(not a measurement)");
    const std::string unit =
        column->unitInCell ? std::string("the unit its cell ends with") : std::string(column->unit);
    return std::string(column->name) + (unit.empty() ? "" : " in " + unit);
  });
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
