// One ICMP echo through iphlpapi, blocking, with its handle and reply buffer owned by the call.
#include "operations/address_check_win.h"

#include <cstring>
#include <memory>
#include <new>

#include "framework/scoped_win.h"

namespace quelvar {
namespace {

using ScopedIcmpHandle = Scoped<HANDLE, ::IcmpCloseHandle>;

}  // namespace

bool IsEchoAnswer(DWORD replies, const ICMP_ECHO_REPLY& first) { return replies > 0 && first.Status == IP_SUCCESS; }

bool PingAddress(const char* addressText) {
  const hostent* host = ::gethostbyname(addressText);
  if (host == nullptr || host->h_addrtype != AF_INET || host->h_addr_list == nullptr || host->h_addr_list[0] == nullptr) {
    return false;
  }
  IPAddr destination = 0;
  std::memcpy(&destination, host->h_addr_list[0], sizeof destination);

  const HANDLE opened = ::IcmpCreateFile();
  if (opened == INVALID_HANDLE_VALUE) return false;
  const ScopedIcmpHandle icmp(opened);

  const std::unique_ptr<EchoReplyBuffer> buffer(new (std::nothrow) EchoReplyBuffer{});
  if (!buffer) return false;

  char payload[kEchoPayloadSize];
  std::memcpy(payload, kEchoPayload, kEchoPayloadSize);
  const DWORD replies = ::IcmpSendEcho2(icmp.get(), nullptr, nullptr, nullptr, destination, payload,
                                        static_cast<WORD>(kEchoPayloadSize), nullptr, buffer.get(),
                                        sizeof(EchoReplyBuffer), kEchoTimeoutMs);
  return IsEchoAnswer(replies, buffer->reply);
}

}  // namespace quelvar
