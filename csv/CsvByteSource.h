#pragma once

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace Dexal {

// Where the reader takes a file's bytes from, one block at a time.
class CsvByteSource {
 public:
  virtual ~CsvByteSource() = default;

  // Up to `most` bytes into `into`; 0 only at the end. Throws DexalCsvError when reading fails.
  virtual std::size_t Read(char* into, std::size_t most) = 0;
};

// Text in memory, handed out at most `blockBytes` at a time (tests and the fuzzer take small
// blocks, so that every way a line can straddle two blocks is read).
class CsvTextSource final : public CsvByteSource {
 public:
  CsvTextSource(std::string_view text, std::size_t blockBytes) : text_(text), block_(blockBytes) {}
  std::size_t Read(char* into, std::size_t most) override;

 private:
  std::string_view text_;
  std::size_t block_;
};

// A file or a pipe. A folder, a device, or a file that cannot be opened is refused at once with
// the reason: "NAME: cannot be opened for reading (No such file or directory)".
class CsvFileSource final : public CsvByteSource {
 public:
  CsvFileSource(const std::filesystem::path& path, std::string fileName);
  std::size_t Read(char* into, std::size_t most) override;

 private:
  std::ifstream in_;
  std::string fileName_;
};

}  // namespace Dexal
