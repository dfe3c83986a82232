#include "tester/TesterFaults.h"

#include <array>
#include <charconv>
#include <stdexcept>

namespace Dexal {
namespace {

struct KindInfo {
  FaultKind kind;
  std::string_view name;
  std::uint32_t defaultValue;
  std::string_view help;
};

constexpr std::array<KindInfo, 11> kKinds{{
    {FaultKind::WrongSequence, "wrong-seq", 0, "reply echoes the wrong sequence number"},
    {FaultKind::SwappedHeader, "swap", 0, "reply begins with sequence then code"},
    {FaultKind::CorruptCrc, "bad-crc", 0, "reply frame fails its CRC"},
    {FaultKind::NoReply, "no-reply", 0, "no reply to the request"},
    {FaultKind::LateReply, "late", 300, "reply VALUE ms late (default 300)"},
    {FaultKind::Noise, "noise", 16, "VALUE noise bytes before the reply frame (default 16)"},
    {FaultKind::SplitReply, "split", 3, "reply written VALUE bytes at a time (default 3)"},
    {FaultKind::StatusError, "status", 2, "reply status VALUE (default 2)"},
    {FaultKind::Silence, "silence", 0, "no reply to this request or any later one"},
    {FaultKind::BadStoredCrc, "bad-stored-crc", 2,
     "result data with a wrong stored CRC: VALUE 1 criteria, 2 data, 3 both (default 2)"},
    {FaultKind::CloseLine, "close", 0, "close the line instead of replying"},
}};

const KindInfo& InfoOf(FaultKind kind) {
  for (const auto& info : kKinds) {
    if (info.kind == kind) return info;
  }
  throw std::logic_error("fault kind without a name");
}

std::uint32_t NumberFrom(std::string_view text, std::string_view what, std::string_view whole) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  std::uint32_t value = 0;
  const auto* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
  if (text.empty() || ec != std::errc() || ptr != end) {
    throw std::invalid_argument("fault \"" + std::string(whole) + "\": bad " + std::string(what) +
                                " \"" + std::string(text) + "\"");
  }
  return value;
}

}  // namespace

std::string_view FaultKindName(FaultKind kind) { return InfoOf(kind).name; }

Fault ParseFault(std::string_view text) {
  const auto at = text.find('@');
  if (at == std::string_view::npos) {
    throw std::invalid_argument("fault \"" + std::string(text) +
                                "\": expected KIND[:VALUE]@WHEN[*TIMES]");
  }
  std::string_view head = text.substr(0, at);
  std::string_view when = text.substr(at + 1);

  std::string_view valueText;
  if (const auto colon = head.find(':'); colon != std::string_view::npos) {
    valueText = head.substr(colon + 1);
    head = head.substr(0, colon);
  }
  const KindInfo* info = nullptr;
  for (const auto& candidate : kKinds) {
    if (candidate.name == head) info = &candidate;
  }
  if (info == nullptr) {
    throw std::invalid_argument("fault \"" + std::string(text) + "\": unknown kind \"" +
                                std::string(head) + "\"");
  }
  Fault fault;
  fault.kind = info->kind;
  fault.value = valueText.empty() ? info->defaultValue : NumberFrom(valueText, "value", text);

  if (const auto star = when.find('*'); star != std::string_view::npos) {
    fault.times = NumberFrom(when.substr(star + 1), "count", text);
    when = when.substr(0, star);
  }
  const bool isCode = when.size() > 2 && when[0] == '0' && (when[1] == 'x' || when[1] == 'X');
  const std::uint32_t where = NumberFrom(when, isCode ? "command code" : "request number", text);
  if (isCode) {
    if (where > 0xFFFF) {
      throw std::invalid_argument("fault \"" + std::string(text) + "\": command code too large");
    }
    fault.code = static_cast<std::uint16_t>(where);
  } else {
    if (where == 0) {
      throw std::invalid_argument("fault \"" + std::string(text) +
                                  "\": request numbers start at 1");
    }
    fault.requestNumber = where;
  }
  return fault;
}

std::string FaultToText(const Fault& fault) {
  const auto& info = InfoOf(fault.kind);
  std::string text(info.name);
  if (fault.value != info.defaultValue) text += ":" + std::to_string(fault.value);
  text += "@";
  if (fault.code) {
    static constexpr char kHex[] = "0123456789abcdef";
    text += "0x";
    for (int shift = 12; shift >= 0; shift -= 4) text += kHex[(*fault.code >> shift) & 0xF];
  } else {
    text += std::to_string(fault.requestNumber.value_or(1));
  }
  if (fault.times != 0) text += "*" + std::to_string(fault.times);
  return text;
}

std::string FaultSyntaxHelp() {
  std::string help =
      "KIND[:VALUE]@WHEN[*TIMES]: WHEN is a request number (1 = the first request received) or a "
      "command code in hex (0x2822: every request of that code); *TIMES limits how often it "
      "fires. Kinds:\n";
  for (const auto& info : kKinds) {
    help += "  " + std::string(info.name) + ": " + std::string(info.help) + "\n";
  }
  return help;
}

}  // namespace Dexal
