// Seeds for fuzz_download_replies: runs downloads against the emulator's protocol core and
// writes each one's replies in the fuzz target's input format.
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>

#include "download/DexalNotices.h"
#include "download/DexalSerialDownloader.h"
#include "link/FrameCodec.h"
#include "platform/SerialPort.h"
#include "platform/TickCount.h"
#include "tester/DemoTester.h"
#include "tester/TesterCore.h"

namespace {

using namespace Dexal;

class ManualTicks final : public TickSource {
 public:
  std::uint32_t Ticks() override { return now; }
  std::uint32_t now = 0;
};

// A line to the core that keeps every reply as [1][length][reply data after code and sequence].
class RecordingLine final : public SerialPort {
 public:
  RecordingLine(TesterCore& core, ManualTicks& ticks, ByteVector& seed)
      : core_(core), ticks_(ticks), seed_(seed) {}
  PortOpenResult Open(const std::wstring&) override { return {}; }
  void Close() override {}
  [[nodiscard]] bool IsOpen() const override { return true; }
  bool Write(const std::uint8_t* bytes, std::size_t size, std::size_t& written,
             std::uint32_t&) override {
    written = size;
    for (const ReplyPlan& plan : core_.Feed(bytes, size, std::chrono::system_clock::now())) {
      FrameReceiver receiver;
      for (std::uint8_t b : plan.bytes) {
        if (!receiver.Feed(b)) continue;
        const ByteVector& data = receiver.Data();
        const std::size_t length = data.size() - 4;
        seed_.push_back(1);
        seed_.push_back(static_cast<std::uint8_t>(length & 0xFF));
        seed_.push_back(static_cast<std::uint8_t>(length >> 8));
        seed_.insert(seed_.end(), data.begin() + 4, data.end());
      }
      line_.insert(line_.end(), plan.bytes.begin(), plan.bytes.end());
    }
    return true;
  }
  bool Read(std::uint8_t* buffer, std::size_t capacity, std::size_t& received,
            std::uint32_t&) override {
    received = 0;
    if (line_.empty()) ticks_.now += 50;
    while (received < capacity && !line_.empty()) {
      buffer[received++] = line_.front();
      line_.pop_front();
    }
    return true;
  }

 private:
  TesterCore& core_;
  ManualTicks& ticks_;
  ByteVector& seed_;
  std::deque<std::uint8_t> line_;
};

class Quiet final : public DexalNotices {
 public:
  void Notify(const std::string&, const std::string&, NoticeKind) override {}
};

void Write(const std::filesystem::path& dir, const std::string& name, TesterScenario scenario) {
  TesterCore core(std::move(scenario));
  ManualTicks ticks;
  ByteVector seed;
  Quiet quiet;
  const auto csv = std::filesystem::temp_directory_path() / "dexal-seed.csv";
  {
    DexalSerialDownloader downloader(L"COM7", csv.wstring(), quiet,
                                     std::make_unique<RecordingLine>(core, ticks, seed), ticks);
    downloader.setClock = true;
    downloader.Download();
  }
  std::filesystem::remove(csv);
  std::ofstream(dir / name, std::ios::binary)
      .write(reinterpret_cast<const char*>(seed.data()), static_cast<std::streamsize>(seed.size()));
  std::printf("%s: %zu bytes\n", name.c_str(), seed.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_download_seeds DIR\n");
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::filesystem::create_directories(dir);
  TesterScenario demo = DemoTesterScenario();
  TesterScenario none = demo;
  none.results.clear();
  Write(dir, "no-results.bin", none);
  for (std::size_t i = 0; i < demo.results.size(); ++i) {
    TesterScenario one = demo;
    one.results = {demo.results[i]};
    Write(dir, "result-" + std::to_string(i + 1) + ".bin", one);
  }
  return 0;
}
