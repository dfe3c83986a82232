#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "link/ByteVector.h"
#include "link/DexalPerformCmd.h"
#include "link/DexalSerialLink.h"
#include "link/FrameCodec.h"
#include "tests/support/Bytes.h"
#include "tests/support/FakeSerialPort.h"

namespace Dexal::testing {

struct Request {
  std::uint16_t sequence = 0;
  std::uint16_t code = 0;
  ByteVector payload;
};

// Feeds the bytes to the receiver; the data of every frame it accepts, in order.
std::vector<ByteVector> ReceiveFrames(FrameReceiver& receiver, const ByteVector& wire);

// Reply data for a request: code, sequence, status, status2 and payload, little-endian.
ByteVector ReplyData(std::uint16_t code, std::uint16_t sequence, std::uint16_t status = 0,
                     const ByteVector& payload = {}, std::uint16_t status2 = 0);

// Turns request frames into calls of `answer`; its reply data goes back as one frame
// (nothing when it returns nullopt). Every request is kept in `requests`.
class ScriptedPeer {
 public:
  using Answer = std::function<std::optional<ByteVector>(const Request&)>;

  explicit ScriptedPeer(Answer answer) : answer_(std::move(answer)) {}
  ByteVector operator()(const ByteVector& written);

  std::vector<Request> requests;

 private:
  Answer answer_;
  FrameReceiver receiver_;
};

// An open link over the fake port, with a scripted tester at the far end and the command
// visitor over it. `port` stays owned by the link.
struct LinkOverPeer {
  explicit LinkOverPeer(ScriptedPeer::Answer answer);

  FakeTicks ticks;
  FakeSerialPort* port = new FakeSerialPort(ticks);
  std::unique_ptr<DexalSerialLink> link =
      std::make_unique<DexalSerialLink>(std::unique_ptr<SerialPort>(port), ticks);
  ScriptedPeer peer;
  DexalPerformCmd perform{link.get()};
};

}  // namespace Dexal::testing
