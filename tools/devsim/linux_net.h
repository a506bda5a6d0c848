// Linux plumbing of the simulator: owned descriptors, interface sockets, broadcasts, address management.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace devsim {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd();
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

// Names of the up, non-loopback interfaces that carry an IPv4 address, in the system's order.
std::vector<std::string> UpIpv4Interfaces();

// The first IPv4 address of an interface (first octet in bits 31..24).
std::optional<std::uint32_t> InterfaceAddress(const std::string& name);

// A UDP socket bound to INADDR_ANY:port and tied to one interface (SO_BINDTODEVICE), allowed to
// broadcast, with large buffers; port 0 lets the system choose. On failure `error` says why.
UniqueFd OpenInterfaceSocket(const std::string& interfaceName, std::uint16_t port, std::string& error);

std::uint16_t LocalPort(int fd);

// Limited broadcast (255.255.255.255) to `port`; the socket's interface decides where it leaves.
// Returns 0 or the errno of the failure.
int SendBroadcast(int fd, std::span<const std::uint8_t> datagram, std::uint16_t port);

// Many datagrams to the same port in as few system calls as the kernel allows; returns how many went.
std::size_t SendBroadcastBatch(int fd, std::span<const std::span<const std::uint8_t>> datagrams, std::uint16_t port,
                               int& firstError);

// Keeps /32 addresses on interfaces for the devices that hold them, through rtnetlink. An address is
// added when its first holder arrives and removed when its last holder leaves, and only if this object
// added it; whatever it added is removed when it is destroyed.
class AddressManager {
 public:
  AddressManager();
  ~AddressManager();
  AddressManager(const AddressManager&) = delete;
  AddressManager& operator=(const AddressManager&) = delete;

  bool ok() const { return static_cast<bool>(netlink_); }
  // Return 0 or an errno.
  int Hold(const std::string& interfaceName, std::uint32_t address);
  int Release(const std::string& interfaceName, std::uint32_t address);

 private:
  struct Holding {
    int holders = 0;
    bool added = false;  // false when the address was there before us
  };
  int Request(int type, int index, std::uint32_t address);

  UniqueFd netlink_;
  std::uint32_t sequence_ = 0;
  std::map<std::pair<std::string, std::uint32_t>, Holding> holdings_;
};

}  // namespace devsim
