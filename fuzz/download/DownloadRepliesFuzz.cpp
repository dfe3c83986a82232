// Arbitrary tester replies to a whole download: it must end in one of the documented notices,
// never in a crash, a hang or an unexpected exception.
//
// The input is a list of replies, one per request: [flags][length: 2 bytes LE][bytes]. With
// flag 1 the bytes follow the request's own code and sequence number (so they pass the echo
// check); with flag 2 they go on the line as they are instead of in a frame. When the list
// runs out the tester falls silent.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <string>
#include <string_view>

#include "download/DexalNotices.h"
#include "download/DexalSerialDownloader.h"
#include "link/FrameCodec.h"
#include "platform/SerialPort.h"
#include "tests/support/FakeSerialPort.h"

namespace {

using Dexal::ByteVector;

class ScriptedLine final : public Dexal::SerialPort {
 public:
  ScriptedLine(const std::uint8_t* data, std::size_t size, Dexal::testing::FakeTicks& ticks)
      : data_(data), size_(size), ticks_(ticks) {}

  Dexal::PortOpenResult Open(const std::wstring&) override {
    open_ = true;
    return {};
  }
  void Close() override { open_ = false; }
  [[nodiscard]] bool IsOpen() const override { return open_; }

  bool Write(const std::uint8_t* bytes, std::size_t size, std::size_t& written,
             std::uint32_t&) override {
    written = size;
    for (std::size_t i = 0; i < size; ++i) {
      if (requests_.Feed(bytes[i])) Answer(requests_.Data());
    }
    return true;
  }

  bool Read(std::uint8_t* buffer, std::size_t capacity, std::size_t& received,
            std::uint32_t&) override {
    received = 0;
    if (line_.empty()) ticks_.now += 50;  // a read with nothing to read waits
    while (received < capacity && !line_.empty()) {
      buffer[received++] = line_.front();
      line_.pop_front();
    }
    return true;
  }

 private:
  void Answer(const ByteVector& request) {
    if (at_ + 3 > size_ || request.size() < 4) return;
    const std::uint8_t flags = data_[at_];
    std::size_t length = static_cast<std::size_t>(data_[at_ + 1] | data_[at_ + 2] << 8);
    at_ += 3;
    if (length > size_ - at_) length = size_ - at_;
    ByteVector reply;
    if ((flags & 1) != 0) {
      // Reply header order: code, then sequence.
      reply = {request[2], request[3], request[0], request[1]};
    }
    reply.insert(reply.end(), data_ + at_, data_ + at_ + length);
    at_ += length;
    if ((flags & 2) != 0) {
      line_.insert(line_.end(), reply.begin(), reply.end());
    } else if (!reply.empty() && reply.size() <= Dexal::kMaxFrameData) {
      const ByteVector frame = Dexal::EncodeFrame(reply);
      line_.insert(line_.end(), frame.begin(), frame.end());
    }
  }

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
  Dexal::testing::FakeTicks& ticks_;
  bool open_ = false;
  Dexal::FrameReceiver requests_;
  std::deque<std::uint8_t> line_;
};

// Aborts on any notice the download is not documented to give.
class CheckedNotices final : public Dexal::DexalNotices {
 public:
  void Notify(const std::string& caption, const std::string& text, Dexal::NoticeKind) override {
    bool known = false;
    if (caption == "Download") {
      known = text == "No results queued for download, is the tester in download mode?" ||
              text.rfind("Download complete", 0) == 0;
    } else if (caption == "Error") {
      known = text == "Download error: try 1" || text == "Download error: try 2";
    } else if (caption == "Runtime Error") {
      for (std::string_view prefix :
           {"Error ", "No response from tester", "Protocol Error ",
            "Response from tester is too short",
            "Result segment sizes from tester are out of range",
            "Result count from tester is out of range", "The download was aborted", "Could not "}) {
        known = known || text.starts_with(prefix);
      }
    }
    if (!known) {
      std::fprintf(stderr, "undocumented notice [%s] %s\n", caption.c_str(), text.c_str());
      std::abort();
    }
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::filesystem::path output =
      std::filesystem::temp_directory_path() / "dexal-fuzz-download.csv";
  Dexal::testing::FakeTicks ticks;
  CheckedNotices notices;
  {
    Dexal::DexalSerialDownloader downloader(L"COM7", output.wstring(), notices,
                                            std::make_unique<ScriptedLine>(data, size, ticks),
                                            ticks);
    downloader.setClock = size % 2 == 0;
    downloader.outputGraphPoints = size % 3 == 0;
    downloader.Download();
  }
  return 0;
}
