// dexal-tester-sim: an emulated tester on a pseudo-terminal or a serial device.
#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <exception>
#include <fstream>
#include <iostream>
#include <mutex>
#include <nlohmann/json.hpp>

#include "DexalVersion.h"
#include "tester/DemoTester.h"
#include "tester/ScenarioJson.h"
#include "tester/TesterServer.h"

namespace {

volatile std::sig_atomic_t gStop = 0;
void OnSignal(int) { gStop = 1; }

std::string HexOf(const Dexal::ByteVector& bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  for (std::uint8_t b : bytes) {
    text += kHex[b >> 4];
    text += kHex[b & 0xF];
  }
  return text;
}

std::string CodeText(std::uint16_t code) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04x", code);
  return text;
}

}  // namespace

static int RunProgram(int argc, char** argv) {
  std::string scenarioPath, devicePath, logPath;
  std::vector<std::string> faultTexts;
  bool pace = false;
  std::uint32_t adapterLatencyMs = 0;
  bool once = false;

  CLI::App app{
      "Emulates a Dexal tester for the downloader: on a new pseudo-terminal (its path "
      "is printed as \"PTY /dev/pts/N\") or on a serial device.",
      "dexal-tester-sim"};
  app.add_option("--scenario", scenarioPath,
                 "scenario JSON file (default: the built-in demo tester)")
      ->check(CLI::ExistingFile);
  app.add_option("--device", devicePath,
                 "serve on this serial device instead of a pseudo-terminal");
  app.add_flag("--pace", pace, "give every byte its wire time at 921600 baud");
  app.add_option("--adapter-latency", adapterLatencyMs,
                 "send each reply in 62-byte USB packets and hold the last one, when it is not "
                 "full, for MS ms, as a USB-serial adapter's latency timer does (FTDI: 16 ms "
                 "unless lowered); 0, the default: no adapter")
      ->option_text("MS")
      ->check(CLI::Range(0, 255));
  app.add_option("--log", logPath, "write every request received to FILE as JSON lines");
  app.add_option("--fault", faultTexts, "inject a fault (repeatable): " + Dexal::FaultSyntaxHelp());
  app.add_flag("--once", once, "exit after the end-download command has been answered");
  app.set_version_flag("--version", "dexal-tester-sim " DEXAL_VERSION_TEXT);
  CLI11_PARSE(app, argc, argv);

  Dexal::TesterScenario scenario;
  try {
    scenario =
        scenarioPath.empty() ? Dexal::DemoTesterScenario() : Dexal::LoadScenarioFile(scenarioPath);
    for (const auto& text : faultTexts) scenario.faults.push_back(Dexal::ParseFault(text));
  } catch (const std::exception& e) {
    std::cerr << "dexal-tester-sim: " << e.what() << "\n";
    return 2;
  }

  std::ofstream log;
  if (!logPath.empty()) {
    log.open(logPath, std::ios::trunc);
    if (!log) {
      std::cerr << "dexal-tester-sim: cannot write the log " << logPath << "\n";
      return 2;
    }
  }

  Dexal::TesterServer server(std::move(scenario), {devicePath, pace, adapterLatencyMs});
  if (log.is_open()) {
    server.SetRequestObserver([&log](const Dexal::RequestRecord& r) {
      const auto ms =
          std::chrono::duration_cast<std::chrono::milliseconds>(r.received.time_since_epoch())
              .count();
      nlohmann::json line{{"request", r.number},
                          {"timeMs", ms},
                          {"sequence", r.sequence},
                          {"code", CodeText(r.code)},
                          {"payload", HexOf(r.payload)}};
      log << line.dump() << "\n" << std::flush;
    });
  }

  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  std::string error;
  if (!server.Start(error)) {
    std::cerr << "dexal-tester-sim: " << error << "\n";
    return 1;
  }
  if (devicePath.empty()) {
    std::cout << "PTY " << server.PortPath() << std::endl;
  } else {
    std::cout << "DEVICE " << server.PortPath() << std::endl;
  }

  while (gStop == 0) {
    if (server.WaitForEndDownload(std::chrono::milliseconds(100)) && once) {
      server.WaitForClientToClose(std::chrono::seconds(2));
      break;
    }
  }
  server.Stop();
  return 0;
}

int main(int argc, char** argv) {
  try {
    return RunProgram(argc, argv);
  } catch (const std::exception& e) {
    // Whatever the option and scenario checks did not turn into a message of their own.
    std::fprintf(stderr, "dexal-tester-sim: %s\n", e.what());
    return 1;
  }
}
