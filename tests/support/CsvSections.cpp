#include "tests/support/CsvSections.h"

namespace Dexal::testing {

std::vector<std::string> CsvSections(const std::string& csv) {
  std::vector<std::string> sections;
  std::size_t at = 0;
  while ((at = csv.find("Asset ID,", at)) != std::string::npos) {
    if (at > 0 && csv[at - 1] != '\n') {
      ++at;
      continue;
    }
    std::size_t end = csv.find("\r\n\r\n", at);
    end = end == std::string::npos ? csv.size() : end + 4;
    sections.push_back(csv.substr(at, end - at));
    at = end;
  }
  return sections;
}

}  // namespace Dexal::testing
