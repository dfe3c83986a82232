#include "results/CreateResult.h"

#include <stdexcept>

#include "results/DexalTestTypes.h"
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
  const DexalTestType* type = TestTypeFromCode(TestTypeFromVector(resultData));
  return type != nullptr ? type->create(resultData) : nullptr;
}

}  // namespace Dexal
