// dexal-download: the dialog's download from a command line.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "DexalVersion.h"
#include "cli/CommandLine.h"
#include "cli/ConsoleNotices.h"
#include "cli/ConsoleTerminal.h"
#include "cli/PortListText.h"
#include "cli/SimulatedTester.h"
#include "download/DexalSerialDownloader.h"
#include "platform/Console.h"
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

// The HTML report of the file the download has just written.
int WriteReport(const Options& options) {
  Dexal::ReportRequest request;
  request.csv = Dexal::PathFromUtf8(options.output);
  request.csvName = options.output;
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
  DownloadOutcome outcome;
  {
    DexalSerialDownloader downloader(
        {portName, WideTextFromUtf8(options.output), options.setClock, options.graphPoints},
        notices);
    outcome = downloader.Download();
  }  // the port is closed here
  notices.HintAfter(outcome, options.port);
  if (!outcome.Reached()) return kExitFailed;
  return options.report.empty() ? 0 : WriteReport(options);
}

}  // namespace

static int RunProgram(int argc, char** argv) {
  CLI::App app{"Downloads the stored results of a Dexal tester into a CSV file.", "dexal-download"};
  Options options;
  auto* port = app.add_option("--port", options.port,
                              "serial port of the tester: a device path on Linux (/dev/ttyUSB0), "
                              "a COM name on Windows (COM3)");
  auto* output = app.add_option("--output", options.output,
                                "CSV file to write; its former contents are replaced");
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
  app.footer("Exit status: 0 when the download completed, 1 when it failed, 2 for a usage error.");

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
