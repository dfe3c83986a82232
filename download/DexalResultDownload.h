#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>

#include "csv/DexalTesterInfo.h"

namespace Dexal {

class DexalNotices;
class DexalPerformCmd;
struct DownloadRequest;

// Serial number, firmware version and service date, in that order; none when a command
// reports failure without throwing.
std::unique_ptr<DexalTesterInfo> ReadTesterInfo(DexalPerformCmd& perform);

// A result failed every attempt: the download stops.
class DownloadAborted : public std::runtime_error {
 public:
  DownloadAborted() : std::runtime_error("The download was aborted") {}
};

// The user asked the download to stop: it ends where it is, as a failure ends it.
class DownloadStopped : public std::runtime_error {
 public:
  DownloadStopped() : std::runtime_error("The download was stopped") {}
};

// One result from the tester to the request's CSV file, in up to three attempts. False when the
// result was skipped because its test type is not known. Throws only DownloadAborted, and
// DownloadStopped from the chunk hook of `perform`.
bool DownloadResult(DexalPerformCmd& perform, const DownloadRequest& request, DexalNotices& notices,
                    const DexalTesterInfo& testerInfo, std::uint16_t index);

}  // namespace Dexal
