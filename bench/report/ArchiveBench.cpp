// dexal-report over an archive of 200 emulated downloads with overlaps (20,000 results, about
// 200 of them with graph points), against the reader alone reading every file; and its peak
// memory.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "bench/BenchProcess.h"
#include "csv/DexalCSVreader.h"
#include "download/DexalSerialDownloader.h"
#include "platform/WideText.h"
#include "tester/ScenarioJson.h"
#include "tester/TesterServer.h"

namespace Dexal {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kDownloads = 200;
constexpr int kPerDownload = 100;
constexpr int kNewPerDownload = 80;  // the other 20 were sent the time before
constexpr int kAssets = 500;
constexpr int kGraphPointsEvery = 34;  // 6 downloads with graph points, a third of them pulses

// Result k of the department's history: the reference scenario's result k % 100 (its test type,
// values and pulse), made a result of asset k % 500 on its own date, two tests a year.
nlohmann::json HistoryResult(const nlohmann::json& reference, int k) {
  nlohmann::json r = reference["results"][k % 100];
  const int asset = k % kAssets, round = k / kAssets;
  r["assetId"] = "BME-" + std::to_string(10000 + asset);
  r["date"] = {{"year", 2010 + round / 2}, {"month", 1 + (round % 2) * 6}, {"day", 1 + asset % 28},
               {"hour", 8 + asset % 9},    {"minute", asset % 60},         {"second", 0}};
  return r;
}

bool Download(const TesterScenario& scenario, bool graphPoints, const fs::path& output) {
  TesterServer server(scenario, {"", false, 0});
  std::string error;
  if (!server.Start(error)) return false;
  LastNotice notices;
  DexalSerialDownloader downloader(
      {WideTextFromUtf8(server.PortPath()), output.wstring(), false, graphPoints}, notices);
  downloader.Download();
  server.Stop();
  return notices.Complete();
}

// Every section of every file, as the report reads them: the best of three, in seconds.
double ReaderSeconds(const std::vector<fs::path>& files, std::size_t& sections) {
  double best = -1;
  for (int i = 0; i < 3; ++i) {
    const auto start = Clock::now();
    sections = 0;
    for (const fs::path& file : files) {
      DexalCSVreader reader(file, file.string());
      DexalCsvSection section;
      while (reader.NextSection(section)) ++sections;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    best = best < 0 ? seconds : std::min(best, seconds);
  }
  return best;
}

struct ReportRun {
  double seconds = -1;
  long peakKiB = -1;
};

// dexal-report over the folder, HTML and table: the best of three, and its peak memory.
ReportRun Report(const std::string& program, const fs::path& folder) {
  ReportRun best;
  for (int i = 0; i < 3; ++i) {
    const auto start = Clock::now();
    const pid_t pid = Spawn({program, folder.string(), "--html", folder.string() + ".html",
                             "--table", folder.string() + ".table.csv"});
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !ExitedWithZero(status)) return {};
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (best.seconds < 0 || seconds < best.seconds) best.seconds = seconds;
    best.peakKiB = std::max(best.peakKiB, usage.ru_maxrss);
  }
  return best;
}

// The archive as five departments' (the Asset IDs of each made its own), to show what the
// report holds as the archive grows: the files of `folder` written into `into`.
std::size_t FiveDepartments(const std::vector<fs::path>& files, const fs::path& into) {
  fs::create_directories(into);
  std::size_t written = 0;
  for (int department = 1; department <= 5; ++department) {
    const std::string prefix = "D" + std::to_string(department) + "-BME-";
    for (const fs::path& file : files) {
      std::ifstream in(file, std::ios::binary);
      std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      std::string renamed;
      renamed.reserve(text.size() + text.size() / 16);
      for (std::size_t at = 0;;) {
        const std::size_t found = text.find("BME-", at);
        renamed.append(text, at, found == std::string::npos ? std::string::npos : found - at);
        if (found == std::string::npos) break;
        renamed += prefix;
        at = found + 4;
      }
      std::ofstream out(into / (std::to_string(department) + "-" + file.filename().string()),
                        std::ios::binary);
      out << renamed;
      written += out ? 1 : 0;
    }
  }
  return written;
}

int Main(int argc, char** argv) {
  std::string program = DEXAL_REPORT_PROGRAM;
  std::string keep;  // --keep DIR: the archive is made there and left
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::string(argv[i]) == "--report") program = argv[++i];
    if (std::string(argv[i]) == "--keep") keep = argv[++i];
  }
  std::ifstream in(DEXAL_REFERENCE_SCENARIO);
  const nlohmann::json reference = nlohmann::json::parse(in);
  const fs::path folder =
      keep.empty() ? fs::temp_directory_path() / ("dexal-bench-archive-" + std::to_string(getpid()))
                   : fs::path(keep);
  fs::create_directories(folder);
  std::vector<fs::path> files;
  bool complete = true;
  std::uintmax_t bytes = 0;
  for (int d = 0; d < kDownloads && complete; ++d) {
    nlohmann::json scenario = reference;
    scenario["results"] = nlohmann::json::array();
    for (int i = 0; i < kPerDownload; ++i) {
      scenario["results"].push_back(HistoryResult(reference, d * kNewPerDownload + i));
    }
    char name[16];
    std::snprintf(name, sizeof name, "%03d.csv", d);
    files.push_back(folder / name);
    complete =
        Download(ScenarioFromJson(scenario.dump()), d % kGraphPointsEvery == 0, files.back());
    bytes += complete ? fs::file_size(files.back()) : 0;
  }
  std::size_t sections = 0;
  const double reader = complete ? ReaderSeconds(files, sections) : -1;
  const ReportRun report = complete ? Report(program, folder) : ReportRun{};
  const fs::path five = folder.string() + "-five";
  const bool fiveMade = complete && FiveDepartments(files, five) == 5 * files.size();
  const ReportRun fiveReport = fiveMade ? Report(program, five) : ReportRun{};
  fs::remove_all(five);
  fs::remove(five.string() + ".html");
  fs::remove(five.string() + ".table.csv");
  if (keep.empty()) fs::remove_all(folder);
  fs::remove(folder.string() + ".html");
  fs::remove(folder.string() + ".table.csv");
  std::printf("archive: %d downloads, %zu results, %.1f MB\n", kDownloads, sections,
              static_cast<double>(bytes) / 1e6);
  std::printf("%-44s %10.3f s\n", "reader alone over the archive", reader);
  std::printf("%-44s %10.3f s\n", "dexal-report over the archive", report.seconds);
  std::printf("%-44s %11.2fx\n", "archive report / reader alone", report.seconds / reader);
  std::printf("%-44s %9.1f MB\n", "peak memory of the archive report",
              static_cast<double>(report.peakKiB) / 1024.0);
  std::printf("%-44s %10.3f s\n", "dexal-report over five such archives", fiveReport.seconds);
  std::printf("%-44s %9.1f MB\n", "peak memory of the five archives' report",
              static_cast<double>(fiveReport.peakKiB) / 1024.0);
  return complete && reader > 0 && report.seconds > 0 && fiveReport.seconds > 0 ? 0 : 1;
}

}  // namespace
}  // namespace Dexal

int main(int argc, char** argv) { return Dexal::Main(argc, argv); }
