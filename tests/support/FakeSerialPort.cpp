#include "tests/support/FakeSerialPort.h"

#include <algorithm>

namespace Dexal::testing {

PortOpenResult FakeSerialPort::Open(const std::wstring&) {
  open_ = failOpenAt != PortOpenResult::Stage::OpenFailed;
  if (failOpenAt != PortOpenResult::Stage::Ok) return {failOpenAt, 2};
  return {};
}

void FakeSerialPort::Deliver(const ByteVector& bytes, std::uint32_t afterMs) {
  if (bytes.empty()) return;
  pending_.push_back({ticks_.now + afterMs, bytes});
}

void FakeSerialPort::MoveArrived() {
  while (!pending_.empty() && static_cast<std::int32_t>(pending_.front().at - ticks_.now) <= 0) {
    ready_.insert(ready_.end(), pending_.front().bytes.begin(), pending_.front().bytes.end());
    pending_.pop_front();
  }
}

bool FakeSerialPort::Write(const std::uint8_t* data, std::size_t size, std::size_t& written,
                           std::uint32_t& osError) {
  written = 0;
  if (writeFailures > 0) {
    --writeFailures;
    osError = 5;
    return false;
  }
  if (writesStall) {
    ticks_.now += 10;
    return true;
  }
  ByteVector bytes(data, data + size);
  writeCalls.push_back(bytes);
  written = size;
  if (peer) Deliver(peer(bytes), 1);
  return true;
}

bool FakeSerialPort::Read(std::uint8_t* buffer, std::size_t capacity, std::size_t& received,
                          std::uint32_t& osError) {
  received = 0;
  if (readFailures > 0) {
    --readFailures;
    osError = 5;
    return false;
  }
  MoveArrived();
  if (ready_.empty()) {
    std::uint32_t wait = kFirstByteWaitMs;
    if (!pending_.empty()) wait = std::min<std::uint32_t>(wait, pending_.front().at - ticks_.now);
    ticks_.now += wait;
    MoveArrived();
  }
  received = std::min(capacity, ready_.size());
  std::copy_n(ready_.begin(), received, buffer);
  ready_.erase(ready_.begin(), ready_.begin() + static_cast<std::ptrdiff_t>(received));
  return true;
}

}  // namespace Dexal::testing
