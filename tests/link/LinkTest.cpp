// The link: frames on the wire and the receiver's drop rules (link/frames.txt), the port's
// failures as the link records them (link/failures.txt), and each command against a scripted
// tester (link/commands.txt, link/result-data.txt); the POSIX port's low-latency mode
// (link/low-latency.txt).

#ifndef _WIN32
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>

#include "platform/PosixSystemCalls.h"
#include "platform/WideText.h"
#endif

#include "link/DexalPerformCmd.h"
#include "link/DexalSerialLink.h"
#include "link/FrameCodec.h"
#include "platform/OsError.h"
#include "platform/SerialPort.h"
#include "tests/support/ScriptedPeer.h"
#include "tests/support/Testing.h"

namespace Dexal {
namespace {

using namespace testing;

TEST(FrameCodec, CaseTableAndLimits) {
  const ByteVector good = BytesFromHex("FA 03 00 10 20 30 4C C5 06 D1 FB");
  testing::ForEachRow("link/frames.txt", 3, [&](const std::vector<std::string>& cells) {
    const std::string& kind = cells[0];
    const ByteVector wire = BytesFromHex(cells[1]);
    const ByteVector data = BytesFromHex(cells[2]);
    FrameReceiver receiver;
    if (kind == "frame") {
      EXPECT_EQ(EncodeFrame(data), wire);
    }
    if (kind == "drop") {
      EXPECT_TRUE(ReceiveFrames(receiver, wire).empty());
      EXPECT_TRUE(receiver.Data().empty()) << "a dropped frame leaves nothing behind";
      EXPECT_EQ(ReceiveFrames(receiver, good), std::vector<ByteVector>{BytesFromHex("10 20 30")});
    } else {
      EXPECT_EQ(ReceiveFrames(receiver, wire), std::vector<ByteVector>{data});
    }
  });
  // Lengths up to 4104 are taken, longer ones dropped.
  FrameReceiver receiver;
  EXPECT_EQ(ReceiveFrames(receiver, EncodeFrame(ByteVector(4104, 0x55))).size(), 1u);
  EXPECT_TRUE(ReceiveFrames(receiver, EncodeFrame(ByteVector(4105, 0x55))).empty());
}

std::optional<ByteVector> Silent(const Request&) { return std::nullopt; }

TEST(SerialLink, FailuresCaseTable) {
  testing::ForEachRow("link/failures.txt", 6, [&](const std::vector<std::string>& cells) {
    LinkOverPeer env(Silent);
    ByteVector data;
    env.port->readFailures = 1;
    EXPECT_FALSE(env.link->ReadFrame(data, 200));
    env.link->NextSequence();
    const std::string& action = cells[0];
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
    const std::uint32_t took = env.ticks.now - start;  // stalled writes take 10 ms each
    EXPECT_TRUE(!env.port->writesStall ||
                (took > kFrameWriteTimeoutMs && took <= kFrameWriteTimeoutMs + 20))
        << took;
    EXPECT_EQ(ok ? "true" : "false", cells[1]);
    const std::string text = env.link->ErrorText();
    EXPECT_EQ(text.substr(0, text.find('\n')), cells[2]);
    const std::string os = std::string(OsErrorLabel()) + cells[3] + ": ";
    EXPECT_TRUE(cells[3] == "-" || text.substr(text.find('\n') + 1).starts_with(os)) << text;
    EXPECT_EQ(env.link->Sequence(), std::stoi(cells[4]));
    EXPECT_EQ(env.link->OpenedName(), std::wstring(cells[5].begin(), cells[5].end()));
  });
}

TEST(SerialLink, WritesOneFrameAndWaitsOnTheFakeClockAcrossItsWrap) {
  LinkOverPeer env(Silent);
  std::uint32_t length = 0;
  ASSERT_TRUE(env.link->WriteFrame({0x01, 0xFA}, &length));
  EXPECT_EQ(length, 11u);
  EXPECT_EQ(env.port->writeCalls.at(0), EncodeFrame({0x01, 0xFA}));
  ByteVector data = {1, 2, 3};
  env.ticks.now = 0xFFFFFFC0u;
  ASSERT_TRUE(env.link->ReadFrame(data, 200));
  EXPECT_TRUE(data.empty());
  EXPECT_GT(env.ticks.now, 100u);
  EXPECT_LT(env.ticks.now, 200u) << "waited across the wrap for about 200 ms";
}

std::string DateText(CalendarTime time) {
  std::tm local{};
  char text[32] = "";
  if (!LocalFromCalendarTime(time, local)) return "(no local time)";
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  return text;
}

// Performs the named command and tells what it made of the reply.
std::string Perform(DexalPerformCmd& perform, const std::string& name) {
  const auto visited = [&perform](auto cmd) { return perform.visit(cmd), cmd; };
  DexalCmdResultInfo info(0x0105);
  if (name == "serial") return visited(DexalCmdSerialNumber()).serialNumber;
  if (name == "service-date") return DateText(visited(DexalCmdServiceDate()).calibrationDate);
  if (name == "firmware") return visited(DexalCmdFirmWareVersion()).firmwareVersion;
  if (name == "count") return std::to_string(visited(DexalCmdResultCount()).resultCount);
  if (name == "info" && perform.visit(info)) {
    return std::to_string(info.infoValue) + " " + std::to_string(info.criteriaSize) + " " +
           std::to_string(info.dataSize);
  }
  info.criteriaSize = info.dataSize = 8;
  DexalCmdResultData data(&info, "S1");
  DexalCmdSetRTC clock;
  DexalCmdEndDownload end;
  const bool done = name == "data"        ? perform.visit(data)
                    : name == "set-clock" ? perform.visit(clock)
                                          : perform.visit(end);
  return done ? "done" : "failed";
}

TEST(Commands, CaseTable) {
  testing::ForEachRow("link/commands.txt", 9, [&](const std::vector<std::string>& cells) {
    const std::string& answer = cells[2];
    const auto status = static_cast<std::uint16_t>(std::stoi(cells[3]));
    const std::size_t size = std::stoul(cells[4]);
    ByteVector body(size < 8 ? 0 : size - 8);
    std::istringstream places(cells[5]);
    for (std::string place; std::getline(places, place, ';');) {
      const auto colon = place.find(':');
      const ByteVector bytes = BytesFromHex(place.substr(colon + 1));
      std::copy(bytes.begin(), bytes.end(), body.begin() + std::stoi(place.substr(0, colon)) - 8);
    }
    LinkOverPeer env([&](const Request& r) -> std::optional<ByteVector> {
      if (answer == "silent") return std::nullopt;
      const bool wrong = answer == "wrong-seq" || (answer == "wrong-seq-once" && r.sequence == 1);
      const auto sequence = static_cast<std::uint16_t>(r.sequence + (wrong ? 7 : 0));
      ByteVector reply = answer == "swapped" ? ReplyData(r.sequence, r.code, status, body)
                                             : ReplyData(r.code, sequence, status, body);
      reply.resize(size);
      return reply;
    });
    const std::string before = cells[1];
    const int count = before == "-" ? 0 : std::stoi(before.substr(before.find(':') + 1));
    if (before.starts_with("write")) env.port->writeFailures = count;
    if (before.starts_with("read")) env.port->readFailures = count;
    if (before.starts_with("sequence")) env.link->SetSequence(static_cast<std::uint16_t>(count));
    std::string outcome;
    const std::string thrown =
        testing::MessageOf<std::runtime_error>([&] { outcome = Perform(env.perform, cells[0]); });
    if (thrown != "(nothing thrown)") outcome = thrown.substr(0, thrown.find('\n'));
    EXPECT_EQ(outcome, cells[8]);
    EXPECT_EQ(std::to_string(env.peer.requests.size()) + "/" + std::to_string(env.link->Sequence()),
              cells[7]);
    if (cells[6] != "*" && !env.peer.requests.empty()) {
      EXPECT_EQ(env.peer.requests[0].payload, BytesFromHex(cells[6]));
    }
    // Short requests get the tester's allowance alone, on the fake clock.
    EXPECT_TRUE(answer != "silent" || (env.ticks.now > kReplyAllowanceMs &&
                                       env.ticks.now <= kReplyAllowanceMs + kFirstByteWaitMs + 10))
        << env.ticks.now;
  });
}

TEST(Commands, ResultDataCaseTable) {
  testing::ForEachRow("link/result-data.txt", 5, [&](const std::vector<std::string>& cells) {
    DexalCmdResultInfo info(4);
    info.criteriaSize = static_cast<std::uint16_t>(std::stoi(cells[0]));
    info.dataSize = static_cast<std::uint16_t>(std::stoi(cells[1]));
    const std::ptrdiff_t criteria = info.criteriaSize;
    ByteVector block(info.criteriaSize + info.dataSize);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i * 7 + 1);
    std::string asked;
    LinkOverPeer env([&](const Request& r) {
      const std::uint32_t offset = testing::GetLong(r.payload, 4);
      std::uint32_t length = testing::GetLong(r.payload, 8);
      asked += (asked.empty() ? "" : " ") + std::to_string(offset) + "+" + std::to_string(length);
      if (cells[2] != "-")
        length = std::min(length, static_cast<std::uint32_t>(std::stoul(cells[2])));
      const auto end = std::min<std::size_t>(offset + length, block.size());
      return ReplyData(
          r.code, r.sequence, 0,
          ByteVector(block.begin() + offset, block.begin() + static_cast<std::ptrdiff_t>(end)));
    });
    DexalCmdResultData data(&info, "SN42");
    std::string outcome = testing::MessageOf<std::runtime_error>([&] { env.perform.visit(data); });
    if (outcome == "(nothing thrown)") {
      EXPECT_EQ(data.criteriaSegment, ByteVector(block.begin(), block.begin() + criteria - 4));
      EXPECT_EQ(data.criteriaCrc, testing::GetLong(block, info.criteriaSize - 4u));
      EXPECT_EQ(data.dataSegment, ByteVector(block.begin() + criteria, block.end() - 4));
      EXPECT_EQ(data.dataCrc, testing::GetLong(block, block.size() - 4));
      outcome = "whole";
    }
    EXPECT_EQ(outcome, cells[4]);
    EXPECT_EQ(asked, cells[3]);
  });
}

TEST(Commands, SetClockPayloadOfLocalFields) {
  DexalCmdSetRTC worked;
  worked.SetClockFromLocal(LocalDateFields(2024, 1, 5, 13, 4, 9));
  EXPECT_EQ(worked.Payload(), BytesFromHex("E8 07 01 05 0D 04 09 00"));
}

#ifndef _WIN32
// The POSIX serial port on a real pseudo-terminal: the time-out on the real clock and a missing
// device. Frames in both directions, split replies and a line that goes away are the end-to-end
// fault matrix's (tests/e2e), which runs the programs over pseudo-terminals.
TEST(PtySerialPort, SilentPeerEndsTheReadAfterItsTimeOut) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_TRUE(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
  DexalSerialLink link;
  ASSERT_TRUE(link.Open(WideTextFromUtf8(ptsname(master)))) << link.ErrorText();
  ByteVector data = {1};
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(link.ReadFrame(data, 200));
  const auto elapsed = std::chrono::steady_clock::now() - start;
  close(master);
  EXPECT_TRUE(data.empty());
  EXPECT_GE(elapsed, std::chrono::milliseconds(200));
  // The port waits 50 ms at a time: a second past the time-out is left for a loaded machine, so
  // that only a port waiting far longer than that fails here.
  EXPECT_LT(elapsed, std::chrono::milliseconds(200 + 1000));
}

// The C library's calls, but for a serial driver's serial-info calls: TIOCGSERIAL is answered
// from `driverFlags`, and each TIOCSSERIAL is noted in `calls` as " set=FLAGS" (in decimal).
class RecordingSystemCalls final : public PosixSystemCalls {
 public:
  int Ioctl(int fd, unsigned long request, void* argument) override {
    auto* serial = static_cast<serial_struct*>(argument);
    if (request == TIOCSSERIAL) calls += " set=" + std::to_string(serial->flags);
    if (request != TIOCGSERIAL && request != TIOCSSERIAL) {
      return PosixSystemCalls::Ioctl(fd, request, argument);
    }
    if (!driverFlags || (request == TIOCSSERIAL && refusesFlags)) return -1;
    if (request == TIOCGSERIAL) serial->flags = *driverFlags;
    if (request == TIOCSSERIAL) driverFlags = serial->flags;
    return 0;
  }

  std::optional<int> driverFlags;  // none: the device has no serial info (a pseudo-terminal)
  bool refusesFlags = false;       // TIOCSSERIAL fails
  std::string calls;
};

// Low-latency mode asked of the driver on open and given back on close, as
// link/low-latency.txt gives the serial-info calls.
TEST(PtySerialPort, AsksForLowLatencyAsTheTableSays) {
  ExpectEachRow("link/low-latency.txt", 2, [](const auto& cells) {
    RecordingSystemCalls system;
    if (cells[0] != "none") system.driverFlags = std::stoi(cells[0]);
    system.refusesFlags = cells[0].ends_with("refuses");
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    EXPECT_TRUE(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
    const auto port = MakePosixSerialPort(system);
    EXPECT_EQ(port->Open(WideTextFromUtf8(ptsname(master))).stage, PortOpenResult::Stage::Ok);
    system.calls += " /";
    port->Close();
    close(master);
    return system.calls.substr(1);
  });
}

TEST(PtySerialPort, MissingDeviceGivesOpenFailed) {
  DexalSerialLink link;
  EXPECT_FALSE(link.Open(L"/dev/no-such-tester-port"));
  EXPECT_EQ(link.ErrorText(),
            "Protocol Error 1: Cannot open COM port.\nSystem Reported Error 2: No such file or "
            "directory");
}
#endif

}  // namespace
}  // namespace Dexal
