#include "tests/support/LinkOverPeer.h"

#include <gtest/gtest.h>

namespace Dexal::testing {

namespace {

std::unique_ptr<DexalSerialLink> LinkOver(FakeTicks& ticks, FakeSerialPort*& port) {
  auto owned = std::make_unique<FakeSerialPort>(ticks);
  port = owned.get();
  return std::make_unique<DexalSerialLink>(std::move(owned), ticks);
}

}  // namespace

LinkOverPeer::LinkOverPeer(ScriptedPeer::Answer answer)
    : link(LinkOver(ticks, port)), peer(std::move(answer)), perform(link.get()) {
  EXPECT_TRUE(link->Open(L"COM1"));
  port->peer = [this](const ByteVector& bytes) { return peer(bytes); };
}

}  // namespace Dexal::testing
