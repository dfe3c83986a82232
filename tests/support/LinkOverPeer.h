#pragma once

#include <memory>

#include "link/DexalPerformCmd.h"
#include "link/DexalSerialLink.h"
#include "tests/support/FakeSerialPort.h"
#include "tests/support/ScriptedPeer.h"

namespace Dexal::testing {

// An open link over the fake port, with a scripted tester at the far end and the command
// visitor over it. `port` stays owned by the link.
struct LinkOverPeer {
  explicit LinkOverPeer(ScriptedPeer::Answer answer);

  FakeTicks ticks;
  FakeSerialPort* port = nullptr;
  std::unique_ptr<DexalSerialLink> link;
  ScriptedPeer peer;
  DexalPerformCmd perform;
};

}  // namespace Dexal::testing
