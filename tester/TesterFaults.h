#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Dexal {

// Misbehaviour the emulated tester can show on purpose, to exercise the downloader's recovery.
enum class FaultKind {
  WrongSequence,  // reply echoes sequence + 1
  SwappedHeader,  // reply starts with sequence then code (the request's order)
  CorruptCrc,     // frame CRC does not match
  NoReply,        // the request is swallowed
  LateReply,      // reply held back for value ms
  Noise,          // value bytes of line noise before the frame
  SplitReply,     // reply written in pieces of value bytes
  StatusError,    // reply status word is value
  Silence,        // no reply to this request nor to any after it
  BadStoredCrc,   // result data carries a wrong stored CRC (value 1 criteria, 2 data, 3 both)
  CloseLine,      // the tester drops the line at this request
};

// When a fault fires: at one request (1-based count of request frames received) or at every
// request of a command code, at most `times` times (0 = no limit).
struct Fault {
  FaultKind kind = FaultKind::NoReply;
  std::uint32_t value = 0;
  std::optional<std::uint32_t> requestNumber;
  std::optional<std::uint16_t> code;
  std::uint32_t times = 0;
};

// Text form, shared by the scenario files and the command line:
//   KIND[:VALUE]@WHEN[*TIMES]
// KIND is one of the names of FaultKindName; WHEN is a decimal request number or a command code
// written in hex with 0x (every request of that code). Examples: "late:400@3",
// "wrong-seq@0x2822*2", "silence@5", "status:2@0x2820".
// Throws std::invalid_argument with a message naming what is wrong.
Fault ParseFault(std::string_view text);
std::string FaultToText(const Fault& fault);
std::string_view FaultKindName(FaultKind kind);

// The help text listing every kind and its value.
std::string FaultSyntaxHelp();

}  // namespace Dexal
