#include "link/DexalCmd.h"

#include <array>

#include "link/LittleEndian.h"

namespace Dexal {

bool DexalCmdSetRTC::accept(DexalCmdBaseVisitor& visitor) { return visitor.visit(*this); }
bool DexalCmdFirmWareVersion::accept(DexalCmdBaseVisitor& visitor) { return visitor.visit(*this); }
bool DexalCmdServiceDate::accept(DexalCmdBaseVisitor& visitor) { return visitor.visit(*this); }
bool DexalCmdEndDownload::accept(DexalCmdBaseVisitor& visitor) { return visitor.visit(*this); }
bool DexalCmdResultData::accept(DexalCmdBaseVisitor& visitor) { return visitor.visit(*this); }
bool DexalCmdResultInfo::accept(DexalCmdBaseVisitor& visitor) { return visitor.visit(*this); }
bool DexalCmdResultCount::accept(DexalCmdBaseVisitor& visitor) { return visitor.visit(*this); }
bool DexalCmdSerialNumber::accept(DexalCmdBaseVisitor& visitor) { return visitor.visit(*this); }

void DexalCmdSetRTC::SetClockFromLocal(const std::tm& local) {
  clock.year = static_cast<std::uint16_t>(local.tm_year + 1900);
  clock.month = static_cast<std::uint8_t>(local.tm_mon + 1);
  clock.day = static_cast<std::uint8_t>(local.tm_mday);
  clock.hour = static_cast<std::uint8_t>(local.tm_hour);
  clock.minute = static_cast<std::uint8_t>(local.tm_min);
  clock.second = static_cast<std::uint8_t>(local.tm_sec);
  clock.zero = 0;
}

ByteVector DexalCmdSetRTC::Payload() const {
  const std::array<std::uint8_t, 6> fields{clock.month,  clock.day,    clock.hour,
                                           clock.minute, clock.second, clock.zero};
  static_assert(sizeof clock.year + std::tuple_size_v<decltype(fields)> == kClockPayload);
  ByteVector payload;
  payload.reserve(kClockPayload);
  AppendWord(payload, clock.year);
  payload.insert(payload.end(), fields.begin(), fields.end());
  return payload;
}

}  // namespace Dexal
