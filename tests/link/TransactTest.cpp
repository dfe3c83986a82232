#include <gtest/gtest.h>

#include <stdexcept>

#include "link/DexalPerformCmd.h"
#include "link/DexalSerialLink.h"
#include "link/FrameCodec.h"
#include "tests/support/FakeSerialPort.h"
#include "tests/support/ScriptedPeer.h"

namespace Dexal {
namespace {

using testing::FakeSerialPort;
using testing::FakeTicks;
using testing::ReplyData;
using testing::Request;
using testing::ScriptedPeer;

// A link over the fake port whose peer answers with `answer`.
struct TransactFixture : ::testing::Test {
  FakeTicks ticks;
  FakeSerialPort* port = nullptr;
  std::unique_ptr<DexalSerialLink> link;
  std::unique_ptr<ScriptedPeer> peer;
  std::unique_ptr<DexalPerformCmd> perform;

  void Answer(ScriptedPeer::Answer answer) {
    auto owned = std::make_unique<FakeSerialPort>(ticks);
    port = owned.get();
    link = std::make_unique<DexalSerialLink>(std::move(owned), ticks);
    ASSERT_TRUE(link->Open(L"COM1"));
    peer = std::make_unique<ScriptedPeer>(std::move(answer));
    port->peer = [this](const ByteVector& bytes) { return (*peer)(bytes); };
    perform = std::make_unique<DexalPerformCmd>(link.get());
  }
};

TEST_F(TransactFixture, RequestLayoutAndEcho) {
  Answer([](const Request& r) { return ReplyData(r.code, r.sequence, 0, {0xAA}, 0x1234); });
  DexalCmdEndDownload cmd;
  ASSERT_TRUE(perform->Transact(cmd, {}));
  ASSERT_EQ(peer->requests.size(), 1u);
  EXPECT_EQ(peer->requests[0].sequence, 1) << "first request after Open carries 1";
  EXPECT_EQ(peer->requests[0].code, 0x2823);
  EXPECT_TRUE(peer->requests[0].payload.empty());
  EXPECT_EQ(port->writeCalls[0], EncodeFrame({0x01, 0x00, 0x23, 0x28}))
      << "empty payload: four data bytes in the frame";
  EXPECT_EQ(cmd.status, 0);
  EXPECT_EQ(cmd.status2, 0x1234);
  EXPECT_EQ(cmd.reply.size(), 9u);
}

TEST_F(TransactFixture, ReplyInRequestOrderDoesNotBelong) {
  Answer([](const Request& r) {
    ByteVector swapped = ReplyData(r.sequence, r.code);  // sequence first: the request's order
    return swapped;
  });
  DexalCmdResultCount cmd;
  EXPECT_FALSE(perform->Transact(cmd, {}));
  EXPECT_EQ(peer->requests.size(), 3u);
}

TEST_F(TransactFixture, ThreeWrongSequencesFailAndAdvanceTheCounter) {
  Answer([](const Request& r) {
    return ReplyData(r.code, static_cast<std::uint16_t>(r.sequence + 7));
  });
  DexalCmdResultCount cmd;
  EXPECT_FALSE(perform->Transact(cmd, {}));
  EXPECT_EQ(link->Sequence(), 3);
  ASSERT_EQ(peer->requests.size(), 3u);
  EXPECT_EQ(peer->requests[2].sequence, 3);
  EXPECT_EQ(link->ErrorText().substr(0, 26), "Protocol Error 0: Success.");
  // The visit turns the failure into the link's text.
  DexalCmdResultCount visited;
  try {
    perform->visit(visited);
    FAIL() << "expected a runtime error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()).substr(0, 26), "Protocol Error 0: Success.");
  }
}

TEST_F(TransactFixture, SilentTesterRaisesNoResponseAtOnce) {
  Answer([](const Request&) -> std::optional<ByteVector> { return std::nullopt; });
  DexalCmdResultCount cmd;
  const std::uint32_t before = ticks.now;
  EXPECT_THROW(perform->Transact(cmd, {}), std::runtime_error);
  EXPECT_EQ(peer->requests.size(), 1u);
  EXPECT_GT(ticks.now - before, 200u) << "the reply time-out is 200 ms for short requests";
  EXPECT_LE(ticks.now - before, 260u);
}

TEST_F(TransactFixture, StaleReplyWithOldSequenceIsSkipped) {
  // The first attempt is answered with a wrong sequence; the second gets the right one.
  Answer([](const Request& r) {
    const auto sequence = static_cast<std::uint16_t>(r.sequence == 1 ? 99 : r.sequence);
    return ReplyData(r.code, sequence, 0, {5, 0, 0, 0});
  });
  DexalCmdResultCount cmd;
  ASSERT_TRUE(perform->visit(cmd));
  EXPECT_EQ(cmd.sequence, 2);
  EXPECT_EQ(cmd.resultCount, 5u);
}

TEST_F(TransactFixture, ReplyLengthLimits) {
  Answer([](const Request& r) {
    ByteVector reply = ReplyData(r.code, r.sequence);
    if (r.sequence == 1) reply.pop_back();  // 7 bytes
    return reply;
  });
  DexalCmdEndDownload short7;
  try {
    perform->Transact(short7, {});
    FAIL() << "a 7-byte reply must raise";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "No response from tester. Is it connected and in Download mode?");
  }
  EXPECT_EQ(peer->requests.size(), 1u) << "no further attempt";
  DexalCmdEndDownload exact8;
  EXPECT_TRUE(perform->Transact(exact8, {}));
  EXPECT_EQ(exact8.status, 0);
}

TEST_F(TransactFixture, RetriesAfterWriteAndReadFailures) {
  Answer([](const Request& r) { return ReplyData(r.code, r.sequence); });
  port->writeFailures = 2;
  DexalCmdEndDownload written;
  EXPECT_TRUE(perform->Transact(written, {}));
  EXPECT_EQ(written.sequence, 3) << "two failed writes, then the third attempt";
  EXPECT_EQ(link->ErrorKind(), LinkError::WriteFailed) << "the last link failure is kept";

  // The failed read leaves its reply on the line; the next attempt sees that stale reply,
  // rejects it for its old sequence number, and the third attempt succeeds.
  port->readFailures = 1;
  DexalCmdEndDownload read;
  EXPECT_TRUE(perform->Transact(read, {}));
  EXPECT_EQ(read.sequence, 6);
  EXPECT_EQ(link->ErrorKind(), LinkError::ReadFailed);

  port->writeFailures = 3;
  DexalCmdEndDownload failed;
  EXPECT_FALSE(perform->Transact(failed, {}));
  EXPECT_EQ(link->ErrorKind(), LinkError::WriteFailed);
}

TEST_F(TransactFixture, SequenceWrapsFrom65535ToZero) {
  Answer([](const Request& r) { return ReplyData(r.code, r.sequence); });
  link->SetSequence(65534);
  DexalCmdEndDownload a, b;
  ASSERT_TRUE(perform->Transact(a, {}));
  ASSERT_TRUE(perform->Transact(b, {}));
  EXPECT_EQ(a.sequence, 65535);
  EXPECT_EQ(b.sequence, 0);
}

TEST(StatusText, NamesEveryCode) {
  EXPECT_EQ(StatusText(0), "All OK");
  EXPECT_EQ(StatusText(1), "Malformed request - incorrect command data");
  EXPECT_EQ(StatusText(2), "Generic error");
  EXPECT_EQ(StatusText(3), "Can't start app - it is missing or corrupt");
  EXPECT_EQ(StatusText(4), "Invalid address. Internal programming error)");
  EXPECT_EQ(StatusText(5), "Request failed: operating voltage is too low");
  EXPECT_EQ(StatusText(6), "Unknown error status");
  EXPECT_EQ(StatusText(65535), "Unknown error status");
}

}  // namespace
}  // namespace Dexal
