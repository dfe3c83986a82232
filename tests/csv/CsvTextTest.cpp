// The number formats against tests/testdata/csv/number_formats.txt, the general format of the
// graph lines also against the standard library's to_chars(general, 6) over the values a
// download writes and random values of every size; the CSV reader over the case tables in
// tests/testdata/csv-reader, in blocks of every size, and over long files made as it reads; the
// writer's messages for files it cannot open or write; the name and unit of every header the
// writer writes.

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <random>

#include "csv/DexalCSVreader.h"
#include "csv/DexalCSVwriter.h"
#include "csv/DexalColumnNames.h"
#include "csv/DexalCsvColumns.h"
#include "csv/DexalCsvError.h"
#include "csv/DexalNumberFormat.h"
#include "tests/support/CsvShorthand.h"
#include "tests/support/Testing.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace Dexal {
namespace {

// "0.15f" is the float 0.15 widened; "0.0025f*1000" is that times 1000 in double.
double ValueOf(std::string text) {
  double factor = 1.0;
  if (const auto star = text.find('*'); star != std::string::npos) {
    factor = std::strtod(text.c_str() + star + 1, nullptr);
    text.resize(star);
  }
  const double value = text.back() == 'f' ? static_cast<double>(std::strtof(text.c_str(), nullptr))
                                          : std::strtod(text.c_str(), nullptr);
  return value * factor;
}

TEST(NumberFormats, EachValueGivesItsText) {
  const std::map<std::string, std::function<std::string(double)>> formats{
      {"fixed 0", [](double v) { return FormatFixed(v, 0); }},
      {"fixed 1", [](double v) { return FormatFixed(v, 1); }},
      {"fixed 2", [](double v) { return FormatFixed(v, 2); }},
      {"add half", FormatIntegerAddHalf},
      {"away", FormatIntegerAwayFromZero},
      {"general", FormatGeneral}};
  testing::ExpectEachRow("csv/number_formats.txt", 3, [&](const auto& cells) {
    return formats.at(cells[0])(ValueOf(cells[1]));
  });
}

TEST(GeneralFormat, AgreesWithTheStandardLibrary) {
  std::vector<double> values;
  for (int i = 0; i < 31250; ++i) values.push_back(static_cast<double>(i) * 4e-06 * 1000);
  for (const float scale : {0.001f, 0.0123f, 0.5f, 1.7f, 0.0000371f}) {
    for (int d = -32768; d < 32768; ++d) {
      const double volts = static_cast<double>(static_cast<float>(static_cast<float>(d) * scale));
      for (const double load : {50.0, 37.5}) {
        values.insert(values.end(), {volts, volts / load, volts * 1000.0, volts / load * 1000.0});
      }
    }
  }
  std::mt19937_64 random(2026);
  std::uniform_real_distribution<double> exponent(-7.0, 8.0);
  for (int i = 0; i < 400000; ++i)
    values.push_back(std::pow(10.0, exponent(random)) * (i % 2 ? -1 : 1));
  values.insert(values.end(), {0.0, -0.0, 1e-4, 0.00009999995, 999999.5, 999999.49999, 123456.5,
                               0.1234565, 2.5, 1e5, 1e6});
  int wrong = 0;
  for (const double value : values) {
    char text[64];
    const std::string library(
        text, std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6).ptr);
    if (FormatGeneral(value) != library && ++wrong <= 5) {
      ADD_FAILURE() << "value " << value << " gives " << FormatGeneral(value) << ", not "
                    << library;
    }
  }
  EXPECT_EQ(wrong, 0);
}

using testing::CsvFromShorthand;
using testing::MessageOf;
using testing::ReplaceAll;

std::string PointText(const DexalCsvPoint& p) {
  char text[96];
  std::snprintf(text, sizeof text, "(%g %g %g)", p.timeMs, p.current, p.voltage);
  return text;
}

std::string Described(const DexalCsvFile& file) {
  std::string out = file.testerSerial + " " + file.serviceDate;
  for (const DexalCsvSection& section : file.sections) {
    out += " @" + std::to_string(section.line) + " ";
    for (const std::string& cell : section.values) out += "[" + cell + "]";
    if (!section.graphHeaders.empty()) {
      out += " graph=" + section.graphHeaders[1] + " " + std::to_string(section.points.size());
      if (!section.points.empty()) {
        out += " " + PointText(section.points.front()) + " " + PointText(section.points.back());
      }
    }
  }
  return out;
}

// What `read` gives, or the message of the reader's refusal.
template <class Read>
std::string Outcome(Read read) {
  std::string described;
  const std::string message = MessageOf<DexalCsvError>([&] { described = Described(read()); });
  return message == "(nothing thrown)" ? described : message;
}

// What each file reads as, or the message of its refusal; the same when the file comes in small
// blocks, so that lines, cells, quotes and line ends straddle them.
TEST(CsvReader, ReadsTheFilesThisProgramWritesAndRefusesOthers) {
  for (const char* table : {"csv-reader/files.txt", "csv-reader/bad-files.txt"}) {
    testing::ExpectEachRow(table, 2, [](const auto& cells) {
      const auto inBlocks = [text = CsvFromShorthand(cells[0])](std::size_t block) {
        return Outcome([&] { return CsvFileFromText(text, "results.csv", block); });
      };
      std::string outcome = inBlocks(DexalCSVreader::kBlockBytes);
      for (const std::size_t block : {1, 2, 3, 7})
        if (inBlocks(block) != outcome) outcome += ", not so in blocks of " + std::to_string(block);
      return outcome;
    });
  }
}

// A file of 1 GiB made as it is read: `start`, then `repeated` again and again.
struct RepeatedText final : CsvByteSource {
  RepeatedText(std::string s, std::string r) : start(std::move(s)), repeated(std::move(r)) {}
  std::size_t Read(char* into, std::size_t most) override {
    std::size_t n = 0;
    for (; n < most && handedOut < (std::size_t{1} << 30); ++n, ++handedOut) {
      const std::size_t i = handedOut;
      into[n] = i < start.size() ? start[i] : repeated[(i - start.size()) % repeated.size()];
    }
    return n;
  }
  std::string start, repeated;
  std::size_t handedOut = 0;
};

// The reader takes no more of a file than the sections asked for and a block or two.
TEST(CsvReader, ReadsAsItGoes) {
  std::string section = CsvFromShorthand("$C\r\n$V\r\nTime (ms),Current (A),Voltage (V)\r\n");
  for (int i = 0; i < 1000; ++i) section += "0.004,30,1500\r\n";
  auto source = std::make_unique<RepeatedText>(CsvFromShorthand("$T"), section + "\r\n");
  const RepeatedText& file = *source;
  DexalCSVreader reader(std::move(source), "big.csv", DexalCSVreader::kBlockBytes);
  DexalCsvSection read;
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(reader.NextSection(read) && read.points.size() == 1000);
  EXPECT_LE(file.handedOut, 3 * section.size() + 2 * DexalCSVreader::kBlockBytes);
}

// The files the writer cannot open or write. What the writer puts in a file is in the golden
// downloads (tests/testdata/golden).
namespace fs = std::filesystem;

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
// Each kind of input, read from its path, as csv-reader/inputs.txt says.
TEST(CsvReader, ReadsFilesAndPipesAndRefusesFoldersAndDevices) {
  testing::ExpectEachRow("csv-reader/inputs.txt", 3, [](const auto& cells) {
    const testing::TempDir dir;
    const std::string bytes =
        ReplaceAll(CsvFromShorthand(cells[1]), "$X", std::string(1 << 20, 'x'));
    std::filesystem::path path = dir / "results.csv";
    if (cells[0] == "file") testing::WriteFileBytes(path, bytes);
    if (cells[0] == "folder") std::filesystem::create_directory(path);
    if (cells[0] == "device") path = "/dev/null";
    int ends[2] = {-1, -1};  // a pipe holding the whole text, opened by its name in /proc
    if (cells[0] == "pipe" && pipe(ends) == 0 && write(ends[1], bytes.data(), bytes.size()) > 0) {
      path = "/proc/self/fd/" + std::to_string(ends[0]);
      close(ends[1]);
    }
    const std::string outcome = Outcome([&] { return ReadCsvFile(path, path.string()); });
    close(ends[0]);
    return ReplaceAll(outcome, path.string(), "NAME");
  });
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
