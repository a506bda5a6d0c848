// One UDP socket per local IPv4 address, kept up to date before every search and used for every send.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <span>
#include <vector>

#include "discovery/socket_api.h"
#include "discovery/wire_format.h"

namespace quelvar {

struct LocalInterface {
  NativeSocket socket = kInvalidSocket;  // kInvalidSocket marks an entry retired by a receive error
  std::uint32_t address = 0;             // host byte order, first octet most significant
  bool live() const { return socket != kInvalidSocket; }
};

class InterfaceSockets {
 public:
  using AddressSource = std::function<std::vector<LocalAddress>()>;

  // `port` is where probes and commands go; devices listen on the discovery port.
  explicit InterfaceSockets(AddressSource addressSource = EnumerateLocalAddresses,
                            std::uint16_t port = kDiscoveryPort);
  ~InterfaceSockets();
  InterfaceSockets(const InterfaceSockets&) = delete;
  InterfaceSockets& operator=(const InterfaceSockets&) = delete;

  // Opens a socket for every local address that has no live one yet; entries already there stay.
  void RefreshInterfaces();

  // Whether a live entry serves the address; drops retired entries on the way. Caller holds m_socketLock.
  bool HasInterface(std::uint32_t address);

  // Refreshes, then sends one search probe from every live socket, each carrying its own address.
  void BroadcastProbe();

  // Refreshes, then sends the same datagram from every live socket (the set-network command).
  void BroadcastOnEverySocket(std::span<const std::uint8_t> datagram);

  // Closes every socket; the entries stay, retired. Safe to call more than once.
  void CloseAll();

  // Retires an entry after a receive error. Caller holds m_socketLock.
  static void Retire(LocalInterface& entry);

  // Guards m_interfaces. Re-entrant: the thread that holds it may take it again.
  std::recursive_mutex m_socketLock;
  std::list<LocalInterface> m_interfaces;

 private:
  AddressSource addressSource_;
  std::uint16_t port_;
};

}  // namespace quelvar
