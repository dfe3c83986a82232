#include "tester/TesterScenario.h"

#include "link/Crc32.h"
#include "link/DexalWire.h"
#include "link/LittleEndian.h"

namespace Dexal {

std::uint32_t SegmentCrc(const ByteVector& segment) {
  return CrcUpdate(kCrcInitial, segment.data(), segment.size());
}

ByteVector ResultBlockFrom(const StoredResult& result, bool badCriteriaCrc, bool badDataCrc) {
  std::uint32_t criteriaCrc = result.criteriaCrc.value_or(SegmentCrc(result.criteria));
  std::uint32_t dataCrc = result.dataCrc.value_or(SegmentCrc(result.data));
  if (badCriteriaCrc) criteriaCrc = ~criteriaCrc;
  if (badDataCrc) dataCrc = ~dataCrc;
  ByteVector block;
  block.reserve(result.criteria.size() + result.data.size() + 2 * kSegmentCrcSize);
  block.insert(block.end(), result.criteria.begin(), result.criteria.end());
  AppendLong(block, criteriaCrc);
  block.insert(block.end(), result.data.begin(), result.data.end());
  AppendLong(block, dataCrc);
  return block;
}

}  // namespace Dexal
