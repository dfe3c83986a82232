#pragma once

#include <string>

namespace Dexal::testing {

// A CSV file written in case tables' shorthand, spelt out: $T is the tester header
// "Serial,Service Date\r\nDX2-1,2025-09-01\r\n", $C the nine common header cells, $V nine common
// value cells (Asset ID A1, Pass, load 50).
std::string CsvFromShorthand(const std::string& text);

}  // namespace Dexal::testing
