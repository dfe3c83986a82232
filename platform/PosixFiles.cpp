#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/FileSystem.h"

namespace Dexal {
namespace {

bool Failed(std::uint32_t& osError) {
  osError = static_cast<std::uint32_t>(errno);
  return false;
}

}  // namespace

bool SamePathText(const std::filesystem::path& a, const std::filesystem::path& b) { return a == b; }

bool WriteNewFile(const std::filesystem::path& path, const NextBytes& next,
                  std::uint32_t& osError) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return Failed(osError);
  bool good = true;
  std::string bytes;
  try {
    while (good) {
      bytes.clear();
      if (!next(bytes)) break;
      std::size_t done = 0;
      while (good && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        good = n >= 0 || Failed(osError);
        if (good) done += static_cast<std::size_t>(n);
      }
    }
  } catch (...) {
    ::close(fd);
    throw;
  }
  if (good && ::fsync(fd) != 0) good = Failed(osError);
  if (::close(fd) != 0 && good) good = Failed(osError);
  return good;
}

bool FlushToDisk(const std::filesystem::path& path, std::uint32_t& osError) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Failed(osError);
  const bool synced = ::fsync(fd) == 0 || Failed(osError);
  ::close(fd);
  return synced;
}

bool MoveFileOnto(const std::filesystem::path& from, const std::filesystem::path& to,
                  std::uint32_t& osError) {
  return ::rename(from.c_str(), to.c_str()) == 0 || Failed(osError);
}

bool MakeFolder(const std::filesystem::path& path, std::uint32_t& osError) {
  return ::mkdir(path.c_str(), 0777) == 0 || Failed(osError);
}

bool MakePrivateFile(const std::filesystem::path& path, std::uint32_t& osError) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return Failed(osError);
  ::close(fd);
  return true;
}

}  // namespace Dexal
