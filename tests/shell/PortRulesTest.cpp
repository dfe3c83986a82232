#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "shell/PortRules.h"

namespace Dexal {
namespace {

struct PathCase {
  const wchar_t* name;
  const wchar_t* path;
};

class DevicePathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(DevicePathTest, PrefixesOnlyComNumbersAboveNine) {
  EXPECT_EQ(DevicePathFromPortName(GetParam().name), GetParam().path);
}

INSTANTIATE_TEST_SUITE_P(
    Names, DevicePathTest,
    ::testing::Values(PathCase{L"COM1", L"COM1"}, PathCase{L"COM9", L"COM9"},
                      PathCase{L"COM0", L"COM0"}, PathCase{L"COM10", L"\\\\.\\COM10"},
                      PathCase{L"COM12", L"\\\\.\\COM12"}, PathCase{L"COM256", L"\\\\.\\COM256"},
                      PathCase{L"COM03", L"COM03"}, PathCase{L"COM010", L"\\\\.\\COM010"},
                      PathCase{L"com12", L"com12"}, PathCase{L"LPT2", L"LPT2"},
                      PathCase{L"XCOM12", L"XCOM12"}, PathCase{L"COM", L"COM"}, PathCase{L"", L""},
                      PathCase{L"COM12abc", L"\\\\.\\COM12abc"},
                      // The number must fit a 32-bit signed integer.
                      PathCase{L"COM2147483647", L"\\\\.\\COM2147483647"},
                      PathCase{L"COM2147483648", L"COM2147483648"},
                      PathCase{L"COM99999999999999999999999", L"COM99999999999999999999999"}));

TEST(TextFromRegistryBufferTest, StopsAtTheFirstNulOrTheValueLength) {
  const wchar_t stored[] = {L'C', L'O', L'M', L'3', L'\0', L'X', L'Y'};
  EXPECT_EQ(TextFromRegistryBuffer(stored, sizeof stored), L"COM3");
  // A value stored without its terminator ends with its length.
  EXPECT_EQ(TextFromRegistryBuffer(stored, 3 * sizeof(wchar_t)), L"COM");
  // An odd byte count leaves out the half character.
  EXPECT_EQ(TextFromRegistryBuffer(stored, 2 * sizeof(wchar_t) + 1), L"CO");
  EXPECT_EQ(TextFromRegistryBuffer(stored, 0), L"");
  EXPECT_EQ(TextFromRegistryBuffer(nullptr, 8), L"");
}

TEST(UsbIdsTest, ReadsHexadecimalIdsCaseInsensitively) {
  struct Case {
    const wchar_t* hardwareId;
    unsigned vendor;
    unsigned product;
  };
  const Case cases[] = {
      {L"USB\\VID_0403&PID_6001&REV_0600", 0x0403, 0x6001},
      {L"usb\\vid_10c4&pid_ea60", 0x10C4, 0xEA60},
      {L"FTDIBUS\\COMPORT&VID_0403&PID_6015", 0x0403, 0x6015},
      {L"ACPI\\PNP0501", 0, 0},
      {L"", 0, 0},
      // A group that is not hexadecimal gives 0 for that id only.
      {L"USB\\VID_XYZ&PID_00FF", 0, 0x00FF},
      {L"USB\\VID_0403&PID_60_01", 0x0403, 0},
  };
  for (const Case& c : cases) {
    const UsbIds ids = UsbIdsFromHardwareId(c.hardwareId);
    EXPECT_EQ(ids.vendor, c.vendor) << "vendor of " << testing::PrintToString(c.hardwareId);
    EXPECT_EQ(ids.product, c.product) << "product of " << testing::PrintToString(c.hardwareId);
  }
}

class FakeEnumeration : public PortEnumeration {
 public:
  std::vector<DexalPortInfo> ClassPorts() override { return classPorts; }
  std::vector<std::wstring> SerialCommPorts() override { return serialComm; }
  bool CanOpen(const std::wstring& devicePath) override {
    probed.push_back(devicePath);
    return openable.count(devicePath) != 0;
  }

  void AddClassPort(const std::wstring& name, const std::wstring& friendly = L"") {
    DexalPortInfo port;
    port.portName = name;
    port.friendlyName = friendly;
    classPorts.push_back(port);
  }

  std::vector<DexalPortInfo> classPorts;
  std::vector<std::wstring> serialComm;
  std::set<std::wstring> openable;
  std::vector<std::wstring> probed;
};

std::vector<std::wstring> NamesOf(const std::vector<DexalPortInfo>& ports) {
  std::vector<std::wstring> names;
  for (const DexalPortInfo& port : ports) names.push_back(port.portName);
  return names;
}

using Names = std::vector<std::wstring>;

TEST(ListSerialPortsTest, NoPortsGiveAnEmptyList) {
  FakeEnumeration fake;
  EXPECT_TRUE(ListSerialPorts(fake).empty());
  EXPECT_TRUE(fake.probed.empty());
}

TEST(ListSerialPortsTest, LeavesOutLpt1AndNamelessDevicesWithoutProbingThem) {
  FakeEnumeration fake;
  for (const wchar_t* name : {L"LPT1", L"", L"LPT2", L"lpt1", L"LPT10", L"COM1"}) {
    fake.AddClassPort(name);
  }
  fake.openable = {L"LPT1", L"LPT2", L"lpt1", L"LPT10", L"COM1"};
  EXPECT_EQ(NamesOf(ListSerialPorts(fake)), (Names{L"LPT2", L"lpt1", L"LPT10", L"COM1"}));
  EXPECT_EQ(fake.probed, (Names{L"LPT2", L"lpt1", L"LPT10", L"COM1"}));
}

TEST(ListSerialPortsTest, KeepsDuplicatesAndEnumerationOrderUnsorted) {
  FakeEnumeration fake;
  fake.AddClassPort(L"COM4", L"USB Serial Port (COM4)");
  fake.AddClassPort(L"COM3", L"Communications Port (COM3)");
  fake.AddClassPort(L"COM4", L"Another adapter (COM4)");
  fake.openable = {L"COM3", L"COM4"};
  const std::vector<DexalPortInfo> ports = ListSerialPorts(fake);
  ASSERT_EQ(NamesOf(ports), (Names{L"COM4", L"COM3", L"COM4"}));
  EXPECT_EQ(ports[0].friendlyName, L"USB Serial Port (COM4)");
  EXPECT_EQ(ports[2].friendlyName, L"Another adapter (COM4)");
}

TEST(ListSerialPortsTest, LeavesOutPortsThatCannotBeOpenedAndProbesHighNumbersByDevicePath) {
  FakeEnumeration fake;
  for (const wchar_t* name : {L"COM3", L"COM10", L"COM5", L"COM12"}) fake.AddClassPort(name);
  fake.openable = {L"COM3", L"\\\\.\\COM10", L"COM12"};  // COM12 only opens as \\.\COM12
  EXPECT_EQ(NamesOf(ListSerialPorts(fake)), (Names{L"COM3", L"COM10"}));
  EXPECT_EQ(fake.probed, (Names{L"COM3", L"\\\\.\\COM10", L"COM5", L"\\\\.\\COM12"}));
}

TEST(ListSerialPortsTest, AddsSerialCommPortsTheClassDidNotReportOnce) {
  FakeEnumeration fake;
  fake.AddClassPort(L"COM3", L"USB Serial Port (COM3)");
  fake.AddClassPort(L"COM5");
  // COM5 is the class's but held by another program: SERIALCOMM must not bring it back.
  fake.serialComm = {L"COM3", L"COM7", L"COM5", L"LPT1", L"", L"COM7", L"COM8", L"COM11"};
  fake.openable = {L"COM3", L"COM7", L"COM5x", L"LPT1", L"\\\\.\\COM11"};
  const std::vector<DexalPortInfo> ports = ListSerialPorts(fake);
  EXPECT_EQ(NamesOf(ports), (Names{L"COM3", L"COM7", L"COM11"}));
  EXPECT_EQ(fake.probed, (Names{L"COM3", L"COM5", L"COM7", L"COM8", L"\\\\.\\COM11"}));
  ASSERT_EQ(ports.size(), 3U);
  EXPECT_EQ(ports[0].friendlyName, L"USB Serial Port (COM3)");  // the class's record wins
  EXPECT_EQ(ports[1].friendlyName, L"");
}

TEST(ListSerialPortsTest, ListsSerialCommPortsWhenTheClassIsEmpty) {
  FakeEnumeration fake;  // as under Wine, where SetupAPI lists no Ports device
  fake.serialComm = {L"COM1", L"COM7"};
  fake.openable = {L"COM7"};
  EXPECT_EQ(NamesOf(ListSerialPorts(fake)), (Names{L"COM7"}));
}

TEST(ListSerialPortsTest, AFreedPortAppearsInTheNextListing) {
  FakeEnumeration fake;
  fake.AddClassPort(L"COM3");
  EXPECT_TRUE(ListSerialPorts(fake).empty());
  fake.openable = {L"COM3"};
  EXPECT_EQ(NamesOf(ListSerialPorts(fake)), (Names{L"COM3"}));
}

}  // namespace
}  // namespace Dexal
