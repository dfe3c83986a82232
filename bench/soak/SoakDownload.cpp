// Long downloads and many downloads:
//  1. one dexal-download process fetching a long run of results without pacing: its resident
//     memory, sampled while it runs, must stay under the limit and flat once it is under way;
//  2. many downloads in this process: no file descriptor may be left open (and, in the
//     sanitizer build, the leak checker sees every allocation freed at exit).
//
//   soak_download --download PATH [--results N] [--downloads M] [--limit-mb X] [--no-memory]
#include <dirent.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchProcess.h"
#include "download/DexalSerialDownloader.h"
#include "platform/WideText.h"
#include "tester/ScenarioJson.h"
#include "tester/TesterCore.h"
#include "tester/TesterServer.h"

namespace Dexal {
namespace {

namespace fs = std::filesystem;

struct Options {
  std::string download;
  std::size_t results = 2000;
  int downloads = 200;
  double limitMb = 20.0;
  bool memory = true;
};

TesterScenario Repeated(const TesterScenario& base, std::size_t count) {
  TesterScenario scenario = base;
  scenario.results.clear();
  for (std::size_t i = 0; i < count; ++i) {
    scenario.results.push_back(base.results[i % base.results.size()]);
  }
  return scenario;
}

long ResidentKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

int OpenDescriptors() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (readdir(dir) != nullptr) ++count;
    closedir(dir);
  }
  return count;
}

// One long download by the program, its memory sampled against the results served.
bool LongDownload(const Options& options, const TesterScenario& base, const fs::path& output) {
  TesterServer server(Repeated(base, options.results));
  std::atomic<std::size_t> served{0};
  server.SetRequestObserver([&](const RequestRecord& r) {
    if (r.code == kCmdResultInfo) ++served;
  });
  std::string error;
  if (!server.Start(error)) {
    std::fprintf(stderr, "cannot start the emulator: %s\n", error.c_str());
    return false;
  }
  const pid_t pid = Spawn({options.download, "--port", server.PortPath(), "--output",
                           output.string(), "--graph-points"});
  if (pid < 0) {
    std::fprintf(stderr, "cannot start %s\n", options.download.c_str());
    return false;
  }
  struct Sample {
    std::size_t result;
    long kib;
  };
  std::vector<Sample> samples;
  int status = 0;
  const auto start = std::chrono::steady_clock::now();
  while (waitpid(pid, &status, WNOHANG) == 0) {
    const long kib = ResidentKiB(pid);
    if (kib > 0) samples.push_back({served.load(), kib});
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  server.Stop();
  if (!ExitedWithZero(status)) {
    std::fprintf(stderr, "FAIL: the long download did not complete\n");
    return false;
  }
  long peak = 0, atHundred = 0, afterHundred = 0;
  for (const Sample& s : samples) {
    peak = std::max(peak, s.kib);
    if (s.result <= 100) atHundred = std::max(atHundred, s.kib);
    if (s.result > 100) afterHundred = std::max(afterHundred, s.kib);
  }
  std::printf(
      "long download: %zu results in %.1f s (%.0f results/s), %zu memory samples, "
      "peak %.1f MB, by result 100 %.1f MB, after it %.1f MB\n",
      options.results, seconds, static_cast<double>(options.results) / seconds, samples.size(),
      static_cast<double>(peak) / 1024, static_cast<double>(atHundred) / 1024,
      static_cast<double>(afterHundred) / 1024);
  if (!options.memory) return true;
  bool ok = true;
  if (static_cast<double>(peak) / 1024 >= options.limitMb) {
    std::fprintf(stderr, "FAIL: peak memory %.1f MB, limit %.1f MB\n",
                 static_cast<double>(peak) / 1024, options.limitMb);
    ok = false;
  }
  // Flat: what the first hundred results needed is all the rest need too (1 MB of slack for
  // the allocator's whims).
  if (afterHundred > atHundred + 1024) {
    std::fprintf(stderr, "FAIL: memory grew from %.1f MB to %.1f MB after result 100\n",
                 static_cast<double>(atHundred) / 1024, static_cast<double>(afterHundred) / 1024);
    ok = false;
  }
  return ok;
}

// Many downloads in this process from one emulator.
bool ManyDownloads(const Options& options, const TesterScenario& base, const fs::path& output) {
  TesterServer server(Repeated(base, 3));
  std::string error;
  if (!server.Start(error)) return false;
  const int before = OpenDescriptors();
  for (int i = 0; i < options.downloads; ++i) {
    LastNotice notices;
    DexalSerialDownloader downloader(
        {WideTextFromUtf8(server.PortPath()), output.wstring(), false, i % 2 == 0}, notices);
    downloader.Download();
    if (!notices.Complete()) {
      std::fprintf(stderr, "FAIL: download %d ended with %s\n", i + 1, notices.last.c_str());
      return false;
    }
  }
  const int after = OpenDescriptors();
  server.Stop();
  std::printf("%d downloads in one process: %d open descriptors before, %d after\n",
              options.downloads, before, after);
  if (after != before) {
    std::fprintf(stderr, "FAIL: %d file descriptors leaked\n", after - before);
    return false;
  }
  return true;
}

int Main(int argc, char** argv) {
  Options options;
  std::string scenarioPath = DEXAL_REFERENCE_SCENARIO;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--download" && hasValue)
      options.download = argv[++i];
    else if (arg == "--results" && hasValue)
      options.results = std::stoul(argv[++i]);
    else if (arg == "--downloads" && hasValue)
      options.downloads = std::stoi(argv[++i]);
    else if (arg == "--limit-mb" && hasValue)
      options.limitMb = std::stod(argv[++i]);
    else if (arg == "--scenario" && hasValue)
      scenarioPath = argv[++i];
    else if (arg == "--no-memory")
      options.memory = false;
    else {
      std::fprintf(stderr, "soak_download: unknown argument %s\n", arg.c_str());
      return 2;
    }
  }
  if (options.download.empty()) {
    std::fprintf(stderr, "usage: soak_download --download PATH [--results N] [--downloads M]\n");
    return 2;
  }
  const TesterScenario base = LoadScenarioFile(scenarioPath);
  const fs::path dir = fs::temp_directory_path() / ("dexal-soak-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const bool ok = LongDownload(options, base, dir / "long.csv") &&
                  ManyDownloads(options, base, dir / "many.csv");
  fs::remove_all(dir);
  std::printf(ok ? "PASS: soak\n" : "FAIL: soak\n");
  return ok ? 0 : 1;
}

}  // namespace
}  // namespace Dexal

int main(int argc, char** argv) { return Dexal::Main(argc, argv); }
