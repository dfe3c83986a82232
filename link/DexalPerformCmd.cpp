#include "link/DexalPerformCmd.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "link/DexalSerialLink.h"
#include "platform/CalendarTime.h"

namespace Dexal {
namespace {

constexpr std::size_t kSerialReplySize = 32;
constexpr std::size_t kServiceDateReplySize = 20;
constexpr std::size_t kFirmwareReplySize = 112;
constexpr std::size_t kResultCountReplySize = 12;
constexpr std::size_t kResultInfoReplySize = 18;
constexpr std::size_t kSegmentCrcSize = 4;

const char* const kTooShort = "Response from tester is too short";
const char* const kNoResponse = "No response from tester. Is it connected and in Download mode?";

std::uint16_t Word(const ByteVector& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes.at(at) | (bytes.at(at + 1) << 8));
}

std::uint32_t Long(const ByteVector& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes.at(at)) |
         (static_cast<std::uint32_t>(bytes.at(at + 1)) << 8) |
         (static_cast<std::uint32_t>(bytes.at(at + 2)) << 16) |
         (static_cast<std::uint32_t>(bytes.at(at + 3)) << 24);
}

void PutLong(ByteVector& bytes, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) {
    bytes.push_back(static_cast<std::uint8_t>(value >> shift));
  }
}

void RequireReply(const DexalCmdBase& cmd, std::size_t minimum, const char* message) {
  if (cmd.reply.size() < minimum) throw std::runtime_error(message);
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
  ByteVector request(4 + payload.size());
  std::copy(payload.begin(), payload.end(), request.begin() + 4);
  cmd.reply.clear();
  for (std::uint8_t attempt = 0; attempt < cmd.retries; ++attempt) {
    cmd.sequence = link->NextSequence();
    request[0] = static_cast<std::uint8_t>(cmd.sequence & 0xFF);
    request[1] = static_cast<std::uint8_t>(cmd.sequence >> 8);
    request[2] = static_cast<std::uint8_t>(cmd.code & 0xFF);
    request[3] = static_cast<std::uint8_t>(cmd.code >> 8);
    std::uint32_t encodedLength = 0;
    if (!link->WriteFrame(request, &encodedLength)) continue;
    const std::uint32_t timeoutMs = (encodedLength * 10u) / 921u + 200u;
    if (!link->ReadFrame(cmd.reply, timeoutMs)) continue;
    if (cmd.reply.size() < kReplyHeader) throw std::runtime_error(kNoResponse);
    if (Word(cmd.reply, 0) == cmd.code && Word(cmd.reply, 2) == cmd.sequence) {
      cmd.status = Word(cmd.reply, 4);
      cmd.status2 = Word(cmd.reply, 6);
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
  Perform(cmd, {0, 0}, " reported from tester when retrieving serial number:");
  RequireReply(cmd, kSerialReplySize, kTooShort);
  // A 20-byte field whose last byte is the terminator: at most 19 characters.
  const auto first = cmd.reply.begin() + 12;
  const auto last = first + 19;
  cmd.serialNumber.assign(first, std::find(first, last, std::uint8_t{0}));
  return true;
}

bool DexalPerformCmd::visit(DexalCmdServiceDate& cmd) {
  Perform(cmd, {1, 0}, " reported from tester when retrieving calibration date:");
  RequireReply(cmd, kServiceDateReplySize, kTooShort);
  cmd.calibrationDate =
      CalendarTimeFromLocal(LocalDateFields(Word(cmd.reply, 12), cmd.reply[14], cmd.reply[15]));
  return true;
}

bool DexalPerformCmd::visit(DexalCmdFirmWareVersion& cmd) {
  Perform(cmd, {}, " reported from tester when retrieving FW version:");
  RequireReply(cmd, kFirmwareReplySize, kTooShort);
  const std::uint32_t revision = Long(cmd.reply, 92);
  cmd.firmwareVersion = "rev. " + std::to_string(revision) + " " +
                        FirmwareDateText(Word(cmd.reply, 96), cmd.reply[98], cmd.reply[99]);
  return true;
}

bool DexalPerformCmd::visit(DexalCmdResultCount& cmd) {
  Perform(cmd, {}, " reported from tester when retrieving result count:");
  RequireReply(cmd, kResultCountReplySize, kTooShort);
  cmd.resultCount = Long(cmd.reply, 8);
  return true;
}

bool DexalPerformCmd::visit(DexalCmdResultInfo& cmd) {
  ByteVector payload;
  PutLong(payload, cmd.resultIndex);
  Perform(cmd, payload, " reported from tester when retrieving result info:");
  RequireReply(cmd, kResultInfoReplySize, "Response from tester is too short: DexalCmdResultInfo");
  cmd.infoValue = Long(cmd.reply, 8);
  cmd.criteriaSize = Word(cmd.reply, 14);
  cmd.dataSize = Word(cmd.reply, 16);
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
    PutLong(payload, info.resultIndex);
    PutLong(payload, received);
    PutLong(payload, length);
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
  cmd.criteriaCrc = Long(block, criteriaAt + criteriaSize - kSegmentCrcSize);
  cmd.dataSegment = segment(dataAt, dataSize - kSegmentCrcSize);
  cmd.dataCrc = Long(block, dataAt + dataSize - kSegmentCrcSize);
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
