// Writes the seed corpora of fuzz_result_decoder and fuzz_sample_decoder into the given corpus
// folder: sample blocks of every mode and their known failures, and result blocks of every test
// type with their malformed neighbours. Usage: dexal_results_seeds fuzz/corpus
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "tester/PulseShapes.h"
#include "tester/SampleCompressor.h"
#include "tester/SegmentWriter.h"

namespace {

using namespace Dexal;
using Samples = std::vector<std::uint16_t>;
namespace fs = std::filesystem;

void Save(const fs::path& folder, const std::string& name, const ByteVector& bytes) {
  std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + (folder / name).string());
}

Samples Walk(std::mt19937& rng, std::size_t count, int maxStep) {
  Samples samples;
  int value = 30000;
  std::uniform_int_distribution<int> step(-maxStep, maxStep);
  for (std::size_t i = 0; i < count; ++i) {
    samples.push_back(static_cast<std::uint16_t>(value));
    value = std::min(65535, std::max(0, value + step(rng)));
  }
  return samples;
}

ByteVector Mode(const Samples& samples, SampleMode mode) {
  std::optional<ByteVector> block = CompressSamples(samples, mode);
  if (!block) throw std::runtime_error("mode cannot hold the seed samples");
  return *block;
}

void SampleSeeds(const fs::path& folder) {
  // The worked examples of each mode.
  Save(folder, "mode1-ramp", {0x01, 0x00, 0x0A, 0x01, 0x00, 0x49, 5, 5, 5, 5, 5, 5, 5, 5, 5});
  Save(folder, "mode2-ramp", {0x02, 0x00, 0x0A, 0x01, 0x00, 0x49, 5, 5, 5, 5, 5, 5, 5, 5, 5});
  Save(folder, "mode2-carry", {0x02, 0x00, 0x0A, 0x01, 0x00, 0x04, 0x11, 0x11, 0x05, 0, 0, 0});
  Save(folder, "mode3-rise", {0x03, 0x00, 0x0A, 0x00, 0x64, 0x40, 0x25, 0x00});
  Save(folder, "mode3-truncate", {0x03, 0x00, 0x0A, 0x00, 0x64, 0x30, 0xF6, 0x00});
  Save(folder, "mode3-wide", {0x03, 0x00, 0x0A, 0x00, 0x64, 0x27, 0xFF, 0x74, 0x01});
  Save(folder, "mode0-ten", {0x00, 0x00, 0x0A});
  Save(folder, "mode-unknown", {0x7F, 0x00, 0x20, 0x12, 0x34});
  // Run length 0 with a one-nibble width: a run of 16, then one more sample.
  ByteVector sixteen{0x01, 0x00, 0x12, 0x00, 0x00, 0x00};
  for (int i = 0; i < 8; ++i) sixteen.push_back(0x11);
  sixteen.insert(sixteen.end(), {0x01, 0x10});
  Save(folder, "run-sixteen", sixteen);
  // Counts just outside the range, a block cut short and one that overruns its count.
  Save(folder, "count-9", {0x01, 0x00, 0x09, 0x01, 0x00, 0x08, 1, 1, 1, 1, 1, 1, 1, 1});
  Save(folder, "count-31251", {0x00, 0x7A, 0x13});
  Save(folder, "cut-short", {0x01, 0x00, 0x0A, 0x01, 0x00, 0x49, 5, 5, 5});
  Save(folder, "overrun", {0x01, 0x00, 0x0A, 0x01, 0x00, 0x4A, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5});

  std::mt19937 rng(2012);
  for (std::size_t n : {std::size_t{10}, std::size_t{200}, std::size_t{1500}}) {
    const Samples gentle = Walk(rng, n, 6);
    const Samples rough = Walk(rng, n, 3000);
    const std::string at = std::to_string(n);
    Save(folder, "walk-gentle-mode1-" + at, Mode(gentle, SampleMode::FirstDifference));
    Save(folder, "walk-gentle-mode2-" + at, Mode(gentle, SampleMode::SecondDifference));
    Save(folder, "walk-gentle-mode3-" + at, Mode(gentle, SampleMode::Interpolated));
    Save(folder, "walk-rough-mode1-" + at, Mode(rough, SampleMode::FirstDifference));
    Save(folder, "walk-rough-smallest-" + at, CompressSmallest(rough));
  }
  Save(folder, "zeros-smallest-3000", CompressSmallest(Samples(3000, 0)));
  Save(
      folder, "edges-mode1",
      Mode(Samples{0, 0xFFFF, 0, 0xFFFF, 1, 0xFFFE, 0, 0, 0xFFFF, 7}, SampleMode::FirstDifference));

  // Full captures as the emulator draws them.
  const PulseCalibration cal;
  Save(folder, "pulse-biphasic-full", CompressSmallest(BiphasicDefibPulse(200.0, cal)));
  Save(folder, "pulse-pacer-full", CompressSmallest(PacerPulse(20.0, 70.0, cal)));
  Save(folder, "pulse-monophasic-short", CompressSmallest(MonophasicDefibPulse(5.0, cal, 3000)));
}

// The fuzz input: the criteria length, the criteria segment, the data segment.
ByteVector Input(const ByteVector& criteria, const ByteVector& data) {
  if (criteria.size() > 255) throw std::runtime_error("criteria too long for a seed");
  ByteVector input{static_cast<std::uint8_t>(criteria.size())};
  input.insert(input.end(), criteria.begin(), criteria.end());
  input.insert(input.end(), data.begin(), data.end());
  return input;
}

ByteVector Criteria(std::uint8_t type) {
  return SegmentWriter()
      .String(1, "ICU-3, \"bay\" 2")
      .String(2, "Dexal")
      .String(3, std::string("M\0del", 5))
      .String(4, "SN-0042")
      .DateTime(5, {2012, 6, 15, 14, 30, 0})
      .Byte(6, type)
      .Byte(7, 0)
      .Data();
}

SegmentWriter Calibrated() {
  SegmentWriter w;
  w.String(0x11, "comment, with \"quotes\"").Byte(0x12, 3).Word(0x13, 32768).Float(0x14, 0.1f);
  w.Word(0x15, 50).Float(0x16, 50.0f);
  return w;
}

void ResultSeeds(const fs::path& folder) {
  std::mt19937 rng(7);
  const ByteVector pulse = CompressSmallest(Walk(rng, 400, 40));
  const auto sim = [](SegmentWriter& w) -> SegmentWriter& {
    return w.SimWaveForm(0x17, 7, 0, 600, 500);
  };
  SegmentWriter w;

  w = Calibrated();
  Save(folder, "defib-pulse", Input(Criteria(0x10), w.Bytes(0x19, pulse).Data()));
  w = Calibrated();
  Save(folder, "defib-charge",
       Input(Criteria(0x11), w.Bytes(0x19, pulse).Float(0x1A, 4.5f).Data()));
  w = Calibrated();
  Save(folder, "defib-synch",
       Input(Criteria(0x12), sim(w).Bytes(0x19, pulse).Float(0x1B, 0.035f).Data()));
  w = Calibrated();
  Save(folder, "aed-pulse", Input(Criteria(0x20), sim(w).Bytes(0x19, pulse).Data()));
  w = Calibrated();
  Save(folder, "pacer-pulse",
       Input(Criteria(0x30), sim(w)
                                 .Bytes(0x19, pulse)
                                 .Float(0x1A, 0.0f)
                                 .Float(0x1B, -0.0f)
                                 .Word(0x1C, 4)
                                 .Float(0x1F, 70.0f)
                                 .Data()));
  w = Calibrated();
  Save(folder, "refractory",
       Input(Criteria(0x31), sim(w)
                                 .Word(0x1C, 2)
                                 .Float(0x1F, 72.0f)
                                 .Float(0x20, 0.25f)
                                 .Float(0x21, 0.3f)
                                 .Float(0x24, 0.002f)
                                 .Data()));
  w = Calibrated();
  Save(folder, "sensitivity",
       Input(Criteria(0x32),
             sim(w).Word(0x1C, 1).Byte(0x1D, 2).Float(0x1F, 60.0f).Float(0x22, 0.0025f).Data()));
  w = Calibrated();
  Save(folder, "immunity", Input(Criteria(0x33), sim(w).Word(0x1C, 3).Float(0x1F, 80.0f).Data()));
  Save(folder, "waveform-sim",
       Input(Criteria(0x02),
             SegmentWriter().String(0x11, "sine").SimWaveForm(0x17, 3, 1, 10, -500).Data()));
  Save(folder, "observation",
       Input(Criteria(0x01),
             SegmentWriter().String(0x11, std::string("line 1\r\nline,2\0", 15)).Data()));

  // Malformed neighbours.
  Save(folder, "empty", {});
  Save(folder, "no-criteria", Input({}, Calibrated().Data()));
  Save(folder, "unknown-type", Input(Criteria(0x21), Calibrated().Data()));
  Save(folder, "two-types", Input(SegmentWriter().Byte(6, 0x10).Byte(6, 0x30).Data(), {}));
  Save(folder, "type-at-end", Input(ByteVector{0x06, 0x00}, {}));
  Save(folder, "criteria-cut-varint", Input(ByteVector{0x01, 0x85}, {}));
  Save(folder, "criteria-long-varint",
       Input(ByteVector{0x06, 0x01, 0x10, 0x81, 0x80, 0x80, 0x80, 0x80, 0x80, 0x00}, {}));
  Save(folder, "criteria-bad-tag", Input(SegmentWriter().Byte(6, 0x10).Byte(9, 1).Data(), {}));
  Save(folder, "data-bad-tag",
       Input(Criteria(0x11), SegmentWriter().SimWaveForm(0x17, 1, 0, 1, 1).Data()));
  Save(folder, "pacer-charge-time",
       Input(Criteria(0x30), SegmentWriter().Float(0x1A, 1.5f).Data()));
  Save(folder, "word-short-length",
       Input(Criteria(0x33), SegmentWriter().Item(0x1C, 1, {0x05}).Float(0x1F, 60.0f).Data()));
  Save(folder, "float-past-end",
       Input(Criteria(0x31), SegmentWriter().Item(0x20, 4, {0x00, 0x00, 0x80}).Data()));
  Save(folder, "length-max",
       Input(Criteria(0x32), SegmentWriter().Item(0x22, 0xFFFFFFFFu, {0, 0, 0x80, 0x3F}).Data()));
  Save(folder, "samples-past-end",
       Input(Criteria(0x10), SegmentWriter().Item(0x19, 40, {0x01, 0x00, 0x0A, 0x01}).Data()));
  Save(folder, "offset-after-samples",
       Input(Criteria(0x20), SegmentWriter()
                                 .Float(0x16, 50.0f)
                                 .Bytes(0x19, pulse)
                                 .Word(0x13, 30000)
                                 .Bytes(0x19, pulse)
                                 .Data()));

  // A full capture as a download would bring it.
  const PulseCalibration cal;
  w = Calibrated();
  Save(folder, "defib-pulse-full",
       Input(Criteria(0x10),
             w.Bytes(0x19, CompressSmallest(BiphasicDefibPulse(150.0, cal))).Data()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: dexal_results_seeds CORPUS_FOLDER\n";
    return 2;
  }
  try {
    const fs::path corpus(argv[1]);
    for (const char* target : {"fuzz_sample_decoder", "fuzz_result_decoder"}) {
      fs::create_directories(corpus / target);
    }
    SampleSeeds(corpus / "fuzz_sample_decoder");
    ResultSeeds(corpus / "fuzz_result_decoder");
  } catch (const std::exception& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
  return 0;
}
