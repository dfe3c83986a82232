// Arbitrary tester replies to a whole download: it must end in one of the documented notices,
// never in a crash, a hang or an unexpected exception.
//
// The input is a list of replies, one per request: [flags][length: 2 bytes LE][bytes]. With
// flag 1 the bytes follow the request's own code and sequence number (so they pass the echo
// check); with flag 2 they go on the line as they are instead of in a frame. When the list
// runs out the tester falls silent.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "download/DexalNotices.h"
#include "download/DexalSerialDownloader.h"
#include "link/FrameCodec.h"
#include "tests/support/FakeSerialPort.h"

namespace {

using Dexal::ByteVector;

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

// The reply to one request from the list at `at`, as it goes on the line.
ByteVector Reply(const ByteVector& request, const std::uint8_t* data, std::size_t size,
                 std::size_t& at) {
  if (at + 3 > size || request.size() < 4) return {};
  const std::uint8_t flags = data[at];
  const std::size_t length = std::min<std::size_t>(data[at + 1] | data[at + 2] << 8, size - at - 3);
  at += 3;
  ByteVector reply;
  if ((flags & 1) != 0) reply = {request[2], request[3], request[0], request[1]};  // code, sequence
  reply.insert(reply.end(), data + at, data + at + length);
  at += length;
  if ((flags & 2) != 0 || reply.empty()) return reply;
  return reply.size() <= Dexal::kMaxFrameData ? Dexal::EncodeFrame(reply) : ByteVector();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::filesystem::path output =
      std::filesystem::temp_directory_path() / "dexal-fuzz-download.csv";
  Dexal::testing::FakeTicks ticks;
  auto port = std::make_unique<Dexal::testing::FakeSerialPort>(ticks);
  Dexal::FrameReceiver requests;
  std::size_t at = 0;
  port->peer = [&](const ByteVector& written) {
    ByteVector line;
    for (const std::uint8_t byte : written) {
      if (!requests.Feed(byte)) continue;
      const ByteVector reply = Reply(requests.Data(), data, size, at);
      line.insert(line.end(), reply.begin(), reply.end());
    }
    return line;
  };
  CheckedNotices notices;
  Dexal::DexalSerialDownloader downloader({L"COM7", output.wstring(), size % 2 == 0, size % 3 == 0},
                                          notices, std::move(port), ticks);
  downloader.Download();
  return 0;
}
