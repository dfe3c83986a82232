#pragma once

#include <string>

namespace Dexal {

class DexalSerialLink;

// When the port could not be opened for lack of permission, the usual fix; else empty.
std::string PermissionHint(const DexalSerialLink& link, const std::string& portPath);

}  // namespace Dexal
