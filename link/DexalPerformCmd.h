#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "link/DexalCmd.h"

namespace Dexal {

class DexalSerialLink;

// How long the tester may take to answer once a request is on the line: the tester promises its
// whole reply frame within 200 ms.
constexpr std::uint32_t kReplyAllowanceMs = 200;

// The tester's text for a reply status.
std::string StatusText(std::uint16_t status);

// Performs commands over the serial link: one request frame, one reply frame, three attempts.
class DexalPerformCmd : public DexalCmdBaseVisitor {
 public:
  explicit DexalPerformCmd(DexalSerialLink* serialLink) : link(serialLink) {}

  bool visit(DexalCmdSetRTC& cmd) override;
  bool visit(DexalCmdFirmWareVersion& cmd) override;
  bool visit(DexalCmdServiceDate& cmd) override;
  bool visit(DexalCmdEndDownload& cmd) override;
  bool visit(DexalCmdResultData& cmd) override;
  bool visit(DexalCmdResultInfo& cmd) override;
  bool visit(DexalCmdResultCount& cmd) override;
  bool visit(DexalCmdSerialNumber& cmd) override;

  // True when a reply that belongs to the request was accepted; false when every attempt
  // failed. Throws when a reply is too short to have a header.
  bool Transact(DexalCmdBase& cmd, const ByteVector& payload);

  DexalSerialLink* link;
  // Called after every chunk of a result's data, so that a long result leaves room to show
  // the program is alive.
  std::function<void()> betweenChunks;

 private:
  // Transact, then the status check; throws the link or status error text.
  void Perform(DexalCmdBase& cmd, const ByteVector& payload, const char* context);
};

}  // namespace Dexal
