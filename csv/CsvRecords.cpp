#include "csv/CsvRecords.h"

#include <utility>

#include "csv/DexalCsvError.h"
#include "csv/DexalCsvLayout.h"

namespace Dexal {
namespace {

// Where a bare cell ends: at the separator or at the line end.
constexpr char kCellEnds[] = {kCsvSeparator, '\n', '\0'};

}  // namespace

CsvRecords::CsvRecords(std::string_view text, std::string fileName)
    : text_(text), fileName_(std::move(fileName)) {}

void CsvRecords::Fail(std::size_t line, const std::string& what) const {
  throw DexalCsvError(fileName_, line, what);
}

bool CsvRecords::SkipLineEnd() {
  if (pos_ < text_.size() && text_[pos_] == '\n') {
    ++pos_;
  } else if (pos_ + 1 < text_.size() && text_[pos_] == '\r' && text_[pos_ + 1] == '\n') {
    pos_ += 2;
  } else {
    return false;
  }
  ++line_;
  return true;
}

std::string_view CsvRecords::NextLine() {
  const std::size_t end = text_.find('\n', pos_);
  const std::size_t stop = end == std::string_view::npos ? text_.size() : end;
  std::string_view line = text_.substr(pos_, stop - pos_);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (end == std::string_view::npos) {
    pos_ = text_.size();
  } else {
    pos_ = end + 1;
    ++line_;
  }
  return line;
}

void CsvRecords::ReadQuotedCell(std::string& cell) {
  const std::size_t opened = line_;
  ++pos_;  // the opening quote
  while (true) {
    const std::size_t quote = text_.find('"', pos_);
    if (quote == std::string_view::npos) {
      Fail(opened, "the file ends inside a quoted cell that begins on this line");
    }
    const std::string_view part = text_.substr(pos_, quote - pos_);
    for (const char c : part) {
      if (c == '\n') ++line_;
    }
    cell.append(part);
    pos_ = quote + 1;
    if (pos_ < text_.size() && text_[pos_] == '"') {
      cell.push_back('"');
      ++pos_;
      continue;
    }
    if (pos_ < text_.size() && text_[pos_] != kCsvSeparator && text_[pos_] != '\r' &&
        text_[pos_] != '\n') {
      Fail(line_, "a quoted cell goes on after its closing quote");
    }
    return;
  }
}

CsvRecord CsvRecords::Next() {
  CsvRecord record;
  record.line = line_;
  if (SkipLineEnd()) return record;
  while (true) {
    std::string& cell = record.cells.emplace_back();
    if (pos_ < text_.size() && text_[pos_] == '"') {
      ReadQuotedCell(cell);
    } else {
      const std::size_t end = text_.find_first_of(kCellEnds, pos_);
      const std::size_t stop = end == std::string_view::npos ? text_.size() : end;
      std::string_view bare = text_.substr(pos_, stop - pos_);
      if (stop < text_.size() && text_[stop] == '\n' && !bare.empty() && bare.back() == '\r') {
        bare.remove_suffix(1);
      }
      cell.assign(bare);
      pos_ += bare.size();
    }
    if (pos_ < text_.size() && text_[pos_] == kCsvSeparator) {
      ++pos_;
      continue;
    }
    if (!SkipLineEnd() && pos_ < text_.size()) {
      Fail(line_, "a lone carriage return inside a line");
    }
    return record;
  }
}

}  // namespace Dexal
