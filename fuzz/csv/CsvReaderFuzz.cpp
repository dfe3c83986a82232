// The CSV reader over any bytes: it reads them or refuses them with its own error, nothing else,
// and the same whether the bytes come in one block or in small ones.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "csv/DexalCSVreader.h"
#include "csv/DexalCsvError.h"

namespace {

std::string Outcome(std::string_view text, std::size_t blockBytes) {
  try {
    const Dexal::DexalCsvFile file = Dexal::CsvFileFromText(text, "fuzz.csv", blockBytes);
    std::string outcome = file.testerSerial + "," + file.serviceDate;
    for (const auto& section : file.sections) {
      if (section.values.size() != section.headers.size()) std::abort();
      for (const std::string& cell : section.values) outcome += "|" + cell;
      outcome += ":" + std::to_string(section.points.size());
    }
    return outcome;
  } catch (const Dexal::DexalCsvError& e) {
    return e.what();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (Outcome(text, Dexal::DexalCSVreader::kBlockBytes) != Outcome(text, 1 + size % 5)) abort();
  return 0;
}
