#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "csv/CsvByteSource.h"

namespace Dexal {

// One line of a CSV file split into cells (RFC 4180: a quoted cell may hold separators, doubled
// quotes and line ends).
struct CsvRecord {
  std::size_t line = 0;            // where the record begins, counting from 1
  std::vector<std::string> cells;  // none for an empty line
};

// Walks a CSV file record by record as its bytes come, holding no more than the record being
// read and one block. Lines end with CR LF; a lone LF is taken as a line end too, since an editor
// may have saved the file that way. A NUL byte is refused where the reading reaches it.
class CsvRecords {
 public:
  CsvRecords(CsvByteSource& source, std::string fileName, std::size_t blockBytes);

  [[nodiscard]] bool AtEnd();
  [[nodiscard]] std::size_t Line() const { return line_; }
  // Whether the record or line read last ended with a line end (not with the end of the file).
  [[nodiscard]] bool LastEnded() const { return lastEnded_; }

  // The first `count` bytes not yet read (fewer at the end of the file), to look at.
  std::string_view Peek(std::size_t count);
  void Skip(std::size_t count);

  // A record or line longer than `bytes` is refused with `what`, on the line where it begins.
  void LimitRecords(std::size_t bytes, std::string what);

  // The next record; throws DexalCsvError when the text ends inside a quoted cell or a closing
  // quote is followed by anything but a separator or a line end.
  CsvRecord Next();

  // The next line as written, without its line end, for lines that hold no quoted cell. It
  // stays valid until the next call.
  std::string_view NextLine();

  [[noreturn]] void Fail(std::size_t line, const std::string& what) const;

 private:
  // Reads one more block after the unread bytes, which move to the front; false at the end.
  bool Fill();
  // Where the first of `chars` stands, counted from the first unread byte; npos when the file
  // ends first.
  std::size_t Find(std::string_view chars);
  // The unread byte at `offset`, or -1 at the end of the file.
  int At(std::size_t offset);
  [[noreturn]] void FailAtNul() const;
  // Where the record being read would grow past its limit, in buffer_ (npos: no limit).
  [[nodiscard]] std::size_t LimitAt() const;
  // Fails when `stop` is the NUL byte or the limit.
  void FailAtStop(std::size_t stop) const;
  void ReadQuotedCell(std::string& cell);
  // Skips CR LF or LF at the first unread byte, counting the line; false when none stands there.
  bool SkipLineEnd();
  void BeginRecord();

  CsvByteSource& source_;
  std::string fileName_;
  std::size_t block_;
  std::string buffer_;  // unread bytes in [pos_, end_)
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  std::size_t nul_;           // of the first NUL byte read, in buffer_; npos when none
  std::size_t dropped_ = 0;   // bytes read and dropped from the front of buffer_
  std::size_t recordAt_ = 0;  // where the record being read begins, counted from the file's start
  std::size_t recordLine_ = 1;
  std::size_t limit_;
  std::string limitWhat_;
  bool atEndOfFile_ = false;
  bool lastEnded_ = false;
  std::size_t line_ = 1;
};

}  // namespace Dexal
