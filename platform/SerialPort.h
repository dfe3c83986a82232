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

// How long one read waits for its first byte (the Win32 read time-out; POSIX polls as long). The
// link checks its deadlines between reads, so this is short against the tester's 200 ms: a silent
// line ends a frame read at most this much after its time-out.
constexpr std::uint32_t kFirstByteWaitMs = 50;

// How long one frame may take to be written (the Win32 write time-out, and the link's deadline
// across the write calls of one frame). The largest frame takes under 100 ms at the line's speed,
// so only a line that has stalled reaches it.
constexpr std::uint32_t kFrameWriteTimeoutMs = 3000;

// What one read takes in at most: a whole reply frame. The largest holds 4104 data bytes (a
// 4096-byte chunk after its 8-byte reply header); with every byte between the markers escaped it
// takes 2 x (4104 data + 2 length + 4 CRC) + 2 markers = 8222 bytes, which 8248 (0x2038, the
// tester's own figure) holds with 26 to spare. The driver queues hold two such reads (16496).
constexpr std::size_t kReadChunkBytes = 8248;

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

  // Returns what has arrived, waiting at most kFirstByteWaitMs for the first byte; 0 bytes is
  // not a failure. False (with osError) when the read call fails.
  virtual bool Read(std::uint8_t* buffer, std::size_t capacity, std::size_t& received,
                    std::uint32_t& osError) = 0;
};

std::unique_ptr<SerialPort> MakeSystemSerialPort();

// The path a port is opened by. Windows takes COM10 and above only as \\.\COMnn, so every
// name gets that prefix; elsewhere the name is the device path.
std::wstring OpenPathFromPortName(const std::wstring& portName);

}  // namespace Dexal
