#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace Dexal {

// One line of a CSV file split into cells (RFC 4180: a quoted cell may hold separators, doubled
// quotes and line ends).
struct CsvRecord {
  std::size_t line = 0;            // where the record begins, counting from 1
  std::vector<std::string> cells;  // none for an empty line
};

// Walks the text of a CSV file record by record. Lines end with CR LF; a lone LF is taken as a
// line end too, since an editor may have saved the file that way.
class CsvRecords {
 public:
  CsvRecords(std::string_view text, std::string fileName);

  [[nodiscard]] bool AtEnd() const { return pos_ >= text_.size(); }
  [[nodiscard]] std::size_t Line() const { return line_; }

  // The next record; throws DexalCsvError when the text ends inside a quoted cell or a closing
  // quote is followed by anything but a separator or a line end.
  CsvRecord Next();

  // The next line as written, without its line end, for lines that hold no quoted cell.
  std::string_view NextLine();

  [[noreturn]] void Fail(std::size_t line, const std::string& what) const;

 private:
  void ReadQuotedCell(std::string& cell);
  // Skips CR LF or LF at pos_, counting the line; false when no line end stands there.
  bool SkipLineEnd();

  std::string_view text_;
  std::string fileName_;
  std::size_t pos_ = 0;
  std::size_t line_ = 1;
};

}  // namespace Dexal
