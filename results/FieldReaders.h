#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "link/ByteVector.h"
#include "platform/CalendarTime.h"
#include "results/DexalResult.h"

namespace Dexal {

// Reads an item header (tag and value length, both base-128 varints of at most six bytes) at
// the cursor and leaves the cursor at the value. False when the segment ends inside a varint or
// a sixth byte still announces another.
bool TagFromVector(const ByteVector& segment, std::size_t& cursor, std::uint32_t& tag,
                   std::uint32_t& length);

// Typed values at a value position; each throws a runtime error naming itself when the segment
// ends too early. Multi-byte numbers are little-endian.
std::string StringFromVector(const ByteVector& segment, std::size_t position, std::uint32_t length);
std::uint8_t ByteFromVector(const ByteVector& segment, std::size_t position);
bool FlagFromVector(const ByteVector& segment, std::size_t position);
std::uint16_t WordFromVector(const ByteVector& segment, std::size_t position);
float FloatFromVector(const ByteVector& segment, std::size_t position);
// The tester's local wall-clock fields; -1 when the C library cannot represent them.
CalendarTime DateTimeFromVector(const ByteVector& segment, std::size_t position);
DexalSimWaveForm SimWaveFormFromVector(const ByteVector& segment, std::size_t position);

// Calls handle(tag, valuePosition, valueLength) for every item of the segment. handle returns
// false for a tag it does not accept, which raises tagRejected; an unreadable header raises
// headerFailed. A length reaching past the end ends the walk after its item.
template <class Handler>
void WalkSegment(const ByteVector& segment, const char* headerFailed, const char* tagRejected,
                 Handler&& handle);

// The common fields of a record from its criteria segment.
bool CriteriaFromVector(DexalResult& record);

[[noreturn]] void ThrowSegmentError(const char* text);

template <class Handler>
void WalkSegment(const ByteVector& segment, const char* headerFailed, const char* tagRejected,
                 Handler&& handle) {
  std::size_t cursor = 0;
  while (cursor < segment.size()) {
    std::uint32_t tag = 0;
    std::uint32_t length = 0;
    if (!TagFromVector(segment, cursor, tag, length)) ThrowSegmentError(headerFailed);
    if (!handle(tag, cursor, length)) ThrowSegmentError(tagRejected);
    if (length >= segment.size() - cursor) break;
    cursor += length;
  }
}

}  // namespace Dexal
