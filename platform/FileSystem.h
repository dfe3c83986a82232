#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace Dexal {

// The file that writing to `path` reaches: absolute, with the links along the way followed as
// far as the path exists.
std::filesystem::path ResolvedPath(const std::filesystem::path& path);

// Where writing a file named `path` lands: through a link to a file, the file it points to (so
// that replacing the file keeps the link); and whether it is a stream, an existing device or
// pipe (/dev/stdout), that can only be written into, not replaced.
struct WriteTarget {
  std::filesystem::path path;
  bool stream = false;
};
WriteTarget WriteTargetOf(const std::filesystem::path& path);

// Whether two resolved paths are one name on this system (Windows ignores case).
bool SamePathText(const std::filesystem::path& a, const std::filesystem::path& b);

// Whether two paths name one file: the same resolved path (regardless of case where the system
// ignores it), or one existing file under two names (a hard link).
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// The operations below give false and the system's error code (for OsErrorReason) when they
// cannot do their work.

// Makes `path` a new file holding `bytes`, on the disk when this returns; a file of that name
// must not exist yet.
bool WriteNewFile(const std::filesystem::path& path, std::string_view bytes,
                  std::uint32_t& osError);

// Appends the next bytes of a file being made to `out`; false when there are no more (nothing
// appended). So a long file is written as it is made, not held whole.
using NextBytes = std::function<bool(std::string& out)>;

// The same with the bytes as `next` gives them. What `next` throws leaves the file unfinished.
bool WriteNewFile(const std::filesystem::path& path, const NextBytes& next, std::uint32_t& osError);

// Puts what was written to the file `path` on the disk, before a rename gives it a name that
// must never stand for an empty file after a crash.
bool FlushToDisk(const std::filesystem::path& path, std::uint32_t& osError);

// Gives the file `from` the name `to` in one rename, replacing a file `to`.
bool MoveFileOnto(const std::filesystem::path& from, const std::filesystem::path& to,
                  std::uint32_t& osError);

// Makes the folder `path`, not its parents.
bool MakeFolder(const std::filesystem::path& path, std::uint32_t& osError);

// Makes `path` an empty file that only this user may read; fails when it exists.
bool MakePrivateFile(const std::filesystem::path& path, std::uint32_t& osError);

}  // namespace Dexal
