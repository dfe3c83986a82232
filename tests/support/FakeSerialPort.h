#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "link/ByteVector.h"
#include "platform/SerialPort.h"
#include "platform/TickCount.h"

namespace Dexal::testing {

// A clock that only moves when the fake port waits.
class FakeTicks final : public TickSource {
 public:
  std::uint32_t Ticks() override { return now; }
  std::uint32_t now = 0;
};

// An in-memory serial port. Bytes written go to `peer`, whose answer arrives 1 ms later; a read
// with nothing ready waits (on the fake clock) up to the port's first-byte wait. Failures give
// error 5 (2 for open).
class FakeSerialPort final : public SerialPort {
 public:
  using Peer = std::function<ByteVector(const ByteVector& written)>;

  explicit FakeSerialPort(FakeTicks& ticks) : ticks_(ticks) {}

  PortOpenResult Open(const std::wstring& portName) override;
  void Close() override { open_ = false; }
  [[nodiscard]] bool IsOpen() const override { return open_; }
  bool Write(const std::uint8_t* data, std::size_t size, std::size_t& written,
             std::uint32_t& osError) override;
  bool Read(std::uint8_t* buffer, std::size_t capacity, std::size_t& received,
            std::uint32_t& osError) override;

  // Bytes that arrive `afterMs` from now.
  void Deliver(const ByteVector& bytes, std::uint32_t afterMs = 0);

  Peer peer;

  PortOpenResult::Stage failOpenAt = PortOpenResult::Stage::Ok;
  int writeFailures = 0;     // the next N writes fail
  int readFailures = 0;      // the next N reads fail
  bool writesStall = false;  // writes accept nothing (and take 10 ms each)

  std::vector<ByteVector> writeCalls;

 private:
  struct Pending {
    std::uint32_t at;
    ByteVector bytes;
  };
  FakeTicks& ticks_;
  bool open_ = false;
  std::deque<Pending> pending_;
  ByteVector ready_;
  void MoveArrived();
};

}  // namespace Dexal::testing
