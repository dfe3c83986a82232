#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "link/ByteVector.h"

namespace Dexal {

class SerialPort;
class TickSource;

enum class LinkError : std::int32_t {
  None = 0,
  OpenFailed = 1,
  ConfigureFailed = 2,
  WriteFailed = 3,
  WriteTimedOut = 4,
  ReadFailed = 5,
};

// Owns the serial port for one download: frames out, frames in, bounded in time, and a record
// of the last failure. Never throws.
class DexalSerialLink {
 public:
  DexalSerialLink();
  DexalSerialLink(std::unique_ptr<SerialPort> port, TickSource& ticks);
  ~DexalSerialLink();
  DexalSerialLink(const DexalSerialLink&) = delete;
  DexalSerialLink& operator=(const DexalSerialLink&) = delete;

  bool Open(const std::wstring& portName);
  void Close();

  // Encodes and writes one frame; encodedLength gets the bytes that went on the wire.
  bool WriteFrame(const ByteVector& data, std::uint32_t* encodedLength = nullptr);

  // Waits for one valid frame. True when a frame arrived (data holds it) or the time-out
  // passed (data empty); false when the port could not be read.
  bool ReadFrame(ByteVector& data, std::uint32_t timeoutMs);

  [[nodiscard]] std::string ErrorText() const;

  static bool CheckCrc(const ByteVector& bytes, std::uint32_t expected);

  [[nodiscard]] bool IsOpen() const;
  [[nodiscard]] const std::wstring& OpenedName() const { return openedName_; }
  [[nodiscard]] std::uint16_t Sequence() const { return sequence_; }
  void SetSequence(std::uint16_t value) { sequence_ = value; }
  // Advances the counter (wrapping) and returns the new value.
  std::uint16_t NextSequence() { return ++sequence_; }
  [[nodiscard]] LinkError ErrorKind() const { return errorKind_; }
  [[nodiscard]] std::uint32_t OsErrorCode() const { return osError_; }
  // Every byte that has come in on this link (for progress reports).
  [[nodiscard]] std::uint64_t BytesReceived() const { return bytesReceived_; }
  [[nodiscard]] std::uint64_t BytesSent() const { return bytesSent_; }

 private:
  void Record(LinkError kind, std::uint32_t osError);

  std::unique_ptr<SerialPort> port_;
  TickSource& ticks_;
  std::wstring openedName_;
  std::uint16_t sequence_ = 1;
  LinkError errorKind_ = LinkError::None;
  std::uint32_t osError_ = 0;
  std::uint64_t bytesReceived_ = 0;
  std::uint64_t bytesSent_ = 0;
};

}  // namespace Dexal
