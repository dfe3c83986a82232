#pragma once

// Random records as the tester would store them: each item knows how it is written and what
// it does to the record, so a shuffled segment comes with the fields it must decode to.

#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "SampleSequences.h"
#include "link/ByteVector.h"
#include "results/DexalResult.h"
#include "tester/SegmentWriter.h"

namespace Dexal::testing {

// What the record should hold after decoding.
struct Fields {
  std::string assetId, assetMake, assetModel, assetSerial, comment, observation;
  CalendarTime testDate = 0;
  std::uint8_t testType = 0;
  std::uint8_t status = 1;
  std::uint8_t tag12Code = 0;
  std::uint16_t sampleOffset = 0;
  float voltsPerCount = 0.0f;
  std::uint16_t nominalLoad = 0;
  float loadOhms = 0.0f;
  DexalSimWaveForm simWaveform;
  float chargeTime = 0.0f, synchTime = 0.0f, pulseRate = 0.0f, pulsedRefractoryPeriod = 0.0f,
        sensedRefractoryPeriod = 0.0f, pulseWidth = 0.0f, sensitivity = 0.0f;
  std::uint16_t pacerModel = 0;
  bool ecgInverted = false;
  // The last pulse and the calibration the record had when its item came.
  std::optional<Samples> samples;
  std::uint16_t profileOffset = 0;
  float profileScale = 0.0f;
  float profileLoad = 0.0f;
};

// One item: how it is written and what it does to the record.
struct Item {
  std::function<void(SegmentWriter&)> write;
  std::function<void(Fields&)> apply;
};

struct TestClass {
  std::uint8_t code;
  const char* name;
  std::set<std::uint32_t> tags;
};

// The ten classes with their codes and the data tags each accepts.
const std::vector<TestClass>& Classes();

// Text with the characters a CSV writer must quote, zero bytes and bytes above 0x7F.
std::string RandomText(std::mt19937& rng);

// Any float: arbitrary bit patterns (NaN and infinities included), both zeros, ordinary values.
float RandomFloat(std::mt19937& rng);

// Tag 6 with the code, and a random choice of the other criteria items, some twice.
std::vector<Item> CriteriaItems(std::mt19937& rng, std::uint8_t code);

// One random item of the tag, as the class would carry it.
Item DataItem(std::mt19937& rng, const TestClass& cls, std::uint32_t tag);

// Shuffles the items, writes them in that order and applies them to the expected fields.
ByteVector WriteInOrder(std::vector<Item>& items, std::mt19937& rng, Fields& expected);

}  // namespace Dexal::testing
