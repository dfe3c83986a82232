#include "download/DexalResultDownload.h"

#include <stdexcept>
#include <string>

#include "csv/DexalCSVwriter.h"
#include "download/DexalNotices.h"
#include "download/DexalSerialDownloader.h"
#include "link/DexalPerformCmd.h"
#include "results/CreateResult.h"
#include "results/DexalResultDecoder.h"

namespace Dexal {
namespace {

constexpr int kAttempts = 3;

std::string ResultLabel(std::uint16_t index) { return "result " + std::to_string(index + 1); }

void WarnAboutCrcs(DexalNotices& notices, std::uint16_t index, const DexalCmdResultData& data) {
  if (!data.criteriaCrcMatches) {
    notices.Warn(ResultLabel(index) + ": the stored CRC of the criteria segment does not match");
  }
  if (!data.dataCrcMatches) {
    notices.Warn(ResultLabel(index) + ": the stored CRC of the data segment does not match");
  }
}

}  // namespace

std::unique_ptr<DexalTesterInfo> ReadTesterInfo(DexalPerformCmd& perform) {
  DexalCmdSerialNumber serial;
  DexalCmdFirmWareVersion firmware;
  DexalCmdServiceDate serviceDate;
  if (!perform.visit(serial) || !perform.visit(firmware) || !perform.visit(serviceDate)) {
    return nullptr;
  }
  auto info = std::make_unique<DexalTesterInfo>();
  info->serialNumber = serial.serialNumber;
  info->serviceDate = serviceDate.calibrationDate;
  info->firmwareVersion = firmware.firmwareVersion;
  return info;
}

bool DownloadResult(DexalPerformCmd& perform, const DownloadRequest& request, DexalNotices& notices,
                    const DexalTesterInfo& testerInfo, std::uint16_t index) {
  int unknownType = -1;
  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    try {
      DexalCmdResultInfo info(index);
      perform.visit(info);
      DexalCmdResultData data(&info, testerInfo.serialNumber);
      perform.visit(data);
      std::unique_ptr<DexalResult> record = CreateResult(&data);
      if (!record) {
        unknownType = TestTypeFromVector(&data);
        continue;
      }
      DexalResultDecoder decoder;
      if (!record->accept(decoder)) {
        throw std::runtime_error("An exception was encountered when decoding a result block");
      }
      DexalCSVwriter writer(request.outputPath, request.outputGraphPoints);
      record->accept(writer);
      WarnAboutCrcs(notices, index, data);
      return true;
    } catch (const DownloadStopped&) {
      throw;
    } catch (const std::exception& e) {
      notices.Warn(ResultLabel(index) + ", try " + std::to_string(attempt) + ": " + e.what());
      if (attempt == kAttempts) throw DownloadAborted();
      notices.Notify("Error", "Download error: try " + std::to_string(attempt),
                     NoticeKind::Warning);
    }
  }
  notices.Warn(ResultLabel(index) + " skipped: its test type " +
               (unknownType > 0 ? std::to_string(unknownType) + " " : std::string()) +
               "is not known");
  return false;
}

}  // namespace Dexal
