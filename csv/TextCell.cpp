#include "csv/TextCell.h"

namespace Dexal {

bool NeedsQuoting(std::string_view text) {
  return text.find_first_of(",\"\r\n") != std::string_view::npos;
}

std::string QuotedTextCell(std::string_view text) {
  std::string cell;
  cell.reserve(text.size() + 2);
  cell.push_back('"');
  for (const char c : text) {
    if (c == '"') {
      cell += "\"\"";
    } else if (c == '\n') {
      cell += "\r\n";
    } else {
      cell.push_back(c);
    }
  }
  cell.push_back('"');
  return cell;
}

std::string BareTextCell(std::string_view text) {
  if (NeedsQuoting(text)) return QuotedTextCell(text);
  return std::string(text);
}

}  // namespace Dexal
