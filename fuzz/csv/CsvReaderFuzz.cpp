// The CSV reader over any bytes: it reads them or refuses them with its own error, nothing else.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "csv/DexalCSVreader.h"
#include "csv/DexalCsvError.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    const Dexal::DexalCsvFile file = Dexal::CsvFileFromText(text, "fuzz.csv");
    for (const auto& section : file.sections) {
      if (section.values.size() != section.headers.size()) std::abort();
    }
  } catch (const Dexal::DexalCsvError&) {
  }
  return 0;
}
