#pragma once

#include <cstddef>
#include <cstdint>

namespace Dexal {

// The tester's commands, as the wire carries them. Numbers are little-endian (LittleEndian.h).

constexpr std::uint16_t kCmdSetRTC = 0x2804;
constexpr std::uint16_t kCmdFirmWareVersion = 0x2807;
constexpr std::uint16_t kCmdResultCount = 0x2820;
constexpr std::uint16_t kCmdResultInfo = 0x2821;
constexpr std::uint16_t kCmdResultData = 0x2822;
constexpr std::uint16_t kCmdEndDownload = 0x2823;
constexpr std::uint16_t kCmdTesterIdentity = 0x2900;  // payload: the selector word below
constexpr std::uint16_t kIdentitySerialNumber = 0;
constexpr std::uint16_t kIdentityServiceDate = 1;
constexpr std::size_t kIdentityPayload = 2;

// Request: sequence word, code word, payload.
constexpr std::size_t kRequestSequenceAt = 0;
constexpr std::size_t kRequestCodeAt = 2;
constexpr std::size_t kRequestHeader = 4;

// Reply: code, sequence, status and second status words, then what the command returns.
constexpr std::size_t kReplyCodeAt = 0;
constexpr std::size_t kReplySequenceAt = 2;
constexpr std::size_t kReplyStatusAt = 4;
constexpr std::size_t kReplyStatus2At = 6;
constexpr std::size_t kReplyHeader = 8;

// Serial number: a 20-byte field whose last byte is the terminator.
constexpr std::size_t kSerialAt = 12;
constexpr std::size_t kSerialField = 20;
constexpr std::size_t kSerialReplySize = 32;
static_assert(kSerialAt + kSerialField == kSerialReplySize);

// Service date: year word, month and day bytes.
constexpr std::size_t kServiceYearAt = 12;
constexpr std::size_t kServiceMonthAt = kServiceYearAt + 2;
constexpr std::size_t kServiceDayAt = kServiceMonthAt + 1;
constexpr std::size_t kServiceDateReplySize = 20;
static_assert(kServiceMonthAt == 14 && kServiceDayAt == 15);

// Firmware version: revision long, then the build date as year word, month and day bytes.
constexpr std::size_t kFirmwareRevisionAt = 92;
constexpr std::size_t kFirmwareYearAt = kFirmwareRevisionAt + 4;
constexpr std::size_t kFirmwareMonthAt = kFirmwareYearAt + 2;
constexpr std::size_t kFirmwareDayAt = kFirmwareMonthAt + 1;
constexpr std::size_t kFirmwareReplySize = 112;
static_assert(kFirmwareYearAt == 96 && kFirmwareMonthAt == 98 && kFirmwareDayAt == 99);

// Result count: a long after the header.
constexpr std::size_t kResultCountAt = kReplyHeader;
constexpr std::size_t kResultCountReplySize = kResultCountAt + 4;

// Result info (payload: the index as a long): info long; criteria and data sizes as words, each
// counting its segment and the CRC behind it.
constexpr std::size_t kResultInfoPayload = 4;
constexpr std::size_t kInfoValueAt = kReplyHeader;
constexpr std::size_t kCriteriaSizeAt = 14;
constexpr std::size_t kDataSizeAt = kCriteriaSizeAt + 2;
constexpr std::size_t kResultInfoReplySize = kDataSizeAt + 2;
static_assert(kResultInfoReplySize == 18);

// Result data (payload: index, offset and length longs): the block bytes asked for, at most one
// chunk, after the header. The block is the criteria segment, its CRC, the data segment, its CRC.
constexpr std::size_t kResultDataPayload = 12;
constexpr std::uint32_t kMaxChunk = 4096;
constexpr std::size_t kSegmentCrcSize = 4;

// The set-clock payload: year word, month, day, hour, minute, second and a zero byte.
constexpr std::size_t kClockPayload = 8;

}  // namespace Dexal
