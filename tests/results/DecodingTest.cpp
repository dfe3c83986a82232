// Result segments through CreateResult and the record decoder; compressed sample blocks and the
// pulse profile: against the case tables under tests/testdata/results, and sample blocks also
// against the tester's own compressor. What a decoded record holds is in the golden downloads.

#include <cstdio>
#include <random>
#include <stdexcept>
#include <typeinfo>

#include "results/CreateResult.h"
#include "results/DexalProfile.h"
#include "results/DexalResultDecoder.h"
#include "results/FieldReaders.h"
#include "results/SampleDecoder.h"
#include "tester/PulseShapes.h"
#include "tester/SampleCompressor.h"
#include "tests/support/Testing.h"

namespace Dexal {
namespace {

using namespace testing;

// The message of the runtime_error `action` throws, as the tables spell it: a std::out_of_range
// (a read past the end of a block) as "out_of_range: " and its message.
template <class Action>
std::string Thrown(Action&& action) {
  return MessageOf<std::runtime_error>([&] {
    try {
      action();
    } catch (const std::out_of_range& e) {
      if (typeid(e) != typeid(std::out_of_range)) throw;
      throw std::runtime_error(std::string("out_of_range: ") + e.what());
    }
  });
}

// The message of decoding the two segments.
std::string DecodeMessage(const ByteVector& criteria, const ByteVector& data) {
  DexalCmdResultData result(nullptr, "T1");
  result.criteriaSegment = criteria;
  result.dataSegment = data;
  return Thrown([&] {
    const std::unique_ptr<DexalResult> record = CreateResult(&result);
    if (!record) throw std::runtime_error("(no record)");
    DexalResultDecoder decoder;
    if (!record->accept(decoder)) throw std::runtime_error("(refused)");
  });
}

TEST(Decoding, EachSegmentGivesItsMessage) {
  testing::ExpectEachRow("results/decoding.txt", 3, [](const auto& cells) {
    return DecodeMessage(BytesFromHex(cells[0]), BytesFromHex(cells[1]));
  });
}

TEST(Decoding, EachTestTypeTakesExactlyItsTags) {
  testing::ForEachRow("results/data_tags.txt", 3, [&](const std::vector<std::string>& cells) {
    const ByteVector criteria = BytesFromHex("06 01" + cells[0].substr(2));
    const std::string taken = " " + cells[2] + " ";
    for (int tag = 0; tag <= 0x30; ++tag) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%02X", tag);
      // Eight zero bytes every reader can take; for 0x19 a block of ten zero samples.
      const std::string value = tag == 0x19 ? " 03 00 00 0A" : " 08 00 00 00 00 00 00 00 00";
      const ByteVector data = BytesFromHex(hex + value);
      const bool accepted = taken.find(" " + std::string(hex) + " ") != std::string::npos;
      EXPECT_EQ(
          DecodeMessage(criteria, data),
          accepted ? "(nothing thrown)" : "Unexpected data. Tag not recognised in " + cells[1])
          << "tag " << hex;
    }
    EXPECT_EQ(DecodeMessage(criteria, {0x11}), "Failed to read a data Tag in " + cells[1]);
  });
}

TEST(TagFromVector, ReadsTwoVarintsOfAtMostSixBytes) {
  testing::ExpectEachRow("results/varints.txt", 4, [](const auto& cells) {
    std::size_t cursor = 0;
    std::uint32_t tag = 0, length = 0;
    if (!TagFromVector(BytesFromHex(cells[0]), cursor, tag, length)) return std::string("fails");
    EXPECT_EQ(std::to_string(tag) + " " + std::to_string(length), cells[1] + " " + cells[2]);
    return std::to_string(cursor);
  });
}

// The tester's fields are the wall-clock time where the download runs: in London's summer its
// 14:30 is 13:30 UTC, so the file shows the 14:30 the tester showed.
TEST(DateTimeFromVector, TakesTheFieldsAsWallClockTime) {
  const ByteVector june = BytesFromHex("DC 07 06 0F 0E 1E 00 00");
  {
    const testing::ScopedTimeZone utc("UTC0");
    EXPECT_EQ(DateTimeFromVector(june, 0), 1339770600);
  }
#ifndef _WIN32
  const testing::ScopedTimeZone london("Europe/London");
  EXPECT_EQ(DateTimeFromVector(june, 0), 1339770600 - 3600);
#endif
}

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
  testing::ExpectEachRow("results/samples.txt", 2, [](const auto& cells) {
    std::optional<SampleArray> samples;
    const std::string thrown = Thrown([&] { samples = Decoded(BytesFromHex(cells[0])); });
    if (thrown != "(nothing thrown)") return thrown;
    return !samples ? "none" : *samples == SamplesOf(cells[1]) ? cells[1] : "other samples";
  });
}

TEST(NibblesFromVector, ReadsHighNibbleFirstWithOptionalSign) {
  const ByteVector block{0xF8, 0x0F, 0x7F, 0xFF};
  testing::ExpectEachRow("results/nibbles.txt", 4, [&](const auto& cells) {
    const auto start = static_cast<std::uint32_t>(std::stoul(cells[0]));
    std::uint32_t cursor = start;
    const int count = std::stoi(cells[1]);
    std::string value;
    const std::string thrown = Thrown([&] {
      value = std::to_string(NibblesFromVector(block, cursor, count, cells[2] == "yes"));
      EXPECT_EQ(cursor, start + static_cast<std::uint32_t>(count));
    });
    return value.empty() ? thrown : value;
  });
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
  testing::ForEachRow("results/profile.txt", 10, [&](const std::vector<std::string>& cells) {
    const auto number = [&](std::size_t cell) { return std::stof(cells[cell]); };
    DexalProfile profile(static_cast<std::uint16_t>(std::stoul(cells[0])), number(1), number(2));
    SetProfileData(profile, SamplesOf(cells[3]));
    EXPECT_EQ(profile.sampleCount, SamplesOf(cells[3]).size());
    const float worked[] = {profile.energy,      profile.maxVoltage,  profile.minVoltage,
                            profile.peakVoltage, profile.peakCurrent, profile.pulseWidth};
    for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(worked[i], number(4 + i)) << "column " << i + 5;
  });
}

}  // namespace
}  // namespace Dexal
