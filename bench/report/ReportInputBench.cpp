// dexal-report over input that is not a file of ours: a gigabyte of zero bytes is refused at its
// first line, in little time and memory, however large the file is.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "bench/BenchProcess.h"

namespace Dexal {
namespace {

namespace fs = std::filesystem;

constexpr off_t kGiB = off_t{1} << 30;

struct ProgramRun {
  double seconds = -1;
  long peakKiB = -1;
  int status = -1;
  std::string stderrText;
};

// One run of the report program over `csv`, its standard error kept in `errors`.
ProgramRun RunReport(const std::string& program, const fs::path& csv, const fs::path& errors) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::string html = fs::path(csv).replace_extension(".html").string();
  std::string args[] = {program, csv.string(), "--html", html};
  char* argv[] = {args[0].data(), args[1].data(), args[2].data(), args[3].data(), nullptr};
  ProgramRun run;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const bool started = posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  if (!started) return run;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return run;
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.peakKiB = usage.ru_maxrss;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream in(errors);
  run.stderrText.assign(std::istreambuf_iterator<char>(in), {});
  return run;
}

int Main(int argc, char** argv) {
  std::string program = DEXAL_REPORT_PROGRAM;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::string(argv[i]) == "--report") program = argv[++i];
  }
  const std::string name = "dexal-bench-zeros-" + std::to_string(getpid());
  const fs::path csv = fs::temp_directory_path() / (name + ".csv");
  const fs::path errors = fs::temp_directory_path() / (name + ".err");
  {
    // A file of 1 GiB that reads as zero bytes: sparse, so it costs no disk.
    std::ofstream create(csv, std::ios::binary | std::ios::trunc);
  }
  if (truncate(csv.c_str(), kGiB) != 0) {
    std::fprintf(stderr, "cannot make %s\n", csv.c_str());
    return 1;
  }
  ProgramRun best;
  for (int i = 0; i < 3; ++i) {
    const ProgramRun run = RunReport(program, csv, errors);
    if (best.seconds < 0 || (run.seconds >= 0 && run.seconds < best.seconds)) best = run;
  }
  fs::remove(csv);
  fs::remove(errors);
  if (!best.stderrText.empty() && best.stderrText.back() == '\n') best.stderrText.pop_back();
  const std::string expected = csv.string() + ":1: ";
  const bool refused = best.status == 1 && best.stderrText.find(expected) != std::string::npos;
  std::printf("dexal-report over 1 GiB of zero bytes (best of 3)\n");
  std::printf("%-44s %12s\n", "measure", "value");
  std::printf("%-44s %10.3f s\n", "time to refuse 1 GiB of zero bytes", best.seconds);
  std::printf("%-44s %9.1f MB\n", "peak memory refusing 1 GiB of zero bytes",
              static_cast<double>(best.peakKiB) / 1024.0);
  std::printf("message: %s\n", best.stderrText.c_str());
  if (!refused) std::fprintf(stderr, "not refused at line 1 with status 1\n");
  return refused ? 0 : 1;
}

}  // namespace
}  // namespace Dexal

int main(int argc, char** argv) { return Dexal::Main(argc, argv); }
