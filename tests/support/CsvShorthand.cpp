#include "tests/support/CsvShorthand.h"

#include "tests/support/TestFiles.h"

namespace Dexal::testing {

std::string CsvFromShorthand(const std::string& text) {
  std::string csv = ReplaceAll(text, "$T", "Serial,Service Date\r\nDX2-1,2025-09-01\r\n");
  csv = ReplaceAll(csv, "$C",
                   "Asset ID,Asset Make,Asset Model,Asset Serial,Date,Test Type,Status,Comment,"
                   "NominalLoad");
  return ReplaceAll(csv, "$V",
                    "A1,\"Make\",\"Model\",\"SN1\",2026-01-02T03:04:05,Defib Pulse,Pass,\"\",50");
}

}  // namespace Dexal::testing
