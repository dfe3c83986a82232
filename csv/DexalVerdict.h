#pragma once

#include <cstdint>
#include <string>

namespace Dexal {

// A result's verdict as its "Status" cell shows it: a pass, a fail, or another text ("???" for a
// status byte that is neither), kept as it stands.
struct DexalVerdict {
  enum class Kind { Pass, Fail, Other };
  Kind kind = Kind::Other;
  std::string text;
};

// The verdict a "Status" cell holds.
DexalVerdict VerdictFromStatusText(std::string text);

// The verdict number StringFromPassFail names, from the record's status byte: 1 (pass) for 1, 2
// (fail) for 0, -1 for any other byte.
int VerdictFromStatus(std::uint8_t status);

}  // namespace Dexal
