#pragma once

#include <cstdint>
#include <string>

namespace Dexal {

struct FileVersion {
  std::uint32_t ms = 0;  // dwFileVersionMS
  std::uint32_t ls = 0;  // dwFileVersionLS
};

// The fixed file version of a program file; both words 0 when it has no readable version block.
FileVersion FileVersionFromPath(const std::wstring& path);

}  // namespace Dexal
