#pragma once

#include <cstdint>
#include <string_view>

#include "link/ByteVector.h"

namespace Dexal {

// Base-128, low seven bits first; the top bit of a byte says another follows.
void PutVarint(ByteVector& out, std::uint32_t value);

// Local wall-clock fields as the tester stores them.
struct TesterDate {
  int year, month, day, hour, minute, second;
};

// Writes a tagged segment the way the tester stores a result: tag, value length, value.
class SegmentWriter {
 public:
  SegmentWriter& String(std::uint32_t tag, std::string_view value);
  SegmentWriter& Byte(std::uint32_t tag, std::uint8_t value);
  SegmentWriter& Word(std::uint32_t tag, std::uint16_t value);
  SegmentWriter& Float(std::uint32_t tag, float value);
  SegmentWriter& DateTime(std::uint32_t tag, const TesterDate& date);
  SegmentWriter& SimWaveForm(std::uint32_t tag, std::uint8_t waveform, std::uint8_t extra,
                             std::uint16_t rate, std::int16_t peakMicrovolts);
  SegmentWriter& Bytes(std::uint32_t tag, const ByteVector& value);
  // Any header and value, for malformed segments: the declared length need not match.
  SegmentWriter& Item(std::uint32_t tag, std::uint32_t declaredLength, const ByteVector& value);
  SegmentWriter& Raw(const ByteVector& bytes);

  [[nodiscard]] const ByteVector& Data() const { return data_; }

 private:
  ByteVector data_;
};

}  // namespace Dexal
