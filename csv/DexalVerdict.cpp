#include "csv/DexalVerdict.h"

#include <utility>

#include "csv/DexalDisplayNames.h"

namespace Dexal {

DexalVerdict VerdictFromStatusText(std::string text) {
  using Kind = DexalVerdict::Kind;
  const Kind kind = text == StringFromPassFail(1)   ? Kind::Pass
                    : text == StringFromPassFail(2) ? Kind::Fail
                                                    : Kind::Other;
  return {kind, std::move(text)};
}

int VerdictFromStatus(std::uint8_t status) {
  if (status == 1) return 1;
  if (status == 0) return 2;
  return -1;
}

}  // namespace Dexal
