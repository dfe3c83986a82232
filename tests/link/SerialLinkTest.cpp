#include <gtest/gtest.h>

#include "link/DexalSerialLink.h"
#include "link/FrameCodec.h"
#include "platform/OsError.h"
#include "tests/support/FakeSerialPort.h"

namespace Dexal {
namespace {

using testing::FakeSerialPort;
using testing::FakeTicks;

struct LinkFixture : ::testing::Test {
  FakeTicks ticks;
  FakeSerialPort* port = nullptr;
  std::unique_ptr<DexalSerialLink> link;

  void SetUp() override {
    auto owned = std::make_unique<FakeSerialPort>(ticks);
    port = owned.get();
    link = std::make_unique<DexalSerialLink>(std::move(owned), ticks);
  }
};

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

TEST_F(LinkFixture, OpenResetsSequenceAndRecordsFailures) {
  EXPECT_EQ(link->Sequence(), 1);
  EXPECT_EQ(FirstLine(link->ErrorText()), "Protocol Error 0: Success.");
  ASSERT_TRUE(link->Open(L"COM12"));
  EXPECT_EQ(link->Sequence(), 0);
  EXPECT_EQ(link->OpenedName(), L"COM12");
  link->NextSequence();
  ASSERT_TRUE(link->Open(L"COM3"));
  EXPECT_EQ(link->Sequence(), 0) << "a second Open starts the numbering again";

  port->failOpenAt = PortOpenResult::Stage::OpenFailed;
  port->openError = 2;
  EXPECT_FALSE(link->Open(L"COM4"));
  EXPECT_EQ(link->ErrorKind(), LinkError::OpenFailed);
  EXPECT_TRUE(link->OpenedName().empty());
  const std::string text = link->ErrorText();
  EXPECT_EQ(FirstLine(text), "Protocol Error 1: Cannot open COM port.");
  EXPECT_NE(text.find(std::string("\n") + OsErrorLabel() + "2: "), std::string::npos) << text;

  port->failOpenAt = PortOpenResult::Stage::ConfigureFailed;
  EXPECT_FALSE(link->Open(L"COM5"));
  EXPECT_EQ(FirstLine(link->ErrorText()), "Protocol Error 2: Cannot configure COM port.");

  port->failOpenAt = PortOpenResult::Stage::Ok;
  EXPECT_TRUE(link->Open(L"COM5"));
  EXPECT_EQ(link->ErrorKind(), LinkError::None) << "Open clears the record";
}

TEST_F(LinkFixture, WriteReportsEncodedLengthAndFailures) {
  ASSERT_TRUE(link->Open(L"COM1"));
  std::uint32_t length = 0;
  ASSERT_TRUE(link->WriteFrame({0x01, 0xFA}, &length));
  EXPECT_EQ(length, 11u);
  ASSERT_EQ(port->writeCalls.size(), 1u);
  EXPECT_EQ(port->writeCalls[0], EncodeFrame({0x01, 0xFA}));

  port->writeFailures = 1;
  EXPECT_FALSE(link->WriteFrame({0x01}));
  EXPECT_EQ(FirstLine(link->ErrorText()), "Protocol Error 3: Cannot write to COM port.");

  port->writesStall = true;
  const std::uint32_t before = ticks.now;
  EXPECT_FALSE(link->WriteFrame({0x01}));
  EXPECT_GT(ticks.now - before, 3000u);
  EXPECT_LE(ticks.now - before, 3020u);
  EXPECT_EQ(FirstLine(link->ErrorText()), "Protocol Error 4: ");
}

TEST_F(LinkFixture, ReadTimesOutOnASilentLine) {
  ASSERT_TRUE(link->Open(L"COM1"));
  ByteVector data = {1, 2, 3};
  const std::uint32_t before = ticks.now;
  ASSERT_TRUE(link->ReadFrame(data, 200));
  EXPECT_TRUE(data.empty());
  EXPECT_GT(ticks.now - before, 200u);
  EXPECT_LE(ticks.now - before, 250u);
}

TEST_F(LinkFixture, ReadAssemblesBytesTricklingIn) {
  ASSERT_TRUE(link->Open(L"COM1"));
  const ByteVector wire = EncodeFrame({0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99});
  for (std::size_t i = 0; i < wire.size(); ++i) {
    port->Deliver({wire[i]}, static_cast<std::uint32_t>(5 * i));
  }
  port->readChunkLimit = 1;
  ByteVector data;
  ASSERT_TRUE(link->ReadFrame(data, 200));
  EXPECT_EQ(data, (ByteVector{0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99}));
}

TEST_F(LinkFixture, DamagedFrameIsNeverReturned) {
  ASSERT_TRUE(link->Open(L"COM1"));
  ByteVector bad = EncodeFrame(ByteVector(12, 0x21));
  bad[5] ^= 0x40;
  port->Deliver(bad);
  ByteVector data;
  ASSERT_TRUE(link->ReadFrame(data, 200));
  EXPECT_TRUE(data.empty());

  // A frame cut off by the time-out is not a reply either.
  ByteVector partial = EncodeFrame(ByteVector(12, 0x21));
  partial.resize(partial.size() - 3);
  port->Deliver(partial);
  ASSERT_TRUE(link->ReadFrame(data, 200));
  EXPECT_TRUE(data.empty());

  // A good frame after a bad one in the same read is found.
  ByteVector both = bad;
  const ByteVector good = EncodeFrame({0x01, 0x02});
  both.insert(both.end(), good.begin(), good.end());
  port->Deliver(both);
  ASSERT_TRUE(link->ReadFrame(data, 200));
  EXPECT_EQ(data, (ByteVector{0x01, 0x02}));
}

TEST_F(LinkFixture, ReadFailureIsRecorded) {
  ASSERT_TRUE(link->Open(L"COM1"));
  port->readFailures = 1;
  port->failError = 995;
  ByteVector data;
  EXPECT_FALSE(link->ReadFrame(data, 200));
  EXPECT_EQ(link->ErrorKind(), LinkError::ReadFailed);
  EXPECT_EQ(link->OsErrorCode(), 995u);
  EXPECT_EQ(FirstLine(link->ErrorText()), "Protocol Error 5: Cannot read COM port.");
}

TEST_F(LinkFixture, TickCounterWrapDoesNoHarm) {
  ASSERT_TRUE(link->Open(L"COM1"));
  ticks.now = 0xFFFFFFC0u;
  ByteVector data;
  ASSERT_TRUE(link->ReadFrame(data, 200));
  EXPECT_GT(ticks.now, 100u);
  EXPECT_LT(ticks.now, 200u) << "waited across the wrap for about 200 ms";
}

}  // namespace
}  // namespace Dexal
