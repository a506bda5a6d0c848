// Sockets, interface look-ups and rtnetlink address requests for the simulator; Linux only.
#include "tools/devsim/linux_net.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <ifaddrs.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

namespace devsim {
namespace {

// Thousands of 280-byte replies leave in one burst; each takes far more than 280 bytes of buffer.
constexpr int kSocketBufferBytes = 16 * 1024 * 1024;

void SetBufferSize(int fd, int forceOption, int option) {
  // The forced variant ignores the system's ceiling but needs CAP_NET_ADMIN; the plain one is the fallback.
  if (::setsockopt(fd, SOL_SOCKET, forceOption, &kSocketBufferBytes, sizeof kSocketBufferBytes) != 0) {
    ::setsockopt(fd, SOL_SOCKET, option, &kSocketBufferBytes, sizeof kSocketBufferBytes);
  }
}

sockaddr_in BroadcastAddress(std::uint16_t port) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = htonl(INADDR_BROADCAST);
  to.sin_port = htons(port);
  return to;
}

}  // namespace

UniqueFd::~UniqueFd() {
  if (fd_ >= 0) ::close(fd_);
}

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

std::vector<std::string> UpIpv4Interfaces() {
  std::vector<std::string> names;
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return names;
  for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
    if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
    if ((entry->ifa_flags & IFF_UP) == 0 || (entry->ifa_flags & IFF_LOOPBACK) != 0) continue;
    if (std::find(names.begin(), names.end(), entry->ifa_name) == names.end()) names.emplace_back(entry->ifa_name);
  }
  ::freeifaddrs(list);
  return names;
}

std::optional<std::uint32_t> InterfaceAddress(const std::string& name) {
  std::optional<std::uint32_t> address;
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return address;
  for (const ifaddrs* entry = list; entry != nullptr && !address; entry = entry->ifa_next) {
    if (entry->ifa_addr != nullptr && entry->ifa_addr->sa_family == AF_INET && name == entry->ifa_name) {
      address = ntohl(reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr.s_addr);
    }
  }
  ::freeifaddrs(list);
  return address;
}

UniqueFd OpenInterfaceSocket(const std::string& interfaceName, std::uint16_t port, std::string& error) {
  UniqueFd fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
  const auto fail = [&](const char* what) {
    error = std::string(what) + " on " + interfaceName + ": " + std::strerror(errno);
    return UniqueFd();
  };
  if (!fd) return fail("socket");
  const int on = 1;
  if (::setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0) return fail("SO_REUSEADDR");
  if (::setsockopt(fd.get(), SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) return fail("SO_BROADCAST");
  if (::setsockopt(fd.get(), SOL_SOCKET, SO_BINDTODEVICE, interfaceName.c_str(),
                   static_cast<socklen_t>(interfaceName.size())) != 0) {
    return fail("SO_BINDTODEVICE");
  }
  SetBufferSize(fd.get(), SO_SNDBUFFORCE, SO_SNDBUF);
  SetBufferSize(fd.get(), SO_RCVBUFFORCE, SO_RCVBUF);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(INADDR_ANY);
  local.sin_port = htons(port);
  if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) return fail("bind");
  return fd;
}

std::uint16_t LocalPort(int fd) {
  sockaddr_in local{};
  socklen_t length = sizeof local;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0) return 0;
  return ntohs(local.sin_port);
}

int SendBroadcast(int fd, std::span<const std::uint8_t> datagram, std::uint16_t port) {
  const sockaddr_in to = BroadcastAddress(port);
  if (::sendto(fd, datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) < 0) {
    return errno;
  }
  return 0;
}

std::size_t SendBroadcastBatch(int fd, std::span<const std::span<const std::uint8_t>> datagrams, std::uint16_t port,
                               int& firstError) {
  constexpr std::size_t kBatch = 256;
  sockaddr_in to = BroadcastAddress(port);
  std::vector<iovec> pieces(std::min(kBatch, datagrams.size()));
  std::vector<mmsghdr> messages(pieces.size());
  std::size_t sent = 0;
  firstError = 0;
  while (sent < datagrams.size()) {
    const std::size_t batch = std::min(kBatch, datagrams.size() - sent);
    for (std::size_t i = 0; i < batch; ++i) {
      const auto datagram = datagrams[sent + i];
      pieces[i] = iovec{const_cast<std::uint8_t*>(datagram.data()), datagram.size()};
      messages[i] = mmsghdr{};
      messages[i].msg_hdr.msg_name = &to;
      messages[i].msg_hdr.msg_namelen = sizeof to;
      messages[i].msg_hdr.msg_iov = &pieces[i];
      messages[i].msg_hdr.msg_iovlen = 1;
    }
    const int done = ::sendmmsg(fd, messages.data(), static_cast<unsigned>(batch), 0);
    if (done <= 0) {
      if (done < 0 && errno == EINTR) continue;
      firstError = done < 0 ? errno : EIO;
      break;
    }
    sent += static_cast<std::size_t>(done);
  }
  return sent;
}

AddressManager::AddressManager() : netlink_(::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE)) {}

AddressManager::~AddressManager() {
  for (const auto& [key, holding] : holdings_) {
    if (holding.added) Request(RTM_DELADDR, static_cast<int>(::if_nametoindex(key.first.c_str())), key.second);
  }
}

int AddressManager::Hold(const std::string& interfaceName, std::uint32_t address) {
  Holding& holding = holdings_[{interfaceName, address}];
  if (holding.holders++ > 0) return 0;
  const int index = static_cast<int>(::if_nametoindex(interfaceName.c_str()));
  if (index == 0) return errno;
  const int error = Request(RTM_NEWADDR, index, address);
  holding.added = error == 0;
  return error == EEXIST ? 0 : error;
}

int AddressManager::Release(const std::string& interfaceName, std::uint32_t address) {
  const auto found = holdings_.find({interfaceName, address});
  if (found == holdings_.end() || --found->second.holders > 0) return 0;
  const bool added = found->second.added;
  holdings_.erase(found);
  if (!added) return 0;
  return Request(RTM_DELADDR, static_cast<int>(::if_nametoindex(interfaceName.c_str())), address);
}

int AddressManager::Request(int type, int index, std::uint32_t address) {
  if (!netlink_) return EBADF;
  struct {
    nlmsghdr header;
    ifaddrmsg body;
    char attributes[2 * RTA_SPACE(sizeof(std::uint32_t))];
  } request{};
  request.header.nlmsg_len = NLMSG_LENGTH(sizeof(ifaddrmsg));
  request.header.nlmsg_type = static_cast<std::uint16_t>(type);
  request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_ACK | (type == RTM_NEWADDR ? NLM_F_CREATE | NLM_F_EXCL : 0);
  request.header.nlmsg_seq = ++sequence_;
  request.body.ifa_family = AF_INET;
  request.body.ifa_prefixlen = 32;
  request.body.ifa_scope = RT_SCOPE_UNIVERSE;
  request.body.ifa_index = static_cast<unsigned>(index);
  const std::uint32_t networkOrder = htonl(address);
  for (const unsigned short kind : {IFA_LOCAL, IFA_ADDRESS}) {
    auto* attribute = reinterpret_cast<rtattr*>(reinterpret_cast<char*>(&request) + NLMSG_ALIGN(request.header.nlmsg_len));
    attribute->rta_type = kind;
    attribute->rta_len = RTA_LENGTH(sizeof networkOrder);
    std::memcpy(RTA_DATA(attribute), &networkOrder, sizeof networkOrder);
    request.header.nlmsg_len = NLMSG_ALIGN(request.header.nlmsg_len) + RTA_SPACE(sizeof networkOrder);
  }
  sockaddr_nl kernel{};
  kernel.nl_family = AF_NETLINK;
  if (::sendto(netlink_.get(), &request, request.header.nlmsg_len, 0, reinterpret_cast<sockaddr*>(&kernel),
               sizeof kernel) < 0) {
    return errno;
  }
  alignas(nlmsghdr) char answer[4096];
  while (true) {
    const ssize_t length = ::recv(netlink_.get(), answer, sizeof answer, 0);
    if (length < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    auto remaining = static_cast<unsigned>(length);
    for (auto* message = reinterpret_cast<nlmsghdr*>(answer); NLMSG_OK(message, remaining);
         message = NLMSG_NEXT(message, remaining)) {
      if (message->nlmsg_seq != sequence_ || message->nlmsg_type != NLMSG_ERROR) continue;
      return -static_cast<const nlmsgerr*>(NLMSG_DATA(message))->error;
    }
  }
}

}  // namespace devsim
