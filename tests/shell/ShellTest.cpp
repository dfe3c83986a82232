// Port discovery's rules, the download's open path, and the dialog's texts, as the case tables
// tests/testdata/shell/port-rules.txt and dialog-text.txt give them; the version block query.
#include <windows.h>

#include <cstdio>
#include <iomanip>
#include <set>

#include "platform/PortRules.h"
#include "platform/SerialPort.h"
#include "platform/WideText.h"
#include "shell/DialogText.h"
#include "shell/FileVersion.h"
#include "tests/support/Testing.h"

namespace Dexal {
namespace {

using Names = std::vector<std::wstring>;

// A comma-separated cell: its items, trimmed; an empty cell is no item.
Names Items(const std::string& cell) {
  Names items;
  std::istringstream in(cell);
  for (std::string item; !cell.empty() && std::getline(in, item, ',');) {
    items.push_back(
        WideTextFromUtf8(item.substr(std::min(item.find_first_not_of(' '), item.size()))));
  }
  return items;
}

// Class ports written NAME=friendly name.
class FakeEnumeration : public PortEnumeration {
 public:
  std::vector<DexalPortInfo> ClassPorts() override {
    std::vector<DexalPortInfo> ports(classPorts.size());
    for (std::size_t i = 0; i < ports.size(); ++i) {
      const auto equals = classPorts[i].find(L'=');
      ports[i].portName = classPorts[i].substr(0, equals);
      if (equals != std::wstring::npos) ports[i].friendlyName = classPorts[i].substr(equals + 1);
    }
    return ports;
  }
  Names SerialCommPorts() override { return serialComm; }
  bool CanOpen(const std::wstring& devicePath) override {
    probed.push_back(devicePath);
    return openable.count(devicePath) != 0;
  }
  Names classPorts, serialComm, probed;
  std::set<std::wstring> openable;
};

TEST(PortRules, AsTheTableSays) {
  testing::ForEachRow("shell/port-rules.txt", 0, [&](const std::vector<std::string>& cells) {
    const std::string& kind = cells[0];
    const std::wstring in = WideTextFromUtf8(cells.at(1));
    if (kind == "path" || kind == "open") {
      EXPECT_EQ(kind == "path" ? DevicePathFromPortName(in) : OpenPathFromPortName(in),
                WideTextFromUtf8(cells.at(2)));
    } else if (kind == "usb") {
      const UsbIds ids = UsbIdsFromHardwareId(in);
      char text[24];
      std::snprintf(text, sizeof text, "%x %x", ids.vendor, ids.product);
      EXPECT_EQ(text, cells.at(2));
    } else if (kind == "registry") {
      const std::wstring stored(cells[1].begin(), cells[1].end());
      const bool none = cells.at(2) == "null";
      EXPECT_EQ(
          TextFromRegistryBuffer(none ? nullptr : stored.c_str(), none ? 8 : std::stoul(cells[2])),
          WideTextFromUtf8(cells.at(3)));
    } else {
      ASSERT_EQ(kind, "list");
      FakeEnumeration fake;
      fake.classPorts = Items(cells.at(1));
      fake.serialComm = Items(cells.at(2));
      for (const std::wstring& path : Items(cells.at(3))) fake.openable.insert(path);
      Names listed;
      for (const DexalPortInfo& port : ListSerialPorts(fake)) {
        listed.push_back(port.portName + (port.friendlyName.empty() ? L"" : L"=") +
                         port.friendlyName);
      }
      EXPECT_EQ(listed, Items(cells.at(4)));
      EXPECT_EQ(fake.probed, Items(cells.at(5)));
    }
  });
}

TEST(DialogText, AsTheTableSays) {
  testing::ExpectEachRow("shell/dialog-text.txt", 3, [](const auto& cells) {
    std::istringstream in(cells[1]);
    in >> std::setbase(0);  // 0x for hexadecimal
    std::uint32_t a = 0, b = 0;
    in >> a >> b;
    return Utf8FromWideText(cells[0] == "text" ? StaticTextFromFileVersion(a, b)
                                               : ProgressTextFromIndex(a, b));
  });
}

TEST(FileVersion, ReadsTheVersionBlockOrGivesZero) {
  wchar_t own[MAX_PATH] = {};  // this test program, built with version 1.2.0.7
  GetModuleFileNameW(nullptr, own, MAX_PATH);
  const FileVersion version = FileVersionFromPath(own);
  EXPECT_EQ(version.ms, 0x00010002U);
  EXPECT_EQ(version.ls, 0x00000007U);
  const FileVersion none = FileVersionFromPath(L"Z:\\no\\such\\program.exe");
  EXPECT_EQ(none.ms, 0U);
  EXPECT_EQ(none.ls, 0U);
}

}  // namespace
}  // namespace Dexal
