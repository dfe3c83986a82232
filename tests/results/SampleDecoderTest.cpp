// Compressed sample blocks and the pulse profile, against the case tables under
// tests/testdata/results, and against the tester's own compressor.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>

#include "results/DexalProfile.h"
#include "results/SampleDecoder.h"
#include "tester/PulseShapes.h"
#include "tester/SampleCompressor.h"
#include "tests/support/Bytes.h"
#include "tests/support/CaseTable.h"
#include "tests/support/Expect.h"

namespace Dexal {
namespace {

using testing::CaseRow;
using testing::ReadCaseTable;

// "100 200*3" is 100, 200, 200, 200.
SampleArray SamplesOf(const std::string& text) {
  SampleArray samples;
  std::istringstream in(text);
  for (std::string word; in >> word;) {
    const auto star = word.find('*');
    const auto count = star == std::string::npos ? 1 : std::stoul(word.substr(star + 1));
    samples.insert(samples.end(), count,
                   static_cast<std::uint16_t>(std::stoul(word.substr(0, star))));
  }
  return samples;
}

std::optional<SampleArray> Decoded(const ByteVector& block) {
  return SamplesFromVector(block, 0, static_cast<std::uint32_t>(block.size()));
}

TEST(SamplesFromVector, EachBlockGivesItsSamples) {
  for (const CaseRow& row : ReadCaseTable("results/samples.txt", 2)) {
    SCOPED_TRACE(row.where);
    const ByteVector block = testing::BytesFromHex(row.cells[0]);
    if (row.cells[1] == "subscript") {
      EXPECT_EQ(testing::MessageOf<std::out_of_range>([&] { Decoded(block); }),
                "invalid vector<T> subscript");
    } else if (row.cells[1] == "none") {
      EXPECT_FALSE(Decoded(block).has_value());
    } else {
      EXPECT_EQ(Decoded(block), SamplesOf(row.cells[1]));
    }
  }
}

TEST(NibblesFromVector, ReadsHighNibbleFirstWithOptionalSign) {
  const ByteVector block{0xF8, 0x0F, 0x7F, 0xFF};
  for (const CaseRow& row : ReadCaseTable("results/nibbles.txt", 4)) {
    SCOPED_TRACE(row.where);
    const auto start = static_cast<std::uint32_t>(std::stoul(row.cells[0]));
    std::uint32_t cursor = start;
    const int count = std::stoi(row.cells[1]);
    std::string value;
    try {
      value = std::to_string(NibblesFromVector(block, cursor, count, row.cells[2] == "yes"));
      EXPECT_EQ(cursor, start + static_cast<std::uint32_t>(count));
    } catch (const std::out_of_range& e) {
      value = e.what();
    }
    EXPECT_EQ(value, row.cells[3]);
  }
}

// Every mode the compressor can hold each sequence in, back through the decoder. The noisy
// pulse needs four-nibble differences: its block is past 32 KiB, beyond a 16-bit nibble cursor.
TEST(SamplesFromVector, DecodesWhatTheTestersCompressorWrites) {
  std::mt19937 rng(5);
  SampleArray noisy = BiphasicDefibPulse(200.0, PulseCalibration{});
  for (std::uint16_t& sample : noisy) sample = static_cast<std::uint16_t>(sample + rng() % 12001);
  SampleArray walk(3000, 0);
  for (std::size_t i = 1; i < walk.size(); ++i) {
    walk[i] = static_cast<std::uint16_t>(walk[i - 1] + rng() % 40001 - 20000);
  }
  const SampleArray sequences[] = {BiphasicDefibPulse(360.0, PulseCalibration{}),
                                   PacerPulse(20.0, 70.0, PulseCalibration{100, 0.001f, 50.0f}),
                                   SampleArray(4097, 1234),
                                   SampleArray(10, 0),
                                   walk,
                                   noisy};
  for (const SampleArray& samples : sequences) {
    for (const SampleMode mode : {SampleMode::Zeros, SampleMode::FirstDifference,
                                  SampleMode::SecondDifference, SampleMode::Interpolated}) {
      const std::optional<ByteVector> block = CompressSamples(samples, mode);
      if (block) {
        EXPECT_EQ(Decoded(*block), samples) << static_cast<int>(mode);
      }
    }
  }
  EXPECT_GT(CompressSamples(noisy, SampleMode::FirstDifference)->size(), 32768u);
}

TEST(AnalyseProfile, EachPulseGivesItsWorkedValues) {
  for (const CaseRow& row : ReadCaseTable("results/profile.txt", 10)) {
    SCOPED_TRACE(row.where);
    const auto number = [&](int cell) { return std::stof(row.cells[cell]); };
    DexalProfile profile(static_cast<std::uint16_t>(std::stoul(row.cells[0])), number(1),
                         number(2));
    SetProfileData(profile, SamplesOf(row.cells[3]));
    EXPECT_EQ(profile.sampleCount, SamplesOf(row.cells[3]).size());
    EXPECT_EQ(profile.energy, number(4));
    EXPECT_EQ(profile.maxVoltage, number(5));
    EXPECT_EQ(profile.minVoltage, number(6));
    EXPECT_EQ(profile.peakVoltage, number(7));
    EXPECT_EQ(profile.peakCurrent, number(8));
    EXPECT_EQ(profile.pulseWidth, number(9));
  }
  DexalProfile empty(0, 1.0f, 50.0f);
  EXPECT_EQ(testing::MessageOf<std::runtime_error>([&] { SetProfileData(empty, {}); }),
            "Sample Count zero when setting profile data");
}

}  // namespace
}  // namespace Dexal
