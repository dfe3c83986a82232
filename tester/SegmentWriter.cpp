#include "tester/SegmentWriter.h"

#include <bit>

#include "link/LittleEndian.h"

namespace Dexal {

void PutVarint(ByteVector& out, std::uint32_t value) {
  while (value >= 0x80) {
    out.push_back(static_cast<std::uint8_t>((value & 0x7F) | 0x80));
    value >>= 7;
  }
  out.push_back(static_cast<std::uint8_t>(value));
}

SegmentWriter& SegmentWriter::Item(std::uint32_t tag, std::uint32_t declaredLength,
                                   const ByteVector& value) {
  PutVarint(data_, tag);
  PutVarint(data_, declaredLength);
  data_.insert(data_.end(), value.begin(), value.end());
  return *this;
}

SegmentWriter& SegmentWriter::Bytes(std::uint32_t tag, const ByteVector& value) {
  return Item(tag, static_cast<std::uint32_t>(value.size()), value);
}

SegmentWriter& SegmentWriter::String(std::uint32_t tag, std::string_view value) {
  return Bytes(tag, ByteVector(value.begin(), value.end()));
}

SegmentWriter& SegmentWriter::Byte(std::uint32_t tag, std::uint8_t value) {
  return Bytes(tag, ByteVector{value});
}

SegmentWriter& SegmentWriter::Word(std::uint32_t tag, std::uint16_t value) {
  ByteVector bytes;
  AppendWord(bytes, value);
  return Bytes(tag, bytes);
}

SegmentWriter& SegmentWriter::Float(std::uint32_t tag, float value) {
  ByteVector bytes;
  AppendLong(bytes, std::bit_cast<std::uint32_t>(value));
  return Bytes(tag, bytes);
}

SegmentWriter& SegmentWriter::DateTime(std::uint32_t tag, const TesterDate& date) {
  ByteVector bytes;
  AppendWord(bytes, static_cast<std::uint16_t>(date.year));
  for (int field : {date.month, date.day, date.hour, date.minute, date.second, 0}) {
    bytes.push_back(static_cast<std::uint8_t>(field));
  }
  return Bytes(tag, bytes);
}

SegmentWriter& SegmentWriter::SimWaveForm(std::uint32_t tag, std::uint8_t waveform,
                                          std::uint8_t extra, std::uint16_t rate,
                                          std::int16_t peakMicrovolts) {
  ByteVector bytes{waveform, extra};
  AppendWord(bytes, rate);
  AppendWord(bytes, static_cast<std::uint16_t>(peakMicrovolts));
  bytes.push_back(0);
  bytes.push_back(0);
  return Bytes(tag, bytes);
}

SegmentWriter& SegmentWriter::Raw(const ByteVector& bytes) {
  data_.insert(data_.end(), bytes.begin(), bytes.end());
  return *this;
}

}  // namespace Dexal
