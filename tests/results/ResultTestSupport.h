#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "link/DexalCmd.h"
#include "results/CreateResult.h"
#include "results/DexalResultDecoder.h"
#include "tester/SegmentWriter.h"

namespace Dexal::testing {

inline DexalCmdResultData ResultData(const ByteVector& criteria, const ByteVector& data = {}) {
  DexalCmdResultData result(nullptr, "T1234");
  result.criteriaSegment = criteria;
  result.dataSegment = data;
  return result;
}

// A criteria segment naming only the test type.
inline ByteVector CriteriaOfType(std::uint8_t testType) {
  return SegmentWriter().String(1, "A-7").Byte(6, testType).Byte(7, 0).Data();
}

// The record CreateResult makes for the data, decoded. Throws what the decoder throws.
inline std::unique_ptr<DexalResult> Decode(const DexalCmdResultData& data) {
  std::unique_ptr<DexalResult> record = CreateResult(&data);
  if (!record) throw std::logic_error("no record for this test type");
  DexalResultDecoder decoder;
  if (!record->accept(decoder)) throw std::logic_error("decoder returned false");
  return record;
}

// The message of the runtime error that decoding raises, or "" when it succeeds.
inline std::string DecodeError(const DexalCmdResultData& data) {
  try {
    Decode(data);
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

}  // namespace Dexal::testing
