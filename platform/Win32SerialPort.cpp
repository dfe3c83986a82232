#include <windows.h>

#include "platform/SerialPort.h"

namespace Dexal {
namespace {

// The driver's queues each way: two whole reads.
constexpr auto kQueueSize = static_cast<DWORD>(2 * kReadChunkBytes);

class Win32SerialPort final : public SerialPort {
 public:
  ~Win32SerialPort() override { Close(); }

  PortOpenResult Open(const std::wstring& portName) override {
    Close();
    handle_ = CreateFileW(OpenPathFromPortName(portName).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) {
      return {PortOpenResult::Stage::OpenFailed, GetLastError()};
    }
    if (!Configure()) {
      return {PortOpenResult::Stage::ConfigureFailed, GetLastError()};
    }
    return {};
  }

  void Close() override {
    if (handle_ != INVALID_HANDLE_VALUE) {
      CloseHandle(handle_);
      handle_ = INVALID_HANDLE_VALUE;
    }
  }

  [[nodiscard]] bool IsOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }

  bool Write(const std::uint8_t* data, std::size_t size, std::size_t& written,
             std::uint32_t& osError) override {
    DWORD count = 0;
    if (!WriteFile(handle_, data, static_cast<DWORD>(size), &count, nullptr)) {
      osError = GetLastError();
      written = 0;
      return false;
    }
    written = count;
    return true;
  }

  bool Read(std::uint8_t* buffer, std::size_t capacity, std::size_t& received,
            std::uint32_t& osError) override {
    DWORD count = 0;
    if (!ReadFile(handle_, buffer, static_cast<DWORD>(capacity), &count, nullptr)) {
      osError = GetLastError();
      received = 0;
      return false;
    }
    received = count;
    return true;
  }

 private:
  bool Configure() {
    if (!SetCommMask(handle_, 0)) return false;
    if (!SetupComm(handle_, kQueueSize, kQueueSize)) return false;
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = kFirstByteWaitMs;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = kFrameWriteTimeoutMs;
    if (!SetCommTimeouts(handle_, &timeouts)) return false;
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    if (!GetCommState(handle_, &dcb)) return false;
    dcb.BaudRate = kLineBaud;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = 1;
    dcb.fParity = 0;
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 0;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = 0;
    dcb.fTXContinueOnXoff = 1;
    dcb.fOutX = 0;
    dcb.fInX = 0;
    dcb.fErrorChar = 0;
    dcb.fNull = 0;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fAbortOnError = 0;
    dcb.XonLim = 1024;
    dcb.XoffLim = 1024;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    dcb.ErrorChar = 0;
    dcb.EvtChar = 0;
    return SetCommState(handle_, &dcb) != 0;
  }

  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace

std::unique_ptr<SerialPort> MakeSystemSerialPort() { return std::make_unique<Win32SerialPort>(); }

std::wstring OpenPathFromPortName(const std::wstring& portName) { return L"\\\\.\\" + portName; }

}  // namespace Dexal
