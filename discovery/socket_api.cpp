// Winsock and BSD sockets behind one small interface; the only file of the core that includes either.
#include "discovery/socket_api.h"

#include <algorithm>
#include <cstring>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#else
#include <arpa/inet.h>
#include <cerrno>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace quelvar {
namespace {

constexpr std::uint32_t kLoopback = 0x7F000001u;

bool IsLoopback(std::uint32_t address) { return (address >> 24) == 127; }

// Loopback serves only when the machine has no other address, as a resolver of the host name would give.
std::vector<LocalAddress> PreferNonLoopback(std::vector<LocalAddress> all) {
  std::vector<LocalAddress> chosen;
  for (auto& local : all) {
    if (!IsLoopback(local.address) && local.address != 0) chosen.push_back(std::move(local));
  }
  if (chosen.empty()) chosen.push_back(LocalAddress{kLoopback, {}});
  return chosen;
}

}  // namespace

#ifdef _WIN32

std::vector<LocalAddress> EnumerateLocalAddresses() {
  std::vector<LocalAddress> all;
  ULONG size = 0;
  if (GetIpAddrTable(nullptr, &size, TRUE) != ERROR_INSUFFICIENT_BUFFER || size == 0) return PreferNonLoopback({});
  std::vector<std::uint8_t> storage(size);
  auto* table = reinterpret_cast<MIB_IPADDRTABLE*>(storage.data());
  if (GetIpAddrTable(table, &size, TRUE) != NO_ERROR) return PreferNonLoopback({});
  for (DWORD i = 0; i < table->dwNumEntries; ++i) {
    all.push_back(LocalAddress{ntohl(table->table[i].dwAddr), {}});
  }
  return PreferNonLoopback(std::move(all));
}

NativeSocket OpenInterfaceSocket(const LocalAddress& local) {
  const SOCKET s = ::socket(AF_INET, SOCK_DGRAM, 0);
  if (s == INVALID_SOCKET) return kInvalidSocket;
  const int on = 1;
  if (::setsockopt(s, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on), sizeof on) != 0) {
    ::closesocket(s);
    return kInvalidSocket;
  }
  const int bufferBytes = kReceiveBufferBytes;  // a refusal leaves the default, which still works
  ::setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&bufferBytes), sizeof bufferBytes);
  sockaddr_in bound{};
  bound.sin_family = AF_INET;
  bound.sin_addr.s_addr = htonl(local.address);
  bound.sin_port = 0;
  if (::bind(s, reinterpret_cast<const sockaddr*>(&bound), sizeof bound) != 0) {
    ::closesocket(s);
    return kInvalidSocket;
  }
  u_long nonBlocking = 1;  // the receive thread drains a ready socket until it would block
  if (::ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
    ::closesocket(s);
    return kInvalidSocket;
  }
  return static_cast<NativeSocket>(s);
}

void CloseSocket(NativeSocket socket) {
  if (socket != kInvalidSocket) ::closesocket(static_cast<SOCKET>(socket));
}

bool IsBoundSocket(NativeSocket socket) {
  sockaddr_in name{};
  int length = sizeof name;
  return ::getsockname(static_cast<SOCKET>(socket), reinterpret_cast<sockaddr*>(&name), &length) == 0;
}

std::uint16_t BoundPort(NativeSocket socket) {
  sockaddr_in name{};
  int length = sizeof name;
  if (::getsockname(static_cast<SOCKET>(socket), reinterpret_cast<sockaddr*>(&name), &length) != 0) return 0;
  return ntohs(name.sin_port);
}

bool SendBroadcast(NativeSocket socket, std::span<const std::uint8_t> datagram, std::uint16_t port) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = htonl(INADDR_BROADCAST);
  to.sin_port = htons(port);
  return ::sendto(static_cast<SOCKET>(socket), reinterpret_cast<const char*>(datagram.data()),
                  static_cast<int>(datagram.size()), 0, reinterpret_cast<const sockaddr*>(&to),
                  sizeof to) != SOCKET_ERROR;
}

ReceiveResult ReceiveDatagram(NativeSocket socket, std::span<std::uint8_t> buffer) {
  sockaddr_in from{};
  int fromLength = sizeof from;
  const int received = ::recvfrom(static_cast<SOCKET>(socket), reinterpret_cast<char*>(buffer.data()),
                                  static_cast<int>(buffer.size()), 0, reinterpret_cast<sockaddr*>(&from),
                                  &fromLength);
  if (received != SOCKET_ERROR) return {ReceiveStatus::Datagram, static_cast<std::size_t>(received)};
  return {ClassifyReceiveError(::WSAGetLastError()), 0};
}

ReceiveStatus ClassifyReceiveError(int platformError) {
  switch (platformError) {
    case WSAEMSGSIZE: return ReceiveStatus::Oversized;
    case WSAEWOULDBLOCK: return ReceiveStatus::Empty;
    // An ICMP error for an earlier send; it concerns no reply waiting on this socket.
    case WSAECONNRESET: return ReceiveStatus::Transient;
    default: return ReceiveStatus::Failed;
  }
}

int WaitReadable(std::span<const NativeSocket> sockets, long timeoutMicroseconds, std::vector<bool>& ready) {
  ready.assign(sockets.size(), false);
  fd_set set;
  FD_ZERO(&set);
  for (std::size_t i = 0; i < sockets.size() && i < kMaxWaitSockets; ++i) FD_SET(static_cast<SOCKET>(sockets[i]), &set);
  timeval timeout{0, timeoutMicroseconds};
  const int count = ::select(0, &set, nullptr, nullptr, &timeout);
  if (count <= 0) return 0;
  for (std::size_t i = 0; i < sockets.size(); ++i) ready[i] = FD_ISSET(static_cast<SOCKET>(sockets[i]), &set) != 0;
  return count;
}

SocketLibrary::SocketLibrary() {
  WSADATA data{};
  ok_ = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

SocketLibrary::~SocketLibrary() {
  if (ok_) ::WSACleanup();
}

#else  // POSIX

std::vector<LocalAddress> EnumerateLocalAddresses() {
  std::vector<LocalAddress> all;
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return PreferNonLoopback({});
  for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
    if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
    if ((entry->ifa_flags & IFF_UP) == 0) continue;
    const auto* in = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
    all.push_back(LocalAddress{ntohl(in->sin_addr.s_addr), entry->ifa_name});
  }
  ::freeifaddrs(list);
  return PreferNonLoopback(std::move(all));
}

NativeSocket OpenInterfaceSocket(const LocalAddress& local) {
  const int s = ::socket(AF_INET, SOCK_DGRAM, 0);
  if (s < 0) return kInvalidSocket;
  const int on = 1;
  if (::setsockopt(s, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
    ::close(s);
    return kInvalidSocket;
  }
  const int bufferBytes = kReceiveBufferBytes;
  // SO_RCVBUFFORCE passes the system's cap where we may; otherwise take what SO_RCVBUF grants.
  if (::setsockopt(s, SOL_SOCKET, SO_RCVBUFFORCE, &bufferBytes, sizeof bufferBytes) != 0) {
    ::setsockopt(s, SOL_SOCKET, SO_RCVBUF, &bufferBytes, sizeof bufferBytes);
  }
  // A socket bound to a unicast address never sees datagrams sent to 255.255.255.255 here, and replies
  // come as limited broadcasts. Bind to any address and tie the socket to the address's interface, so it
  // both sends out of that interface and hears the broadcasts that arrive on it.
  sockaddr_in bound{};
  bound.sin_family = AF_INET;
  bound.sin_port = 0;
  bound.sin_addr.s_addr = htonl(local.address);
  if (!local.deviceName.empty() &&
      ::setsockopt(s, SOL_SOCKET, SO_BINDTODEVICE, local.deviceName.c_str(),
                   static_cast<socklen_t>(local.deviceName.size() + 1)) == 0) {
    bound.sin_addr.s_addr = htonl(INADDR_ANY);
  }
  if (::bind(s, reinterpret_cast<const sockaddr*>(&bound), sizeof bound) != 0) {
    ::close(s);
    return kInvalidSocket;
  }
  return s;
}

void CloseSocket(NativeSocket socket) {
  if (socket != kInvalidSocket) ::close(socket);
}

bool IsBoundSocket(NativeSocket socket) {
  sockaddr_in name{};
  socklen_t length = sizeof name;
  return ::getsockname(socket, reinterpret_cast<sockaddr*>(&name), &length) == 0;
}

std::uint16_t BoundPort(NativeSocket socket) {
  sockaddr_in name{};
  socklen_t length = sizeof name;
  if (::getsockname(socket, reinterpret_cast<sockaddr*>(&name), &length) != 0) return 0;
  return ntohs(name.sin_port);
}

bool SendBroadcast(NativeSocket socket, std::span<const std::uint8_t> datagram, std::uint16_t port) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = htonl(INADDR_BROADCAST);
  to.sin_port = htons(port);
  return ::sendto(socket, datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr*>(&to),
                  sizeof to) >= 0;
}

ReceiveResult ReceiveDatagram(NativeSocket socket, std::span<std::uint8_t> buffer) {
  sockaddr_in from{};
  socklen_t fromLength = sizeof from;
  // MSG_TRUNC makes the call return the datagram's real length, which tells an oversized one apart.
  const ssize_t received = ::recvfrom(socket, buffer.data(), buffer.size(), MSG_TRUNC | MSG_DONTWAIT,
                                      reinterpret_cast<sockaddr*>(&from), &fromLength);
  if (received >= 0) {
    if (static_cast<std::size_t>(received) > buffer.size()) return {ReceiveStatus::Oversized, 0};
    return {ReceiveStatus::Datagram, static_cast<std::size_t>(received)};
  }
  return {ClassifyReceiveError(errno), 0};
}

ReceiveStatus ClassifyReceiveError(int platformError) {
  switch (platformError) {
    case EMSGSIZE: return ReceiveStatus::Oversized;
    case EAGAIN: return ReceiveStatus::Empty;
    case ECONNREFUSED:  // an ICMP error for an earlier send
    case EINTR: return ReceiveStatus::Transient;
    default: return ReceiveStatus::Failed;
  }
}

int WaitReadable(std::span<const NativeSocket> sockets, long timeoutMicroseconds, std::vector<bool>& ready) {
  ready.assign(sockets.size(), false);
  fd_set set;
  FD_ZERO(&set);
  int highest = -1;
  for (std::size_t i = 0; i < sockets.size() && i < kMaxWaitSockets; ++i) {
    if (sockets[i] < 0 || sockets[i] >= FD_SETSIZE) continue;
    FD_SET(sockets[i], &set);
    highest = std::max(highest, sockets[i]);
  }
  timeval timeout{0, timeoutMicroseconds};
  const int count = ::select(highest + 1, &set, nullptr, nullptr, &timeout);
  if (count <= 0) return 0;
  for (std::size_t i = 0; i < sockets.size(); ++i) {
    ready[i] = sockets[i] >= 0 && sockets[i] < FD_SETSIZE && FD_ISSET(sockets[i], &set);
  }
  return count;
}

SocketLibrary::SocketLibrary() : ok_(true) {}
SocketLibrary::~SocketLibrary() = default;

#endif

}  // namespace quelvar
