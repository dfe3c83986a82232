// The whole download against the emulator on a pseudo-terminal: paced at 921600 baud against the
// ideal time of its bytes on the wire, also through an emulated USB adapter with latency timers
// of 1 to 16 ms; unpaced results per second, and the peak memory of the dexal-download process.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "bench/BenchProcess.h"
#include "download/DexalSerialDownloader.h"
#include "platform/WideText.h"
#include "tester/ScenarioJson.h"
#include "tester/TesterServer.h"

namespace Dexal {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr double kBitsPerByte = 10.0;
constexpr double kBaud = 921600.0;

struct Run {
  double seconds = 0;
  std::uint64_t bytesOnWire = 0;
  std::size_t commands = 0;
  bool complete = false;
};

Run DownloadOnce(const TesterScenario& scenario, bool pace, bool graphPoints,
                 const fs::path& output, std::uint32_t adapterLatencyMs = 0) {
  TesterServer server(scenario, {"", pace, adapterLatencyMs});
  std::string error;
  if (!server.Start(error)) {
    std::fprintf(stderr, "cannot start the emulator: %s\n", error.c_str());
    return {};
  }
  LastNotice notices;
  DexalSerialDownloader downloader(
      {WideTextFromUtf8(server.PortPath()), output.wstring(), false, graphPoints}, notices);
  const auto start = Clock::now();
  downloader.Download();
  Run run;
  run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  run.bytesOnWire = downloader.link.BytesSent() + downloader.link.BytesReceived();
  run.commands = server.Requests().size();
  run.complete = notices.Complete();
  if (!run.complete) std::fprintf(stderr, "download failed: %s\n", notices.last.c_str());
  server.Stop();
  return run;
}

// Peak resident memory of one dexal-download process, in KiB.
long PeakMemoryKiB(const std::string& program, const TesterScenario& scenario,
                   const fs::path& output) {
  TesterServer server(scenario, {"", false});
  std::string error;
  if (!server.Start(error)) return -1;
  const pid_t pid =
      Spawn({program, "--port", server.PortPath(), "--output", output.string(), "--graph-points"});
  if (pid < 0) return -1;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid || !ExitedWithZero(status)) return -1;
  server.Stop();
  return usage.ru_maxrss;
}

// Wall time of one run of a program with the given arguments; negative when it fails.
double ProgramSeconds(std::vector<std::string> args) {
  const auto start = Clock::now();
  const pid_t pid = Spawn(std::move(args));
  if (pid < 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !ExitedWithZero(status)) return -1;
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// dexal-report over the file with graph points: the best of three runs.
double ReportSeconds(const std::string& program, const fs::path& csv) {
  const fs::path html = fs::path(csv).replace_extension(".html");
  double best = -1;
  for (int i = 0; i < 3; ++i) {
    const double seconds = ProgramSeconds({program, csv.string(), "--html", html.string()});
    if (seconds < 0) return -1;
    best = best < 0 ? seconds : std::min(best, seconds);
  }
  fs::remove(html);
  return best;
}

// Python's csv module merely reading the same file, row by row: the best of three runs.
double PythonCsvSeconds(const fs::path& csv) {
  double best = -1;
  for (int i = 0; i < 3; ++i) {
    const double seconds = ProgramSeconds(
        {"/usr/bin/python3", "-c",
         "import csv, sys\nfor row in csv.reader(open(sys.argv[1], newline='')): pass",
         csv.string()});
    if (seconds < 0) return -1;
    best = best < 0 ? seconds : std::min(best, seconds);
  }
  return best;
}

int Main(int argc, char** argv) {
  std::string scenarioPath = DEXAL_REFERENCE_SCENARIO;
  std::string program = DEXAL_DOWNLOAD_PROGRAM;
  std::string reportProgram = DEXAL_REPORT_PROGRAM;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::string(argv[i]) == "--scenario") scenarioPath = argv[++i];
    if (std::string(argv[i]) == "--download") program = argv[++i];
    if (std::string(argv[i]) == "--report") reportProgram = argv[++i];
  }
  const TesterScenario scenario = LoadScenarioFile(scenarioPath);
  // Named for this process: two benchmarks on one machine must not write into one file.
  const fs::path output =
      fs::temp_directory_path() / ("dexal-bench-download-" + std::to_string(getpid()) + ".csv");
  const double results = static_cast<double>(scenario.results.size());

  const Run paced = DownloadOnce(scenario, true, false, output);
  const Run pacedGraph = DownloadOnce(scenario, true, true, output);
  const double ideal = static_cast<double>(paced.bytesOnWire) * kBitsPerByte / kBaud;
  bool allComplete = paced.complete && pacedGraph.complete;
  // FTDI's timer is 16 ms unless lowered, and 1 ms in the Linux driver's low-latency mode.
  constexpr std::uint32_t kAdapterLatenciesMs[] = {1, 2, 4, 8, 16};
  std::vector<Run> throughAdapter;
  for (const std::uint32_t ms : kAdapterLatenciesMs) {
    throughAdapter.push_back(DownloadOnce(scenario, true, true, output, ms));
    allComplete = allComplete && throughAdapter.back().complete;
  }
  constexpr int kUnpacedRuns = 5;
  double unpacedSeconds = 0;
  for (int i = 0; i < kUnpacedRuns; ++i) {
    const Run run = DownloadOnce(scenario, false, true, output);
    unpacedSeconds += run.seconds;
    allComplete = allComplete && run.complete;
  }
  const long peak = PeakMemoryKiB(program, scenario, output);
  const auto csvBytes = fs::file_size(output);
  const double report = ReportSeconds(reportProgram, output);
  const double python = PythonCsvSeconds(output);
  fs::remove(output);

  std::printf(
      "download of %s: %.0f results, %llu bytes on the wire, CSV %llu bytes with graph "
      "points\n",
      fs::path(scenarioPath).filename().string().c_str(), results,
      static_cast<unsigned long long>(paced.bytesOnWire),
      static_cast<unsigned long long>(csvBytes));
  std::printf("%-44s %12s\n", "measure", "value");
  std::printf("%-44s %10.2f s\n", "paced download at 921600 baud", paced.seconds);
  std::printf("%-44s %10.2f s\n", "ideal wire time (10 bits a byte)", ideal);
  std::printf("%-44s %11.3fx\n", "paced / ideal", paced.seconds / ideal);
  std::printf("%-44s %10.2f s\n", "paced download with graph points", pacedGraph.seconds);
  std::printf("%-44s %11.3fx\n", "paced with graph points / ideal", pacedGraph.seconds / ideal);
  std::printf("%-44s %12zu\n", "commands of the download", pacedGraph.commands);
  for (std::size_t i = 0; i < throughAdapter.size(); ++i) {
    const std::string what =
        "adapter latency " + std::to_string(kAdapterLatenciesMs[i]) + " ms, graph points / ideal";
    std::printf("%-44s %11.3fx\n", what.c_str(), throughAdapter[i].seconds / ideal);
  }
  std::printf("%-44s %12.0f\n", "unpaced results per second (graph points)",
              results * kUnpacedRuns / unpacedSeconds);
  std::printf("%-44s %9.1f MB\n", "peak memory of dexal-download (graph points)",
              static_cast<double>(peak) / 1024.0);
  std::printf("%-44s %10.3f s\n", "dexal-report over the graph-points file", report);
  std::printf("%-44s %11.3fx\n", "report / ideal", report / ideal);
  std::printf("%-44s %10.3f s\n", "python csv module reading that file", python);
  std::printf("%-44s %11.2fx\n", "python csv reading / report", python / report);
  return allComplete && peak > 0 && report > 0 && python > 0 ? 0 : 1;
}

}  // namespace
}  // namespace Dexal

int main(int argc, char** argv) { return Dexal::Main(argc, argv); }
