#include "platform/FileSystem.h"

#include <system_error>

namespace Dexal {

std::filesystem::path ResolvedPath(const std::filesystem::path& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) return path.lexically_normal();
  std::filesystem::path resolved = std::filesystem::weakly_canonical(absolute, error);
  return error ? absolute.lexically_normal() : resolved;
}

WriteTarget WriteTargetOf(const std::filesystem::path& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  const bool regular = std::filesystem::is_regular_file(status);
  WriteTarget target;
  target.path = regular && std::filesystem::is_symlink(path, error) ? ResolvedPath(path) : path;
  target.stream =
      std::filesystem::exists(status) && !regular && !std::filesystem::is_directory(status);
  return target;
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code error;
  if (std::filesystem::equivalent(a, b, error) && !error) return true;
  return SamePathText(ResolvedPath(a), ResolvedPath(b));
}

}  // namespace Dexal
