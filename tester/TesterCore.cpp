#include "tester/TesterCore.h"

#include <algorithm>

#include "link/LittleEndian.h"

namespace Dexal {
namespace {

constexpr std::uint16_t kStatusMalformed = 1;

ByteVector Header(std::uint16_t code, std::uint16_t sequence, std::uint16_t status,
                  std::size_t size) {
  ByteVector reply(std::max(size, kReplyHeader), 0);
  StoreWord(reply, kReplyCodeAt, code);
  StoreWord(reply, kReplySequenceAt, sequence);
  StoreWord(reply, kReplyStatusAt, status);
  return reply;
}

ByteVector Malformed(std::uint16_t code, std::uint16_t sequence) {
  return Header(code, sequence, kStatusMalformed, kReplyHeader);
}

// Line noise that a receiver waiting for a start marker skips.
ByteVector NoiseBytes(std::uint32_t count) {
  ByteVector noise;
  std::uint8_t byte = 0x5A;
  while (noise.size() < count) {
    byte = static_cast<std::uint8_t>(byte * 5 + 0x3B);
    if (byte != kFrameStart) noise.push_back(byte);
  }
  return noise;
}

}  // namespace

ByteVector EncodeFrameWithBadCrc(const ByteVector& data) {
  ByteVector frame = EncodeFrame(data);
  // The last CRC byte sits just before the end marker, escaped or not.
  const std::size_t last = frame.size() - 2;
  if (frame[last - 1] == kFrameEscape) {
    // Escaped FA/FB/FC: turn it into another escaped value.
    frame[last] = frame[last] == 0xFD ? 0xFE : 0xFD;
  } else {
    auto changed = static_cast<std::uint8_t>(frame[last] ^ 0x01);
    if (changed >= kFrameStart && changed <= kFrameEscape) {
      changed = static_cast<std::uint8_t>(frame[last] ^ 0x02);
    }
    frame[last] = changed;
  }
  return frame;
}

TesterCore::TesterCore(TesterScenario scenario) : scenario_(std::move(scenario)) {
  blocks_.reserve(scenario_.results.size());
  for (const auto& result : scenario_.results) blocks_.push_back(ResultBlockFrom(result));
  for (const auto& fault : scenario_.faults) faults_.push_back({fault, 0});
}

void TesterCore::AddFault(const Fault& fault) { faults_.push_back({fault, 0}); }

std::vector<ReplyPlan> TesterCore::Feed(const std::uint8_t* data, std::size_t size,
                                        std::chrono::system_clock::time_point now) {
  std::vector<ReplyPlan> plans;
  for (std::size_t i = 0; i < size; ++i) {
    if (lineClosed_) break;
    if (receiver_.Feed(data[i])) plans.push_back(Answer(receiver_.Data(), now));
  }
  return plans;
}

ByteVector TesterCore::ReplyData(std::uint16_t sequence, std::uint16_t code,
                                 const ByteVector& payload) const {
  const auto& id = scenario_.identity;
  switch (code) {
    case kCmdTesterIdentity: {
      if (payload.size() != kIdentityPayload) return Malformed(code, sequence);
      const std::uint16_t selector = WordAt(payload, 0);
      if (selector == kIdentitySerialNumber) {
        ByteVector reply = Header(code, sequence, 0, kSerialReplySize);
        const std::size_t n = std::min(id.serialNumber.size(), kSerialField);
        std::copy_n(id.serialNumber.begin(), n, reply.begin() + kSerialAt);
        return reply;
      }
      if (selector == kIdentityServiceDate) {
        ByteVector reply = Header(code, sequence, 0, kServiceDateReplySize);
        StoreWord(reply, kServiceYearAt, static_cast<std::uint16_t>(id.serviceYear));
        reply[kServiceMonthAt] = static_cast<std::uint8_t>(id.serviceMonth);
        reply[kServiceDayAt] = static_cast<std::uint8_t>(id.serviceDay);
        return reply;
      }
      return Malformed(code, sequence);
    }
    case kCmdFirmWareVersion: {
      if (!payload.empty()) return Malformed(code, sequence);
      ByteVector reply = Header(code, sequence, 0, kFirmwareReplySize);
      StoreLong(reply, kFirmwareRevisionAt, id.firmwareRevision);
      StoreWord(reply, kFirmwareYearAt, static_cast<std::uint16_t>(id.firmwareYear));
      reply[kFirmwareMonthAt] = static_cast<std::uint8_t>(id.firmwareMonth);
      reply[kFirmwareDayAt] = static_cast<std::uint8_t>(id.firmwareDay);
      return reply;
    }
    case kCmdResultCount: {
      if (!payload.empty()) return Malformed(code, sequence);
      ByteVector reply = Header(code, sequence, 0, kResultCountReplySize);
      StoreLong(reply, kResultCountAt, static_cast<std::uint32_t>(scenario_.results.size()));
      return reply;
    }
    case kCmdResultInfo: {
      if (payload.size() != kResultInfoPayload) return Malformed(code, sequence);
      const std::uint32_t index = LongAt(payload, 0);
      if (index >= scenario_.results.size()) return Malformed(code, sequence);
      const auto& result = scenario_.results[index];
      ByteVector reply = Header(code, sequence, 0, kResultInfoReplySize);
      StoreLong(reply, kInfoValueAt, result.infoValue);
      StoreWord(reply, kCriteriaSizeAt,
                result.criteriaSize.value_or(
                    static_cast<std::uint16_t>(result.criteria.size() + kSegmentCrcSize)));
      StoreWord(reply, kDataSizeAt,
                result.dataSize.value_or(
                    static_cast<std::uint16_t>(result.data.size() + kSegmentCrcSize)));
      return reply;
    }
    case kCmdResultData:
      return ResultDataReply(sequence, payload, 0);
    case kCmdSetRTC:
      if (payload.size() != kClockPayload) return Malformed(code, sequence);
      return Header(code, sequence, 0, kReplyHeader);
    case kCmdEndDownload:
      if (!payload.empty()) return Malformed(code, sequence);
      return Header(code, sequence, 0, kReplyHeader);
    default:
      return Malformed(code, sequence);
  }
}

ByteVector TesterCore::ResultDataReply(std::uint16_t sequence, const ByteVector& payload,
                                       std::uint32_t badCrcMask) const {
  const std::uint16_t code = kCmdResultData;
  if (payload.size() != kResultDataPayload) return Malformed(code, sequence);
  const std::uint32_t index = LongAt(payload, 0);
  const std::uint32_t offset = LongAt(payload, 4);
  const std::uint32_t length = std::min(LongAt(payload, 8), kMaxChunk);
  if (index >= blocks_.size()) return Malformed(code, sequence);
  const ByteVector badBlock =
      badCrcMask == 0
          ? ByteVector{}
          : ResultBlockFrom(scenario_.results[index], (badCrcMask & 1) != 0, (badCrcMask & 2) != 0);
  const ByteVector& block = badCrcMask == 0 ? blocks_[index] : badBlock;
  ByteVector reply = Header(code, sequence, 0, kReplyHeader);
  if (offset < block.size()) {
    const std::size_t end = std::min<std::size_t>(block.size(), std::size_t{offset} + length);
    reply.insert(reply.end(), block.begin() + offset, block.begin() + static_cast<long>(end));
  }
  return reply;
}

ReplyPlan TesterCore::Answer(const ByteVector& request, std::chrono::system_clock::time_point now) {
  RequestRecord record;
  record.number = static_cast<std::uint32_t>(requests_.size() + 1);
  record.received = now;
  if (request.size() >= kRequestCodeAt) record.sequence = WordAt(request, kRequestSequenceAt);
  if (request.size() >= kRequestHeader) {
    record.code = WordAt(request, kRequestCodeAt);
    record.payload.assign(request.begin() + kRequestHeader, request.end());
  }
  requests_.push_back(record);

  ReplyPlan plan;
  plan.requestNumber = record.number;

  // Faults that fire on this request.
  std::vector<const Fault*> firing;
  for (auto& active : faults_) {
    const Fault& f = active.fault;
    bool hit = false;
    if (f.requestNumber) {
      hit = *f.requestNumber == record.number;
    } else if (f.code && *f.code == record.code) {
      hit = f.times == 0 || active.fired < f.times;
    }
    if (!hit) continue;
    ++active.fired;
    firing.push_back(&f);
  }
  auto has = [&](FaultKind kind) -> const Fault* {
    for (const Fault* f : firing) {
      if (f->kind == kind) return f;
    }
    return nullptr;
  };

  if (has(FaultKind::Silence)) silent_ = true;
  if (has(FaultKind::CloseLine)) {
    lineClosed_ = true;
    plan.closeLine = true;
    return plan;
  }

  ByteVector data;
  if (request.size() < kRequestHeader) {
    data = Malformed(record.code, record.sequence);
  } else if (const Fault* bad = has(FaultKind::BadStoredCrc);
             bad != nullptr && record.code == kCmdResultData) {
    data = ResultDataReply(record.sequence, record.payload, bad->value & 3);
  } else {
    data = ReplyData(record.sequence, record.code, record.payload);
  }

  if (const Fault* f = has(FaultKind::StatusError)) {
    data = Header(record.code, record.sequence, static_cast<std::uint16_t>(f->value), kReplyHeader);
  }
  // The tester acts on a command it has accepted, whether or not its reply gets through.
  const bool accepted = WordAt(data, kReplyStatusAt) == 0;
  if (accepted && record.code == kCmdSetRTC) {
    const auto& p = record.payload;
    clock_ = TesterClock{WordAt(p, 0), p[2], p[3], p[4], p[5], p[6]};
  }
  if (accepted && record.code == kCmdEndDownload) endDownload_ = true;

  if (silent_ || has(FaultKind::NoReply)) return plan;

  if (has(FaultKind::WrongSequence)) {
    StoreWord(data, kReplySequenceAt, static_cast<std::uint16_t>(record.sequence + 1));
  }
  if (has(FaultKind::SwappedHeader)) {
    StoreWord(data, kReplyCodeAt, record.sequence);
    StoreWord(data, kReplySequenceAt, record.code);
  }
  if (const Fault* f = has(FaultKind::Noise)) plan.bytes = NoiseBytes(f->value);
  const ByteVector frame =
      has(FaultKind::CorruptCrc) ? EncodeFrameWithBadCrc(data) : EncodeFrame(data);
  plan.bytes.insert(plan.bytes.end(), frame.begin(), frame.end());
  if (const Fault* f = has(FaultKind::LateReply)) plan.delayMs = f->value;
  if (const Fault* f = has(FaultKind::SplitReply)) {
    plan.pieceSize = std::max<std::uint32_t>(f->value, 1);
  }
  return plan;
}

}  // namespace Dexal
