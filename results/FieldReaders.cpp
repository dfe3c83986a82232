#include "results/FieldReaders.h"

#include <bit>
#include <stdexcept>

#include "link/LittleEndian.h"

namespace Dexal {
namespace {

constexpr int kMaxVarintBytes = 6;

bool VarintFromVector(const ByteVector& segment, std::size_t& cursor, std::uint32_t& value) {
  std::uint64_t number = 0;
  for (int index = 0; index < kMaxVarintBytes; ++index) {
    if (cursor >= segment.size()) return false;
    const std::uint8_t byte = segment[cursor++];
    // A sixth byte's bits lie beyond 32 and are dropped with the truncation below.
    number |= static_cast<std::uint64_t>(byte & 0x7Fu) << (7 * index);
    if ((byte & 0x80u) == 0) {
      value = static_cast<std::uint32_t>(number);
      return true;
    }
  }
  return false;
}

void RequireBytes(const ByteVector& segment, std::size_t position, std::size_t count,
                  const char* reader) {
  if (position > segment.size() || count > segment.size() - position) {
    throw std::runtime_error(std::string(reader) +
                             ": Not enough bytes left to provide the value requested.");
  }
}

}  // namespace

void ThrowSegmentError(const char* text) { throw std::runtime_error(text); }

bool TagFromVector(const ByteVector& segment, std::size_t& cursor, std::uint32_t& tag,
                   std::uint32_t& length) {
  return VarintFromVector(segment, cursor, tag) && VarintFromVector(segment, cursor, length);
}

std::string StringFromVector(const ByteVector& segment, std::size_t position,
                             std::uint32_t length) {
  RequireBytes(segment, position, length, "StringFromVector");
  const auto first = segment.begin() + static_cast<std::ptrdiff_t>(position);
  return std::string(first, first + static_cast<std::ptrdiff_t>(length));
}

std::uint8_t ByteFromVector(const ByteVector& segment, std::size_t position) {
  RequireBytes(segment, position, 1, "ByteFromVector");
  return segment[position];
}

bool FlagFromVector(const ByteVector& segment, std::size_t position) {
  return ByteFromVector(segment, position) != 0;
}

std::uint16_t WordFromVector(const ByteVector& segment, std::size_t position) {
  RequireBytes(segment, position, 2, "WordFromVector");
  return WordAt(segment, position);
}

float FloatFromVector(const ByteVector& segment, std::size_t position) {
  RequireBytes(segment, position, 4, "FloatFromVector");
  return std::bit_cast<float>(LongAt(segment, position));
}

CalendarTime DateTimeFromVector(const ByteVector& segment, std::size_t position) {
  RequireBytes(segment, position, 8, "DateTimeFromVector");
  const std::uint8_t* field = segment.data() + position;
  return CalendarTimeFromLocal(
      LocalDateFields(WordAt(segment, position), field[2], field[3], field[4], field[5], field[6]));
}

DexalSimWaveForm SimWaveFormFromVector(const ByteVector& segment, std::size_t position) {
  RequireBytes(segment, position, 8, "SimWaveFormFromVector");
  DexalSimWaveForm setting;
  setting.waveform = segment[position];
  setting.extra = segment[position + 1];
  setting.rate = WordAt(segment, position + 2);
  const auto microvolts = static_cast<std::int16_t>(WordAt(segment, position + 4));
  setting.peak = static_cast<float>(microvolts) * 0.001f;
  return setting;
}

bool CriteriaFromVector(DexalResult& record) {
  if (record.resultData == nullptr) {
    throw std::runtime_error("No raw data associated with this result");
  }
  const ByteVector& segment = record.resultData->criteriaSegment;
  WalkSegment(segment, "Failed to read a data Tag in result criteria segment",
              "Unexpected data. Tag not recognised in result criteria segment",
              [&](std::uint32_t tag, std::size_t position, std::uint32_t length) {
                switch (tag) {
                  case 1:
                    record.assetId = StringFromVector(segment, position, length);
                    break;
                  case 2:
                    record.assetMake = StringFromVector(segment, position, length);
                    break;
                  case 3:
                    record.assetModel = StringFromVector(segment, position, length);
                    break;
                  case 4:
                    record.assetSerial = StringFromVector(segment, position, length);
                    break;
                  case 5:
                    record.testDate = DateTimeFromVector(segment, position);
                    break;
                  case 6:
                    record.testType = ByteFromVector(segment, position);
                    break;
                  case 7:
                    record.status = ByteFromVector(segment, position);
                    break;
                  default:
                    return false;
                }
                return true;
              });
  return true;
}

}  // namespace Dexal
