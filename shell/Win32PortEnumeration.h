#pragma once

#include <string>
#include <vector>

#include "shell/PortRules.h"

namespace Dexal {

// The real enumeration: SetupAPI's Ports class, the SERIALCOMM device map and CreateFileW.
class Win32PortEnumeration final : public PortEnumeration {
 public:
  std::vector<DexalPortInfo> ClassPorts() override;
  std::vector<std::wstring> SerialCommPorts() override;
  bool CanOpen(const std::wstring& devicePath) override;
};

// The ports of this computer that can be opened now.
std::vector<DexalPortInfo> ListSerialPorts();

}  // namespace Dexal
