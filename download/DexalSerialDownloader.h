#pragma once

#include <memory>
#include <string>

#include "link/DexalSerialLink.h"

namespace Dexal {

class DexalNotices;
class SerialPort;
class TickSource;

// One download: from opening the port to ending the download on the tester. Reports every
// outcome through the notices and never lets an exception out of Download.
class DexalSerialDownloader {
 public:
  DexalSerialDownloader(std::wstring port, std::wstring output, DexalNotices& notices);
  // For tests: the link runs over the given port and clock.
  DexalSerialDownloader(std::wstring port, std::wstring output, DexalNotices& notices,
                        std::unique_ptr<SerialPort> serialPort, TickSource& ticks);
  virtual ~DexalSerialDownloader();

  void Download();

  DexalSerialLink link;
  bool setClock = false;
  bool outputGraphPoints = false;
  std::wstring portName;
  std::wstring outputPath;
  DexalNotices& notices;
};

}  // namespace Dexal
