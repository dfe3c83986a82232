#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace Dexal {

// A CSV file that this program cannot read: "FILE:LINE: what is wrong".
class DexalCsvError : public std::runtime_error {
 public:
  DexalCsvError(const std::string& file, std::size_t line, const std::string& what)
      : std::runtime_error(file + ":" + std::to_string(line) + ": " + what) {}
  explicit DexalCsvError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace Dexal
