#include <gtest/gtest.h>

#include "platform/OsError.h"
#include "tests/support/CaseTable.h"
#include "tests/support/LinkOverPeer.h"

namespace Dexal {
namespace {

using testing::LinkOverPeer;
using testing::Request;

std::optional<ByteVector> Silent(const Request&) { return std::nullopt; }

TEST(SerialLink, FailuresCaseTable) {
  for (const auto& row : testing::ReadCaseTable("link/failures.txt", 6)) {
    SCOPED_TRACE(row.where);
    LinkOverPeer env(Silent);
    ByteVector data;
    env.port->readFailures = 1;
    EXPECT_FALSE(env.link->ReadFrame(data, 200));
    env.link->NextSequence();
    const std::string& action = row.cells[0];
    env.port->failOpenAt = action == "open-failed"        ? PortOpenResult::Stage::OpenFailed
                           : action == "configure-failed" ? PortOpenResult::Stage::ConfigureFailed
                                                          : PortOpenResult::Stage::Ok;
    env.port->writeFailures = action == "write-failed" ? 1 : 0;
    env.port->writesStall = action == "write-stalls";
    env.port->readFailures = action == "read-failed" ? 1 : 0;
    const std::uint32_t start = env.ticks.now;
    const bool ok = action.starts_with("write")  ? env.link->WriteFrame({0x01})
                    : action.starts_with("read") ? env.link->ReadFrame(data, 200)
                                                 : env.link->Open(L"COM5");
    const std::uint32_t took = env.ticks.now - start;  // a frame gets 3000 ms
    EXPECT_TRUE(!env.port->writesStall || (took > 3000 && took <= 3020)) << took;
    EXPECT_EQ(ok ? "true" : "false", row.cells[1]);
    const std::string text = env.link->ErrorText();
    EXPECT_EQ(text.substr(0, text.find('\n')), row.cells[2]);
    const std::string os = std::string(OsErrorLabel()) + row.cells[3] + ": ";
    EXPECT_TRUE(row.cells[3] == "-" || text.substr(text.find('\n') + 1).starts_with(os)) << text;
    EXPECT_EQ(env.link->Sequence(), std::stoi(row.cells[4]));
    EXPECT_EQ(env.link->OpenedName(), std::wstring(row.cells[5].begin(), row.cells[5].end()));
  }
}

TEST(SerialLink, WritesOneFrameAndWaitsOnTheFakeClockAcrossItsWrap) {
  LinkOverPeer env(Silent);
  std::uint32_t length = 0;
  ASSERT_TRUE(env.link->WriteFrame({0x01, 0xFA}, &length));
  EXPECT_EQ(length, 11u);
  EXPECT_EQ(env.port->writeCalls.at(0), EncodeFrame({0x01, 0xFA}));
  ByteVector data = {1, 2, 3};
  ASSERT_TRUE(env.link->ReadFrame(data, 200));
  EXPECT_TRUE(data.empty());
  EXPECT_GT(env.ticks.now, 200u);
  EXPECT_LE(env.ticks.now, 250u);
  env.ticks.now = 0xFFFFFFC0u;
  ASSERT_TRUE(env.link->ReadFrame(data, 200));
  EXPECT_GT(env.ticks.now, 100u);
  EXPECT_LT(env.ticks.now, 200u) << "waited across the wrap for about 200 ms";
}

}  // namespace
}  // namespace Dexal
