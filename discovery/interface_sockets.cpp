// The interface socket list: refresh, probe broadcast and the send-on-every-socket used by Modify IP.
#include "discovery/interface_sockets.h"

#include <array>

namespace quelvar {

InterfaceSockets::InterfaceSockets(AddressSource addressSource, std::uint16_t port)
    : addressSource_(std::move(addressSource)), port_(port) {}

InterfaceSockets::~InterfaceSockets() { CloseAll(); }

void InterfaceSockets::RefreshInterfaces() {
  std::lock_guard lock(m_socketLock);
  for (const LocalAddress& local : addressSource_()) {
    if (HasInterface(local.address)) continue;
    const NativeSocket socket = OpenInterfaceSocket(local);
    if (socket == kInvalidSocket) continue;  // tried again at the next refresh
    m_interfaces.push_back(LocalInterface{socket, local.address});
  }
}

bool InterfaceSockets::HasInterface(std::uint32_t address) {
  std::lock_guard lock(m_socketLock);
  for (auto it = m_interfaces.begin(); it != m_interfaces.end();) {
    if (!it->live()) {
      it = m_interfaces.erase(it);
      continue;
    }
    if (it->address == address && IsBoundSocket(it->socket)) return true;
    ++it;
  }
  return false;
}

void InterfaceSockets::BroadcastProbe() {
  RefreshInterfaces();
  std::array<std::uint8_t, kProbeSize> probe{};
  BuildSearchProbe(0, probe);
  std::lock_guard lock(m_socketLock);
  for (const LocalInterface& entry : m_interfaces) {
    if (!entry.live()) continue;
    WriteProbeAddress(entry.address, probe);
    SendBroadcast(entry.socket, probe, port_);  // a failed send is not an error worth showing
  }
}

void InterfaceSockets::BroadcastOnEverySocket(std::span<const std::uint8_t> datagram) {
  RefreshInterfaces();
  std::lock_guard lock(m_socketLock);
  for (const LocalInterface& entry : m_interfaces) {
    if (entry.live()) SendBroadcast(entry.socket, datagram, port_);
  }
}

void InterfaceSockets::CloseAll() {
  std::lock_guard lock(m_socketLock);
  for (LocalInterface& entry : m_interfaces) Retire(entry);
}

void InterfaceSockets::Retire(LocalInterface& entry) {
  CloseSocket(entry.socket);
  entry.socket = kInvalidSocket;
}

}  // namespace quelvar
