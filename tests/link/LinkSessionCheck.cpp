// Talks to a tester through the system's serial port: identity, result count and the first
// result's sizes, printed one per line, then ends the download. Built for both systems so that
// the Windows port code under Wine can be compared with the native one against the emulator.
#include <cstdio>
#include <exception>
#include <string>

#include "link/DexalPerformCmd.h"
#include "link/DexalSerialLink.h"
#include "platform/WideText.h"

int main(int argc, char** argv) {
  using namespace Dexal;
  if (argc != 2) {
    std::fprintf(stderr, "usage: link_session_check PORT\n");
    return 2;
  }
  DexalSerialLink link;
  if (!link.Open(WideTextFromUtf8(argv[1]))) {
    std::printf("open failed: %s\n", link.ErrorText().c_str());
    return 1;
  }
  try {
    DexalPerformCmd perform(&link);
    DexalCmdResultCount count;
    DexalCmdSerialNumber serial;
    DexalCmdFirmWareVersion firmware;
    DexalCmdServiceDate service;
    perform.visit(count);
    perform.visit(serial);
    perform.visit(firmware);
    perform.visit(service);
    std::string lines = "results " + std::to_string(count.resultCount) + "\nserial " +
                        serial.serialNumber + "\nfirmware " + firmware.firmwareVersion +
                        "\nservice " + std::to_string(service.calibrationDate) + "\n";
    if (count.resultCount > 0) {
      DexalCmdResultInfo info(0);
      perform.visit(info);
      DexalCmdResultData data(&info, serial.serialNumber);
      perform.visit(data);
      lines += "result 0: criteria " + std::to_string(data.criteriaSegment.size()) +
               " bytes, data " + std::to_string(data.dataSegment.size()) + " bytes, stored CRCs " +
               (data.criteriaCrcMatches && data.dataCrcMatches ? "match" : "differ") + "\n";
    }
    DexalCmdEndDownload end;
    perform.visit(end);
    std::fputs((lines + "end download sent\n").c_str(), stdout);
  } catch (const std::exception& e) {
    std::printf("error: %s\n", e.what());
    return 1;
  }
  return 0;
}
