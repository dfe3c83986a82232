#include "results/CreateResult.h"

#include <stdexcept>

#include "results/FieldReaders.h"

namespace Dexal {

std::uint8_t TestTypeFromVector(const DexalCmdResultData* resultData) {
  if (resultData == nullptr) return 0;
  const ByteVector& segment = resultData->criteriaSegment;
  constexpr std::uint32_t kTestTypeTag = 6;
  std::size_t cursor = 0;
  while (cursor < segment.size()) {
    std::uint32_t tag = 0;
    std::uint32_t length = 0;
    if (!TagFromVector(segment, cursor, tag, length)) {
      throw std::runtime_error("Failed to read a data Tag when searching for the test type");
    }
    if (tag == kTestTypeTag) {
      // A tag 6 with nothing after it names no test.
      return cursor < segment.size() ? segment[cursor] : std::uint8_t{0};
    }
    if (length >= segment.size() - cursor) break;
    cursor += length;
  }
  return 0;
}

std::unique_ptr<DexalResult> CreateResult(const DexalCmdResultData* resultData) {
  switch (TestTypeFromVector(resultData)) {
    case 0x01:
      return std::make_unique<DexalGeneralObservationTest>(resultData);
    case 0x02:
      return std::make_unique<DexalWaveformSimulatorTest>(resultData);
    case 0x10:
      return std::make_unique<DexalDefibPulseTest>(resultData);
    case 0x11:
      return std::make_unique<DexalDefibChargeTest>(resultData);
    case 0x12:
      return std::make_unique<DexalDefibSynchTest>(resultData);
    case 0x20:
      return std::make_unique<DexalAEDPulseTest>(resultData);
    case 0x30:
      return std::make_unique<DexalPacerPulseTest>(resultData);
    case 0x31:
      return std::make_unique<DexalRefractoryPeriodTest>(resultData);
    case 0x32:
      return std::make_unique<DexalSensitivityTest>(resultData);
    case 0x33:
      return std::make_unique<DexalPacerImmunityTest>(resultData);
    default:
      return nullptr;
  }
}

}  // namespace Dexal
