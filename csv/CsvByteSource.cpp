#include "csv/CsvByteSource.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

#include "csv/DexalCsvError.h"

namespace Dexal {

std::size_t CsvTextSource::Read(char* into, std::size_t most) {
  const std::size_t size = std::min({most, block_, text_.size()});
  std::memcpy(into, text_.data(), size);
  text_.remove_prefix(size);
  return size;
}

CsvFileSource::CsvFileSource(const std::filesystem::path& path, std::string fileName)
    : fileName_(std::move(fileName)) {
  namespace fs = std::filesystem;
  // Opening a folder succeeds on some systems and then reads nothing, and a device such as
  // /dev/zero never ends: both are named before anything is read. A pipe is read as it comes.
  std::error_code ignored;  // a path that is not there is reported by the open below
  const fs::file_status status = fs::status(path, ignored);
  if (fs::is_directory(status)) {
    throw DexalCsvError(fileName_ + ": cannot be read: it is a folder, not a file");
  }
  if (fs::is_block_file(status) || fs::is_character_file(status) || fs::is_socket(status)) {
    throw DexalCsvError(fileName_ + ": cannot be read: it is a device, not a file");
  }
  errno = 0;
  in_.open(path, std::ios::binary);
  if (!in_) {
    const int error = errno;
    throw DexalCsvError(fileName_ + ": cannot be opened for reading" +
                        (error != 0 ? " (" + std::generic_category().message(error) + ")" : ""));
  }
  // A failed read (an I/O error, a folder after all) is thrown by the file buffer with its
  // reason, instead of looking like the end of the file.
  in_.exceptions(std::ios::badbit);
}

std::size_t CsvFileSource::Read(char* into, std::size_t most) {
  if (in_.eof()) return 0;
  try {
    in_.read(into, static_cast<std::streamsize>(most));
  } catch (const std::ios_base::failure& e) {
    throw DexalCsvError(fileName_ + ": cannot be read (" + e.code().message() + ")");
  }
  return static_cast<std::size_t>(in_.gcount());
}

}  // namespace Dexal
