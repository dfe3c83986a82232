#include <libserialport.h>

#include "cli/PortListing.h"

namespace Dexal {

std::vector<ConsolePort> ListConsolePorts() {
  std::vector<ConsolePort> ports;
  sp_port** list = nullptr;
  if (sp_list_ports(&list) != SP_OK) return ports;
  for (sp_port** it = list; *it != nullptr; ++it) {
    ConsolePort port;
    port.name = sp_get_port_name(*it);
    if (const char* description = sp_get_port_description(*it)) port.description = description;
    int vid = 0;
    int pid = 0;
    if (sp_get_port_transport(*it) == SP_TRANSPORT_USB &&
        sp_get_port_usb_vid_pid(*it, &vid, &pid) == SP_OK) {
      port.usbVendor = vid;
      port.usbProduct = pid;
    }
    ports.push_back(std::move(port));
  }
  sp_free_port_list(list);
  return ports;
}

}  // namespace Dexal
