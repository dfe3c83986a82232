#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace Dexal {

// What went wrong while opening a port, with the operating system's error code.
struct PortOpenResult {
  enum class Stage { Ok, OpenFailed, ConfigureFailed };
  Stage stage = Stage::Ok;
  std::uint32_t osError = 0;
};

// The serial line to the tester: 921600 baud, 8N1 (a start and a stop bit: ten bits a byte), no
// flow control, DTR and RTS on.
constexpr std::uint32_t kLineBaud = 921600;
constexpr std::uint32_t kLineBitsPerByte = 10;

// One implementation per OS, plus the in-memory fake of the tests.
class SerialPort {
 public:
  virtual ~SerialPort() = default;

  // Opens and configures the port; a port that is still open is closed first. After a
  // configuration failure the port stays open until Close or the next Open.
  virtual PortOpenResult Open(const std::wstring& portName) = 0;
  virtual void Close() = 0;
  [[nodiscard]] virtual bool IsOpen() const = 0;

  // One write call. May write fewer bytes than asked; false (with osError) on failure.
  virtual bool Write(const std::uint8_t* data, std::size_t size, std::size_t& written,
                     std::uint32_t& osError) = 0;

  // Returns what has arrived, waiting at most 50 ms for the first byte; 0 bytes is not a
  // failure. False (with osError) when the read call fails.
  virtual bool Read(std::uint8_t* buffer, std::size_t capacity, std::size_t& received,
                    std::uint32_t& osError) = 0;
};

std::unique_ptr<SerialPort> MakeSystemSerialPort();

}  // namespace Dexal
