#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "link/DexalSerialLink.h"

namespace Dexal {

class DexalNotices;
class SerialPort;
class TickSource;

// What one download is asked for: the dialog's port, file and two check boxes, or the command
// line's options.
struct DownloadRequest {
  std::wstring portName;           // COM3, /dev/ttyUSB0
  std::wstring outputPath;         // the CSV file
  bool setClock = false;           // set the tester's clock after the results
  bool outputGraphPoints = false;  // write the graph points of every pulse
};

// How a download ended, as its notices told the user.
struct DownloadOutcome {
  enum class Kind { Completed, NoResultsQueued, PortNotOpened, Aborted, Failed, Stopped };
  Kind kind = Kind::Failed;
  std::uint32_t resultCount = 0;  // results queued on the tester, once asked
  std::uint32_t written = 0;      // result sections in the file
  std::uint32_t skipped = 0;      // results of a test type that is not known
  bool fileBegun = false;         // the file was emptied and its tester header written
  // The link's last recorded failure, with the system's code for it.
  LinkError linkError = LinkError::None;
  std::uint32_t osError = 0;

  // True when the download reached "Download complete" (with or without results).
  [[nodiscard]] bool Reached() const {
    return kind == Kind::Completed || kind == Kind::NoResultsQueued;
  }
};

// One download: from opening the port to ending the download on the tester. Reports every
// outcome through the notices and never lets an exception out of Download.
class DexalSerialDownloader {
 public:
  DexalSerialDownloader(DownloadRequest request, DexalNotices& notices);
  // For tests: the link runs over the given port and clock.
  DexalSerialDownloader(DownloadRequest request, DexalNotices& notices,
                        std::unique_ptr<SerialPort> serialPort, TickSource& ticks);
  virtual ~DexalSerialDownloader();

  DownloadOutcome Download();

  DexalSerialLink link;
  const DownloadRequest request;
  DexalNotices& notices;

 private:
  // The download itself; Download adds what the link recorded.
  DownloadOutcome Run();
};

}  // namespace Dexal
