#pragma once

#include <cstdint>
#include <string>

#include "link/ByteVector.h"
#include "link/DexalWire.h"
#include "platform/CalendarTime.h"

namespace Dexal {

class DexalCmdBaseVisitor;

// One command to the tester: its code, and what the accepted reply said.
class DexalCmdBase {
 public:
  explicit DexalCmdBase(std::uint16_t commandCode) : code(commandCode) {}
  virtual ~DexalCmdBase() = default;
  virtual bool accept(DexalCmdBaseVisitor& visitor) = 0;

  std::uint16_t code;
  std::uint16_t sequence = 0;
  std::uint16_t status = 1;
  std::uint16_t status2 = 0;
  ByteVector reply;
  std::uint8_t retries = 3;
};

struct DexalClock {
  std::uint16_t year = 0;
  std::uint8_t month = 0;
  std::uint8_t day = 0;
  std::uint8_t hour = 0;
  std::uint8_t minute = 0;
  std::uint8_t second = 0;
  std::uint8_t zero = 0;
};

class DexalCmdSetRTC : public DexalCmdBase {
 public:
  DexalCmdSetRTC() : DexalCmdBase(kCmdSetRTC) {}
  bool accept(DexalCmdBaseVisitor& visitor) override;

  // Fills the clock from local calendar fields.
  void SetClockFromLocal(const std::tm& local);
  [[nodiscard]] ByteVector Payload() const;

  DexalClock clock;
};

class DexalCmdFirmWareVersion : public DexalCmdBase {
 public:
  DexalCmdFirmWareVersion() : DexalCmdBase(kCmdFirmWareVersion) {}
  bool accept(DexalCmdBaseVisitor& visitor) override;

  std::string firmwareVersion;
};

class DexalCmdServiceDate : public DexalCmdBase {
 public:
  DexalCmdServiceDate() : DexalCmdBase(kCmdTesterIdentity) {}
  bool accept(DexalCmdBaseVisitor& visitor) override;

  CalendarTime calibrationDate = 0;
};

class DexalCmdEndDownload : public DexalCmdBase {
 public:
  DexalCmdEndDownload() : DexalCmdBase(kCmdEndDownload) {}
  bool accept(DexalCmdBaseVisitor& visitor) override;
};

class DexalCmdResultInfo : public DexalCmdBase {
 public:
  explicit DexalCmdResultInfo(std::uint16_t index = 0)
      : DexalCmdBase(kCmdResultInfo), resultIndex(index) {}
  bool accept(DexalCmdBaseVisitor& visitor) override;

  std::uint32_t infoValue = 0;
  std::uint16_t resultIndex;
  std::uint16_t criteriaSize = 0;
  std::uint16_t dataSize = 0;
};

class DexalCmdResultData : public DexalCmdBase {
 public:
  DexalCmdResultData(DexalCmdResultInfo* info, std::string serial)
      : DexalCmdBase(kCmdResultData), testerSerial(std::move(serial)), resultInfo(info) {}
  bool accept(DexalCmdBaseVisitor& visitor) override;

  std::string testerSerial;
  ByteVector criteriaSegment;
  std::uint32_t criteriaCrc = 0;
  ByteVector dataSegment;
  std::uint32_t dataCrc = 0;
  DexalCmdResultInfo* resultInfo;
  // Whether the stored CRCs matched the segments (the block is accepted either way).
  bool criteriaCrcMatches = false;
  bool dataCrcMatches = false;
};

class DexalCmdResultCount : public DexalCmdBase {
 public:
  DexalCmdResultCount() : DexalCmdBase(kCmdResultCount) {}
  bool accept(DexalCmdBaseVisitor& visitor) override;

  std::uint32_t resultCount = 0;
};

class DexalCmdSerialNumber : public DexalCmdBase {
 public:
  DexalCmdSerialNumber() : DexalCmdBase(kCmdTesterIdentity) {}
  bool accept(DexalCmdBaseVisitor& visitor) override;

  std::string serialNumber;
};

class DexalCmdBaseVisitor {
 public:
  virtual ~DexalCmdBaseVisitor() = default;
  virtual bool visit(DexalCmdSetRTC& cmd) = 0;
  virtual bool visit(DexalCmdFirmWareVersion& cmd) = 0;
  virtual bool visit(DexalCmdServiceDate& cmd) = 0;
  virtual bool visit(DexalCmdEndDownload& cmd) = 0;
  virtual bool visit(DexalCmdResultData& cmd) = 0;
  virtual bool visit(DexalCmdResultInfo& cmd) = 0;
  virtual bool visit(DexalCmdResultCount& cmd) = 0;
  virtual bool visit(DexalCmdSerialNumber& cmd) = 0;
};

}  // namespace Dexal
