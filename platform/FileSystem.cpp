#include "platform/FileSystem.h"

#include <algorithm>
#include <system_error>

#include "platform/Desktop.h"

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

std::vector<std::filesystem::path> PathsFromOpenDialogText(std::wstring_view text) {
  std::vector<std::wstring_view> parts;
  for (std::size_t at = 0; at < text.size() && text[at] != L'\0';) {
    const std::size_t end = std::min(text.find(L'\0', at), text.size());
    parts.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  std::vector<std::filesystem::path> paths;
  if (parts.size() == 1) paths.emplace_back(parts.front());
  for (std::size_t i = 1; i < parts.size(); ++i) {
    paths.push_back(std::filesystem::path(parts.front()) / parts[i]);
  }
  return paths;
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code error;
  if (std::filesystem::equivalent(a, b, error) && !error) return true;
  return SamePathText(ResolvedPath(a), ResolvedPath(b));
}

// One piece: the bytes as they are.
bool WriteNewFile(const std::filesystem::path& path, std::string_view bytes,
                  std::uint32_t& osError) {
  bool given = false;
  return WriteNewFile(
      path,
      [&](std::string& out) {
        if (given) return false;
        out.append(bytes);
        given = true;
        return true;
      },
      osError);
}

}  // namespace Dexal
