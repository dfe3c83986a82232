#include "link/DexalSerialLink.h"

#include "link/Crc32.h"
#include "link/FrameCodec.h"
#include "platform/OsError.h"
#include "platform/SerialPort.h"
#include "platform/TickCount.h"

namespace Dexal {
namespace {

static_assert(kReadChunkBytes >= MaxEncodedFrameSize(kMaxFrameData),
              "one read takes in the largest reply frame");

const char* LinkErrorMessage(LinkError kind) {
  switch (kind) {
    case LinkError::None:
      return "Success.";
    case LinkError::OpenFailed:
      return "Cannot open COM port.";
    case LinkError::ConfigureFailed:
      return "Cannot configure COM port.";
    case LinkError::WriteFailed:
      return "Cannot write to COM port.";
    case LinkError::WriteTimedOut:
      return "";
    case LinkError::ReadFailed:
      return "Cannot read COM port.";
  }
  return "";
}

}  // namespace

DexalSerialLink::DexalSerialLink() : DexalSerialLink(MakeSystemSerialPort(), SystemTicks()) {}

DexalSerialLink::DexalSerialLink(std::unique_ptr<SerialPort> port, TickSource& ticks)
    : port_(std::move(port)), ticks_(ticks) {}

DexalSerialLink::~DexalSerialLink() { Close(); }

void DexalSerialLink::Record(LinkError kind, std::uint32_t osError) {
  errorKind_ = kind;
  osError_ = osError;
}

bool DexalSerialLink::IsOpen() const { return port_->IsOpen(); }

bool DexalSerialLink::Open(const std::wstring& portName) {
  port_->Close();
  openedName_.clear();
  Record(LinkError::None, 0);
  sequence_ = 0;
  const PortOpenResult result = port_->Open(portName);
  switch (result.stage) {
    case PortOpenResult::Stage::OpenFailed:
      Record(LinkError::OpenFailed, result.osError);
      return false;
    case PortOpenResult::Stage::ConfigureFailed:
      Record(LinkError::ConfigureFailed, result.osError);
      return false;
    case PortOpenResult::Stage::Ok:
      break;
  }
  openedName_ = portName;
  return true;
}

void DexalSerialLink::Close() {
  port_->Close();
  openedName_.clear();
}

bool DexalSerialLink::WriteFrame(const ByteVector& data, std::uint32_t* encodedLength) {
  const ByteVector frame = EncodeFrame(data);
  const std::uint32_t start = ticks_.Ticks();
  std::size_t sent = 0;
  while (sent < frame.size()) {
    if (ticks_.Ticks() - start > kFrameWriteTimeoutMs) {
      Record(LinkError::WriteTimedOut, LastOsError());
      return false;
    }
    std::size_t written = 0;
    std::uint32_t osError = 0;
    if (!port_->Write(frame.data() + sent, frame.size() - sent, written, osError)) {
      Record(LinkError::WriteFailed, osError);
      return false;
    }
    sent += written;
    bytesSent_ += written;
  }
  if (encodedLength != nullptr) *encodedLength = static_cast<std::uint32_t>(frame.size());
  return true;
}

bool DexalSerialLink::ReadFrame(ByteVector& data, std::uint32_t timeoutMs) {
  data.clear();
  FrameReceiver receiver;
  ByteVector buffer(kReadChunkBytes);
  const std::uint32_t start = ticks_.Ticks();
  bool firstAttempt = true;
  for (;;) {
    if (!firstAttempt && ticks_.Ticks() - start > timeoutMs) {
      // An unfinished frame is not a reply.
      return true;
    }
    firstAttempt = false;
    std::size_t received = 0;
    std::uint32_t osError = 0;
    if (!port_->Read(buffer.data(), buffer.size(), received, osError)) {
      Record(LinkError::ReadFailed, osError);
      return false;
    }
    bytesReceived_ += received;
    for (std::size_t i = 0; i < received; ++i) {
      if (receiver.Feed(buffer[i])) {
        data.swap(receiver.MutableData());
        return true;
      }
    }
  }
}

std::string DexalSerialLink::ErrorText() const {
  std::string text = "Protocol Error ";
  text += std::to_string(static_cast<std::int32_t>(errorKind_));
  text += ": ";
  text += LinkErrorMessage(errorKind_);
  text += "\n";
  text += OsErrorLabel();
  text += std::to_string(osError_);
  text += ": ";
  text += OsErrorMessage(osError_);
  return text;
}

bool DexalSerialLink::CheckCrc(const ByteVector& bytes, std::uint32_t expected) {
  return CrcUpdate(kCrcInitial, bytes.data(), bytes.size()) == expected;
}

}  // namespace Dexal
