#include "csv/CsvRecords.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "csv/DexalCsvError.h"
#include "csv/DexalCsvLayout.h"

namespace Dexal {
namespace {

constexpr std::size_t kNone = std::string_view::npos;
// Where a bare cell ends: at the separator or at the line end.
constexpr char kCellEnds[] = {kCsvSeparator, '\n'};

}  // namespace

CsvRecords::CsvRecords(CsvByteSource& source, std::string fileName, std::size_t blockBytes)
    : source_(source),
      fileName_(std::move(fileName)),
      block_(std::max<std::size_t>(blockBytes, 1)),
      nul_(kNone),
      limit_(std::numeric_limits<std::size_t>::max()) {}

void CsvRecords::Fail(std::size_t line, const std::string& what) const {
  throw DexalCsvError(fileName_, line, what);
}

void CsvRecords::FailAtNul() const {
  const auto lines = std::count(buffer_.begin() + static_cast<std::ptrdiff_t>(pos_),
                                buffer_.begin() + static_cast<std::ptrdiff_t>(nul_), '\n');
  Fail(line_ + static_cast<std::size_t>(lines),
       "a zero byte (NUL) where text must be: this is not a text file");
}

void CsvRecords::LimitRecords(std::size_t bytes, std::string what) {
  limit_ = bytes;
  limitWhat_ = std::move(what);
}

bool CsvRecords::Fill() {
  if (atEndOfFile_) return false;
  if (pos_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + pos_, end_ - pos_);
    dropped_ += pos_;
    end_ -= pos_;
    if (nul_ != kNone) nul_ -= pos_;
    pos_ = 0;
  }
  if (buffer_.size() < end_ + block_) buffer_.resize(end_ + block_);
  const std::size_t got = source_.Read(buffer_.data() + end_, block_);
  if (got == 0) {
    atEndOfFile_ = true;
    return false;
  }
  if (nul_ == kNone) {
    if (const void* nul = std::memchr(buffer_.data() + end_, 0, got)) {
      nul_ = static_cast<std::size_t>(static_cast<const char*>(nul) - buffer_.data());
    }
  }
  end_ += got;
  return true;
}

std::size_t CsvRecords::LimitAt() const {
  const std::size_t recordEnd = limit_ > kNone - recordAt_ ? kNone : recordAt_ + limit_;
  return recordEnd - std::min(recordEnd, dropped_);
}

void CsvRecords::FailAtStop(std::size_t stop) const {
  if (stop == nul_) FailAtNul();
  if (stop == LimitAt()) Fail(recordLine_, limitWhat_);
}

std::size_t CsvRecords::Find(std::string_view chars) {
  std::size_t searched = 0;
  while (true) {
    const std::size_t stop = std::min({end_, nul_, LimitAt()});
    const std::string_view rest(buffer_.data() + pos_ + searched, stop - pos_ - searched);
    const std::size_t found = chars.size() == 1 ? rest.find(chars[0]) : rest.find_first_of(chars);
    if (found != kNone) return searched + found;
    searched = stop - pos_;
    if (stop < end_) FailAtStop(stop);
    if (!Fill()) return kNone;
  }
}

int CsvRecords::At(std::size_t offset) {
  while (pos_ + offset >= end_ && Fill()) {
  }
  const std::size_t at = pos_ + offset;
  const std::size_t stop = std::min(nul_, LimitAt());
  if (at >= stop && stop < end_) FailAtStop(stop);
  return at < end_ ? static_cast<unsigned char>(buffer_[at]) : -1;
}

bool CsvRecords::AtEnd() {
  BeginRecord();
  return At(0) < 0;
}

std::string_view CsvRecords::Peek(std::size_t count) {
  while (end_ - pos_ < count && Fill()) {
  }
  return {buffer_.data() + pos_, std::min(count, std::min(end_, nul_) - pos_)};
}

void CsvRecords::Skip(std::size_t count) { pos_ += std::min(count, end_ - pos_); }

void CsvRecords::BeginRecord() {
  recordAt_ = dropped_ + pos_;
  recordLine_ = line_;
}

bool CsvRecords::SkipLineEnd() {
  const int first = At(0);
  if (first == '\n') {
    ++pos_;
  } else if (first == '\r' && At(1) == '\n') {
    pos_ += 2;
  } else {
    return false;
  }
  ++line_;
  return true;
}

std::string_view CsvRecords::NextLine() {
  BeginRecord();
  std::size_t length = Find("\n");
  lastEnded_ = length != kNone;
  if (!lastEnded_) length = end_ - pos_;
  std::string_view line(buffer_.data() + pos_, length);
  pos_ += length;
  if (lastEnded_) {
    ++pos_;
    ++line_;
  }
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

void CsvRecords::ReadQuotedCell(std::string& cell) {
  const std::size_t opened = line_;
  ++pos_;  // the opening quote
  while (true) {
    const std::size_t quote = Find("\"");
    if (quote == kNone) Fail(opened, "the file ends inside a quoted cell that begins on this line");
    const std::string_view part(buffer_.data() + pos_, quote);
    line_ += static_cast<std::size_t>(std::count(part.begin(), part.end(), '\n'));
    cell.append(part);
    pos_ += quote + 1;
    const int next = At(0);
    if (next == '"') {
      cell.push_back('"');
      ++pos_;
      continue;
    }
    if (next >= 0 && next != kCsvSeparator && next != '\r' && next != '\n') {
      Fail(line_, "a quoted cell goes on after its closing quote");
    }
    return;
  }
}

CsvRecord CsvRecords::Next() {
  BeginRecord();
  CsvRecord record;
  record.line = line_;
  lastEnded_ = SkipLineEnd();
  if (lastEnded_) return record;
  while (true) {
    std::string& cell = record.cells.emplace_back();
    if (At(0) == '"') {
      ReadQuotedCell(cell);
    } else {
      std::size_t length = Find({kCellEnds, sizeof kCellEnds});
      const bool atLineEnd = length != kNone && buffer_[pos_ + length] == '\n';
      if (length == kNone) length = end_ - pos_;
      std::string_view bare(buffer_.data() + pos_, length);
      if (atLineEnd && !bare.empty() && bare.back() == '\r') bare.remove_suffix(1);
      cell.assign(bare);
      pos_ += bare.size();
    }
    const int next = At(0);
    if (next == kCsvSeparator) {
      ++pos_;
      continue;
    }
    lastEnded_ = SkipLineEnd();
    if (!lastEnded_ && next >= 0) Fail(line_, "a lone carriage return inside a line");
    return record;
  }
}

}  // namespace Dexal
