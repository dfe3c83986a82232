// The console's notices: a warning's text as stderr shows it (cli/warnings.txt).
#include "cli/ConsoleNotices.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/support/CaseTable.h"

namespace Dexal {
namespace {

TEST(ConsoleNotices, WarningIsOneLine) {
  testing::ExpectEachRow("cli/warnings.txt", 2, [](const auto& cells) {
    std::FILE* out = std::tmpfile();
    EXPECT_NE(out, nullptr);
    if (out == nullptr) return std::string("(no temporary file)");
    ConsoleNotices(out, false).Warn(cells[0]);
    std::string shown(4096, '\0');
    std::rewind(out);
    shown.resize(std::fread(shown.data(), 1, shown.size(), out));
    std::fclose(out);
    return shown;
  });
}

}  // namespace
}  // namespace Dexal
