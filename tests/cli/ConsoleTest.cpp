// What the command line shows of a download, as tests/testdata/cli/console.txt gives it: the
// port list with an adapter's latency timer (from sysfs on Linux), the progress line on a terminal,
// and the permission hint; and a warning's text as stderr shows it (cli/warnings.txt).

#include <cstdio>
#include <cstdlib>

#include "cli/ConsoleNotices.h"
#include "cli/PortListText.h"
#include "platform/WideText.h"
#include "tests/support/Testing.h"

namespace Dexal {
namespace {

std::string PortList(const std::vector<std::string>& cells) {
  DexalPortInfo port;
  port.portName = WideTextFromUtf8(cells[1]);
  port.friendlyName = WideTextFromUtf8(cells[2]);
  std::istringstream(cells[3]) >> std::hex >> port.usbVendor >> port.usbProduct;
  if (cells[4] == "sysfs") {
    port.latencyTimerMs = AdapterLatencyTimer(port.portName, testing::TestDataPath("cli/sysfs"));
  } else if (cells[4] != "-") {
    port.latencyTimerMs = std::stoul(cells[4]);
  }
  return PortListText(cells[1] == "-" ? std::vector<DexalPortInfo>{} : std::vector{port},
                      cells[5] == "yes");
}

// What `write` wrote through notices on a terminal or a pipe.
template <class Write>
std::string Written(bool terminal, Write write) {
  char* text = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&text, &size);
  {
    ConsoleNotices notices(out, terminal);
    write(notices);
  }
  std::fclose(out);
  const std::string shown(text, size);
  std::free(text);
  return shown;
}

// The calls of the row, in order; what they wrote.
std::string Console(const std::vector<std::string>& cells) {
  return Written(cells[0] == "terminal", [&](ConsoleNotices& notices) {
    std::istringstream calls(cells[1]);
    for (std::string call; std::getline(calls >> std::ws, call, ',');) {
      std::istringstream in(call.starts_with("after") ? call.substr(5) : call);
      std::uint32_t a = 0, b = 0, c = 0;
      in >> a >> b >> c;
      if (call == "notice") {
        notices.Notify("Download", "Download complete", NoticeKind::Information);
      } else if (call == "note") {
        notices.Note("no result was written; x.csv is unchanged");
      } else if (call.starts_with("after")) {
        notices.HintAfter({.linkError = static_cast<LinkError>(a), .osError = b}, "/dev/ttyX9");
      } else {
        notices.Progress(a, b, c);
      }
    }
  });
}

TEST(Console, AsTheTableSays) {
  testing::ExpectEachRow("cli/console.txt", 0, [](const std::vector<std::string>& cells) {
    return cells[0] == "port" ? PortList(cells) : Console(cells);
  });
}

TEST(Console, WarningIsOneLine) {
  testing::ExpectEachRow("cli/warnings.txt", 2, [](const std::vector<std::string>& cells) {
    return Written(false, [&](ConsoleNotices& notices) { notices.Warn(cells[0]); });
  });
}

}  // namespace
}  // namespace Dexal
