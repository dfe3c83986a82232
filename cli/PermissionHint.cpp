#include "cli/PermissionHint.h"

#ifndef _WIN32
#include <grp.h>
#include <sys/stat.h>
#endif

#include "link/DexalSerialLink.h"
#include "platform/OsError.h"

namespace Dexal {

std::string PermissionHint(const DexalSerialLink& link, const std::string& portPath) {
  if (link.ErrorKind() != LinkError::OpenFailed || !IsPermissionDenied(link.OsErrorCode())) {
    return {};
  }
#ifdef _WIN32
  (void)portPath;
  return "hint: the port is in use by another program, or this account may not open it.";
#else
  std::string groupName = "the group that owns the device";
  struct stat info {};
  if (::stat(portPath.c_str(), &info) == 0) {
    if (const group* owner = ::getgrgid(info.st_gid)) {
      groupName = std::string("'") + owner->gr_name + "'";
    }
  }
  return "hint: this account may not open " + portPath + "; the usual fix is membership of " +
         groupName + " (sudo usermod -aG <group> $USER, then log in again).";
#endif
}

}  // namespace Dexal
