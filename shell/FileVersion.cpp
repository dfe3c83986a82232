#include "shell/FileVersion.h"

#include <windows.h>

#include <vector>

namespace Dexal {

FileVersion FileVersionFromPath(const std::wstring& path) {
  FileVersion version;
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  if (size == 0) return version;
  std::vector<unsigned char> block(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return version;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length) ||
      info == nullptr || length < sizeof(VS_FIXEDFILEINFO)) {
    return version;
  }
  version.ms = info->dwFileVersionMS;
  version.ls = info->dwFileVersionLS;
  return version;
}

}  // namespace Dexal
