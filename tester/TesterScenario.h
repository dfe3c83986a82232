#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/ByteVector.h"
#include "tester/TesterFaults.h"

namespace Dexal {

struct TesterIdentity {
  std::string serialNumber = "DX000000";
  int serviceYear = 2024;
  int serviceMonth = 1;
  int serviceDay = 1;
  std::uint32_t firmwareRevision = 1;
  int firmwareYear = 2024;
  int firmwareMonth = 1;
  int firmwareDay = 1;
};

// One stored result as the tester holds it: the two encoded segments and what it reports
// about them. The overrides exist to serve deliberately inconsistent results.
struct StoredResult {
  ByteVector criteria;
  ByteVector data;
  std::uint32_t infoValue = 0;
  std::optional<std::uint32_t> criteriaCrc;  // stored CRC instead of the true one
  std::optional<std::uint32_t> dataCrc;
  std::optional<std::uint16_t> criteriaSize;  // reported size instead of criteria + 4
  std::optional<std::uint16_t> dataSize;
};

struct TesterScenario {
  TesterIdentity identity;
  std::vector<StoredResult> results;
  std::vector<Fault> faults;
};

// CRC-32/JAMCRC register over the bytes, as the tester stores it after a segment.
std::uint32_t SegmentCrc(const ByteVector& segment);

// Criteria segment + CRC + data segment + CRC, the bytes that result-data requests read from.
ByteVector ResultBlockFrom(const StoredResult& result, bool badCriteriaCrc = false,
                           bool badDataCrc = false);

}  // namespace Dexal
