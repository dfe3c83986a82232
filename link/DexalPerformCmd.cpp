#include "link/DexalPerformCmd.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "link/DexalSerialLink.h"
#include "link/DexalWire.h"
#include "link/FrameCodec.h"
#include "link/LittleEndian.h"
#include "platform/CalendarTime.h"
#include "platform/SerialPort.h"

namespace Dexal {
namespace {

// How long to wait for a reply: the request's own time on the line (the line's bits per
// millisecond rounded down) and the tester's allowance.
constexpr std::uint32_t ReplyTimeoutMs(std::uint32_t encodedLength) {
  return encodedLength * kLineBitsPerByte / (kLineBaud / 1000) + kReplyAllowanceMs;
}
static_assert(kLineBaud / 1000 == 921);
static_assert(ReplyTimeoutMs(0) == 200 && ReplyTimeoutMs(921) == 210 &&
              ReplyTimeoutMs(8254) == 289);

static_assert(kMaxFrameData == kReplyHeader + kMaxChunk, "a frame holds a full chunk's reply");

const char* const kTooShort = "Response from tester is too short";
const char* const kNoResponse = "No response from tester. Is it connected and in Download mode?";

void RequireReply(const DexalCmdBase& cmd, std::size_t minimum, const char* message) {
  if (cmd.reply.size() < minimum) throw std::runtime_error(message);
}

ByteVector IdentityPayload(std::uint16_t selector) {
  ByteVector payload;
  AppendWord(payload, selector);
  return payload;
}

// "YYYY-MM-DDTHH:MM:SS" of a tester date, normalised by the C library; empty if it fails.
std::string FirmwareDateText(int year, int month, int day) {
  std::tm fields = LocalDateFields(year, month, day);
  if (NormaliseLocalFields(fields) == -1) return {};
  std::array<char, 64> buffer{};
  const std::size_t n = std::strftime(buffer.data(), buffer.size(), "%Y-%m-%dT%H:%M:%S", &fields);
  return std::string(buffer.data(), n);
}

}  // namespace

std::string StatusText(std::uint16_t status) {
  switch (status) {
    case 0:
      return "All OK";
    case 1:
      return "Malformed request - incorrect command data";
    case 2:
      return "Generic error";
    case 3:
      return "Can't start app - it is missing or corrupt";
    case 4:
      return "Invalid address. Internal programming error)";
    case 5:
      return "Request failed: operating voltage is too low";
    default:
      return "Unknown error status";
  }
}

bool DexalPerformCmd::Transact(DexalCmdBase& cmd, const ByteVector& payload) {
  ByteVector request(kRequestHeader + payload.size());
  std::copy(payload.begin(), payload.end(), request.begin() + kRequestHeader);
  cmd.reply.clear();
  for (std::uint8_t attempt = 0; attempt < cmd.retries; ++attempt) {
    cmd.sequence = link->NextSequence();
    StoreWord(request, kRequestSequenceAt, cmd.sequence);
    StoreWord(request, kRequestCodeAt, cmd.code);
    std::uint32_t encodedLength = 0;
    if (!link->WriteFrame(request, &encodedLength)) continue;
    if (!link->ReadFrame(cmd.reply, ReplyTimeoutMs(encodedLength))) continue;
    if (cmd.reply.size() < kReplyHeader) throw std::runtime_error(kNoResponse);
    if (WordAt(cmd.reply, kReplyCodeAt) == cmd.code &&
        WordAt(cmd.reply, kReplySequenceAt) == cmd.sequence) {
      cmd.status = WordAt(cmd.reply, kReplyStatusAt);
      cmd.status2 = WordAt(cmd.reply, kReplyStatus2At);
      return true;
    }
  }
  return false;
}

void DexalPerformCmd::Perform(DexalCmdBase& cmd, const ByteVector& payload, const char* context) {
  if (!Transact(cmd, payload)) throw std::runtime_error(link->ErrorText());
  if (cmd.status != 0) {
    throw std::runtime_error("Error " + std::to_string(cmd.status) + context + "\n\n" +
                             StatusText(cmd.status));
  }
}

bool DexalPerformCmd::visit(DexalCmdSerialNumber& cmd) {
  Perform(cmd, IdentityPayload(kIdentitySerialNumber),
          " reported from tester when retrieving serial number:");
  RequireReply(cmd, kSerialReplySize, kTooShort);
  const auto first = cmd.reply.begin() + kSerialAt;
  const auto last = first + kSerialField - 1;
  cmd.serialNumber.assign(first, std::find(first, last, std::uint8_t{0}));
  return true;
}

bool DexalPerformCmd::visit(DexalCmdServiceDate& cmd) {
  Perform(cmd, IdentityPayload(kIdentityServiceDate),
          " reported from tester when retrieving calibration date:");
  RequireReply(cmd, kServiceDateReplySize, kTooShort);
  cmd.calibrationDate = CalendarTimeFromLocal(LocalDateFields(
      WordAt(cmd.reply, kServiceYearAt), cmd.reply[kServiceMonthAt], cmd.reply[kServiceDayAt]));
  return true;
}

bool DexalPerformCmd::visit(DexalCmdFirmWareVersion& cmd) {
  Perform(cmd, {}, " reported from tester when retrieving FW version:");
  RequireReply(cmd, kFirmwareReplySize, kTooShort);
  cmd.firmwareVersion = "rev. " + std::to_string(LongAt(cmd.reply, kFirmwareRevisionAt)) + " " +
                        FirmwareDateText(WordAt(cmd.reply, kFirmwareYearAt),
                                         cmd.reply[kFirmwareMonthAt], cmd.reply[kFirmwareDayAt]);
  return true;
}

bool DexalPerformCmd::visit(DexalCmdResultCount& cmd) {
  Perform(cmd, {}, " reported from tester when retrieving result count:");
  RequireReply(cmd, kResultCountReplySize, kTooShort);
  cmd.resultCount = LongAt(cmd.reply, kResultCountAt);
  return true;
}

bool DexalPerformCmd::visit(DexalCmdResultInfo& cmd) {
  ByteVector payload;
  AppendLong(payload, cmd.resultIndex);
  Perform(cmd, payload, " reported from tester when retrieving result info:");
  RequireReply(cmd, kResultInfoReplySize, "Response from tester is too short: DexalCmdResultInfo");
  cmd.infoValue = LongAt(cmd.reply, kInfoValueAt);
  cmd.criteriaSize = WordAt(cmd.reply, kCriteriaSizeAt);
  cmd.dataSize = WordAt(cmd.reply, kDataSizeAt);
  return true;
}

bool DexalPerformCmd::visit(DexalCmdResultData& cmd) {
  const DexalCmdResultInfo& info = *cmd.resultInfo;
  const std::uint32_t criteriaSize = info.criteriaSize;
  const std::uint32_t dataSize = info.dataSize;
  if (criteriaSize < kSegmentCrcSize || dataSize < kSegmentCrcSize) {
    throw std::runtime_error("Result segment sizes from tester are out of range");
  }
  const std::uint32_t blockSize = criteriaSize + dataSize;
  // The block keeps the first reply's header in front, as the split below expects.
  ByteVector block;
  block.reserve(blockSize + kReplyHeader);
  std::uint32_t received = 0;
  do {
    const std::uint32_t length =
        received == 0 ? std::min(blockSize + static_cast<std::uint32_t>(kReplyHeader), kMaxChunk)
                      : std::min(blockSize - received, kMaxChunk);
    ByteVector payload;
    for (std::uint32_t value : {std::uint32_t{info.resultIndex}, received, length}) {
      AppendLong(payload, value);
    }
    Perform(cmd, payload, " reported from tester when retrieving result data:");
    const std::size_t chunkBytes = cmd.reply.size() - kReplyHeader;
    if (chunkBytes == 0) throw std::runtime_error(kTooShort);
    const std::size_t wanted = std::min<std::size_t>(chunkBytes, blockSize - received);
    const auto firstByte = cmd.reply.begin() + static_cast<std::ptrdiff_t>(kReplyHeader);
    if (received == 0) block.insert(block.end(), cmd.reply.begin(), firstByte);
    block.insert(block.end(), firstByte, firstByte + static_cast<std::ptrdiff_t>(wanted));
    received += static_cast<std::uint32_t>(wanted);
    if (betweenChunks) betweenChunks();
  } while (received < blockSize);

  auto segment = [&block](std::size_t from, std::size_t size) {
    return ByteVector(block.begin() + static_cast<std::ptrdiff_t>(from),
                      block.begin() + static_cast<std::ptrdiff_t>(from + size));
  };
  const std::size_t criteriaAt = kReplyHeader;
  const std::size_t dataAt = kReplyHeader + criteriaSize;
  cmd.criteriaSegment = segment(criteriaAt, criteriaSize - kSegmentCrcSize);
  cmd.criteriaCrc = LongAt(block, criteriaAt + criteriaSize - kSegmentCrcSize);
  cmd.dataSegment = segment(dataAt, dataSize - kSegmentCrcSize);
  cmd.dataCrc = LongAt(block, dataAt + dataSize - kSegmentCrcSize);
  cmd.criteriaCrcMatches = DexalSerialLink::CheckCrc(cmd.criteriaSegment, cmd.criteriaCrc);
  cmd.dataCrcMatches = DexalSerialLink::CheckCrc(cmd.dataSegment, cmd.dataCrc);
  return true;
}

bool DexalPerformCmd::visit(DexalCmdSetRTC& cmd) {
  std::tm local{};
  if (LocalFromCalendarTime(CurrentCalendarTime(), local)) cmd.SetClockFromLocal(local);
  Perform(cmd, cmd.Payload(), " reported from tester when setting the RTC:");
  return true;
}

bool DexalPerformCmd::visit(DexalCmdEndDownload& cmd) { return Transact(cmd, {}); }

}  // namespace Dexal
