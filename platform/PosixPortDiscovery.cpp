#include <libserialport.h>

#include <fstream>

#include "platform/PortDiscovery.h"
#include "platform/WideText.h"

namespace Dexal {

std::vector<DexalPortInfo> ListSerialPorts() {
  std::vector<DexalPortInfo> ports;
  sp_port** list = nullptr;
  if (sp_list_ports(&list) != SP_OK) return ports;
  for (sp_port** it = list; *it != nullptr; ++it) {
    DexalPortInfo port;
    port.portName = WideTextFromUtf8(sp_get_port_name(*it));
    if (const char* description = sp_get_port_description(*it)) {
      port.friendlyName = WideTextFromUtf8(description);
    }
    int vid = 0;
    int pid = 0;
    if (sp_get_port_transport(*it) == SP_TRANSPORT_USB &&
        sp_get_port_usb_vid_pid(*it, &vid, &pid) == SP_OK) {
      port.usbVendor = static_cast<unsigned>(vid);
      port.usbProduct = static_cast<unsigned>(pid);
    }
    ports.push_back(std::move(port));
  }
  sp_free_port_list(list);
  return ports;
}

std::optional<unsigned> AdapterLatencyTimer(const std::wstring& portName,
                                            const std::filesystem::path& sysfs) {
  const std::filesystem::path device = PathFromUtf8(Utf8FromWideText(portName)).filename();
  std::ifstream file(sysfs / "bus/usb-serial/devices" / device / "latency_timer");
  unsigned ms = 0;
  if (!(file >> ms)) return std::nullopt;
  return ms;
}

std::optional<unsigned> AdapterLatencyTimer(const std::wstring& portName) {
  return AdapterLatencyTimer(portName, "/sys");
}

}  // namespace Dexal
