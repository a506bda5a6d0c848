// The one place that hides Winsock versus BSD sockets from the discovery code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quelvar {

#ifdef _WIN32
using NativeSocket = std::uintptr_t;  // SOCKET
#else
using NativeSocket = int;
#endif
inline constexpr NativeSocket kInvalidSocket = static_cast<NativeSocket>(-1);

// Room for thousands of replies that arrive together; the default buffer holds only a few hundred.
inline constexpr int kReceiveBufferBytes = 4 * 1024 * 1024;

// One IPv4 address of this machine (host byte order) and, where the platform needs it to receive
// broadcasts, the name of the interface that carries it.
struct LocalAddress {
  std::uint32_t address = 0;
  std::string deviceName;
};

// The machine's IPv4 addresses in a stable order; loopback only when there is nothing else.
std::vector<LocalAddress> EnumerateLocalAddresses();

// A broadcast-capable, non-blocking UDP socket on a system-chosen port that sends from and receives on
// this address, or kInvalidSocket.
NativeSocket OpenInterfaceSocket(const LocalAddress& local);

void CloseSocket(NativeSocket socket);

// Whether the socket is still a bound socket (getsockname succeeds).
bool IsBoundSocket(NativeSocket socket);

// The port the system chose for a bound socket, host order; 0 when unknown.
std::uint16_t BoundPort(NativeSocket socket);

// Sends to 255.255.255.255 on the discovery port. Returns false when the send failed.
bool SendBroadcast(NativeSocket socket, std::span<const std::uint8_t> datagram, std::uint16_t port);

enum class ReceiveStatus {
  Datagram,   // `length` bytes arrived and fit the buffer
  Oversized,  // the datagram did not fit and was dropped; the socket is fine
  Transient,  // an error that concerns no datagram (an ICMP report on a UDP socket); the socket is fine
  Empty,      // nothing is waiting: the socket does not block
  Failed,     // the socket is no longer usable
};

struct ReceiveResult {
  ReceiveStatus status = ReceiveStatus::Failed;
  std::size_t length = 0;
};

ReceiveResult ReceiveDatagram(NativeSocket socket, std::span<std::uint8_t> buffer);

// What a failed receive means for the socket, from the platform's error code (WSAGetLastError or errno).
ReceiveStatus ClassifyReceiveError(int platformError);

// Waits until one of the sockets is readable, at most timeoutMicroseconds. Returns how many are ready
// (0 on time-out or on any error, an empty set included) and marks them in `ready`.
int WaitReadable(std::span<const NativeSocket> sockets, long timeoutMicroseconds, std::vector<bool>& ready);

// The platform's largest wait set.
inline constexpr std::size_t kMaxWaitSockets = 64;

// Starts and ends the platform's socket library where it has one.
class SocketLibrary {
 public:
  SocketLibrary();
  ~SocketLibrary();
  SocketLibrary(const SocketLibrary&) = delete;
  SocketLibrary& operator=(const SocketLibrary&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_ = false;
};

}  // namespace quelvar
