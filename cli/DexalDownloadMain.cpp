// dexal-download: the dialog's download from a command line.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "DexalVersion.h"
#include "cli/CommandLine.h"
#include "cli/ConsoleNotices.h"
#include "cli/ConsoleTerminal.h"
#include "cli/PartFile.h"
#include "cli/PortListText.h"
#include "cli/SimulatedTester.h"
#include "download/DexalSerialDownloader.h"
#include "platform/Console.h"
#include "platform/Interruption.h"
#include "platform/WideText.h"
#include "report/ReportFiles.h"

namespace {

constexpr int kExitFailed = 1;

struct Options {
  std::string port;
  std::string output;
  bool graphPoints = false;
  bool setClock = false;
  bool simulate = false;
  bool listPorts = false;
  std::string report;
};

std::string Results(std::uint32_t count) {
  return std::to_string(count) + (count == 1 ? " result" : " results");
}

// The HTML report of the file the download has just written; the status of the program.
int WriteReport(const Options& options, const std::filesystem::path& csv) {
  Dexal::ReportRequest request;
  request.inputs = {{csv, options.output, Dexal::Utf8FromPath(csv.filename())}};
  request.html = Dexal::PathFromUtf8(options.report);
  request.madeAt = Dexal::SourceDateOrNow();
  try {
    Dexal::MakeReport(request);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "dexal-download: report: %s\n", e.what());
    return kExitFailed;
  }
  return 0;
}

int RunDownload(const Options& options) {
  using namespace Dexal;
  using Kind = DownloadOutcome::Kind;
  std::unique_ptr<SimulatedTester> simulated;
  std::wstring portName = WideTextFromUtf8(options.port);
  if (options.simulate) {
    std::string error;
    simulated = SimulatedTester::Start(error);
    if (!simulated) {
      std::fprintf(stderr, "dexal-download: cannot start the simulated tester: %s\n",
                   error.c_str());
      return kExitFailed;
    }
    portName = WideTextFromUtf8(simulated->PortName());
  }
  ConsoleNotices notices(stderr, StderrIsTerminal());
  const PartFile output(options.output);
  DownloadOutcome outcome;
  {
    DexalSerialDownloader downloader(
        {portName, output.DownloadPath(), options.setClock, options.graphPoints}, notices);
    outcome = downloader.Download();
  }  // the port is closed here
  notices.HintAfter(outcome, options.port);
  // A Ctrl-C ends the download, whatever failed while it waited for the next chunk.
  if (!outcome.Reached() && Interrupted()) outcome.kind = Kind::Stopped;

  const bool wroteFile = outcome.kind == Kind::Completed && outcome.fileBegun;
  if (wroteFile) {
    std::string reason;
    if (output.PutInPlace(reason)) {
      std::string said = Results(outcome.written) + " written to " + options.output;
      const int status = options.report.empty() ? 0 : WriteReport(options, output.Output());
      if (!options.report.empty() && status == 0) said += ", the report to " + options.report;
      std::printf("%s\n", said.c_str());
      return status;
    }
    std::fprintf(stderr, "dexal-download: %s cannot be replaced (%s)\n", options.output.c_str(),
                 reason.c_str());
  }
  std::string note = output.Settle(outcome);
  if (outcome.kind == Kind::NoResultsQueued && !options.report.empty()) {
    note += "; no report was made";
  }
  notices.Note(note);
  if (outcome.Reached() && !wroteFile) return 0;  // nothing to write: the output as it was
  return outcome.kind == Kind::Stopped ? kExitInterrupted : kExitFailed;
}

}  // namespace

static int RunProgram(int argc, char** argv) {
  CLI::App app{"Downloads the stored results of a Dexal tester into a CSV file.", "dexal-download"};
  Options options;
  auto* port = app.add_option("--port", options.port,
                              "serial port of the tester: a device path on Linux (/dev/ttyUSB0), "
                              "a COM name on Windows (COM3)");
  auto* output = app.add_option("--output", options.output,
                                "CSV file to write, replaced only by a download that completes; "
                                "until then the results go into FILE.part beside it");
  app.add_flag("--graph-points", options.graphPoints,
               "write the graph points of every pulse into the CSV file");
  app.add_flag("--set-clock", options.setClock,
               "set the tester's clock from this computer's clock after the results");
  auto* simulate = app.add_flag("--simulate", options.simulate,
                                "download from the built-in demo tester, emulated on a "
                                "pseudo-terminal (Linux)");
  auto* report = app.add_option("--report", options.report,
                                "HTML report of the CSV file to write after a completed download");
  auto* list = app.add_flag("--list-ports", options.listPorts, "list the serial ports and exit");
  app.set_version_flag("--version", "dexal-download " DEXAL_VERSION_TEXT);
  port->excludes(simulate);
  list->excludes(port)->excludes(simulate)->excludes(output)->excludes(report);
  app.footer(
      "A download that does not complete (a failure, Ctrl-C) leaves the output as it was; its "
      "whole results so far stay in FILE.part, and a \"note: \" line says how many.\n"
      "Exit status: 0 when the download completed (or no results were queued: the output is then "
      "as it was), 1 when it failed, 2 for a usage error, 130 when interrupted.");

  if (const std::optional<int> status = Dexal::ParseCommandLine(app, argc, argv)) return *status;

  if (options.listPorts) {
    std::vector<Dexal::DexalPortInfo> ports = Dexal::ListSerialPorts();
    for (auto& found : ports) found.latencyTimerMs = Dexal::AdapterLatencyTimer(found.portName);
    std::fputs(Dexal::PortListText(ports).c_str(), stdout);
    return 0;
  }
  if (options.output.empty() || (options.port.empty() && !options.simulate)) {
    std::fprintf(stderr,
                 "dexal-download: give --output FILE and either --port PORT or --simulate\n"
                 "Run with --help for more information.\n");
    return Dexal::kExitUsage;
  }
  std::error_code notFolder;
  if (std::filesystem::is_directory(Dexal::PathFromUtf8(options.output), notFolder)) {
    std::fprintf(stderr, "dexal-download: --output names a folder: %s\n", options.output.c_str());
    return Dexal::kExitUsage;
  }
  if (const auto error =
          Dexal::SameFileError({{"--output", options.output}, {"--report", options.report}})) {
    std::fprintf(stderr, "dexal-download: %s\n", error->c_str());
    return Dexal::kExitUsage;
  }
  Dexal::CatchInterruptions();
  return RunDownload(options);
}

int main(int argc, char** argv) {
  try {
    return RunProgram(argc, argv);
  } catch (const std::exception& e) {
    // The download reports its own failures; this is for what happens around it.
    std::fprintf(stderr, "dexal-download: %s\n", e.what());
    return 1;
  }
}
