#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "link/DexalSerialLink.h"

namespace Dexal {

class DexalNotices;
class SerialPort;
class TickSource;

// How a download ended, as its notices told the user.
struct DownloadOutcome {
  enum class Kind { Completed, NoResultsQueued, PortNotOpened, Aborted, Failed };
  Kind kind = Kind::Failed;
  std::uint32_t skipped = 0;  // results of a test type that is not known

  // True when the download reached "Download complete" (with or without results).
  [[nodiscard]] bool Reached() const {
    return kind == Kind::Completed || kind == Kind::NoResultsQueued;
  }
};

// One download: from opening the port to ending the download on the tester. Reports every
// outcome through the notices and never lets an exception out of Download.
class DexalSerialDownloader {
 public:
  DexalSerialDownloader(std::wstring port, std::wstring output, DexalNotices& notices);
  // For tests: the link runs over the given port and clock.
  DexalSerialDownloader(std::wstring port, std::wstring output, DexalNotices& notices,
                        std::unique_ptr<SerialPort> serialPort, TickSource& ticks);
  virtual ~DexalSerialDownloader();

  DownloadOutcome Download();

  DexalSerialLink link;
  bool setClock = false;
  bool outputGraphPoints = false;
  std::wstring portName;
  std::wstring outputPath;
  DexalNotices& notices;
};

}  // namespace Dexal
