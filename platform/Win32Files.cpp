#include <windows.h>

#include <algorithm>

#include "platform/FileSystem.h"

namespace Dexal {
namespace {

bool Failed(std::uint32_t& osError) {
  osError = GetLastError();
  return false;
}

}  // namespace

bool SamePathText(const std::filesystem::path& a, const std::filesystem::path& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool WriteNewFile(const std::filesystem::path& path, const NextBytes& next,
                  std::uint32_t& osError) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Failed(osError);
  bool good = true;
  std::string bytes;
  try {
    while (good) {
      bytes.clear();
      if (!next(bytes)) break;
      std::size_t done = 0;
      while (good && done < bytes.size()) {
        // WriteFile takes at most 4 GB at a time.
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        good =
            WriteFile(file, bytes.data() + done, chunk, &written, nullptr) != 0 || Failed(osError);
        done += written;
      }
    }
  } catch (...) {
    CloseHandle(file);
    throw;
  }
  if (good && !FlushFileBuffers(file)) good = Failed(osError);
  if (!CloseHandle(file) && good) good = Failed(osError);
  return good;
}

bool FlushToDisk(const std::filesystem::path& path, std::uint32_t& osError) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Failed(osError);
  const bool flushed = FlushFileBuffers(file) != 0 || Failed(osError);
  CloseHandle(file);
  return flushed;
}

bool MoveFileOnto(const std::filesystem::path& from, const std::filesystem::path& to,
                  std::uint32_t& osError) {
  return MoveFileExW(from.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0 ||
         Failed(osError);
}

bool MakeFolder(const std::filesystem::path& path, std::uint32_t& osError) {
  return CreateDirectoryW(path.c_str(), nullptr) != 0 || Failed(osError);
}

// The user's temporary folder is the user's own: the file takes its rights.
bool MakePrivateFile(const std::filesystem::path& path, std::uint32_t& osError) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Failed(osError);
  CloseHandle(file);
  return true;
}

}  // namespace Dexal
