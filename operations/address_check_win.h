// Whether an address answers one ICMP echo: the Ping command's test of the New IP address. Windows only.
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <icmpapi.h>

#include <cstddef>

namespace quelvar {

// "Data Buffer" and its NUL: the 12 bytes every echo request carries.
inline constexpr char kEchoPayload[] = "Data Buffer";
inline constexpr std::size_t kEchoPayloadSize = sizeof kEchoPayload;
inline constexpr DWORD kEchoTimeoutMs = 2000;

// Room for the reply record as this build's platform lays it out (40 bytes in a 64-bit process, 28 in
// a 32-bit one), the echoed payload, and 8 more bytes for an ICMP error message. A fixed 48 bytes
// fits only the 32-bit record, and a 64-bit echo call then fails on every try.
struct EchoReplyBuffer {
  ICMP_ECHO_REPLY reply;
  unsigned char rest[kEchoPayloadSize + 8];
};

// An echo call's result counts as an answer only when it stored a reply and that reply's status is
// IP_SUCCESS: an ICMP error from a router (host or net unreachable) is no sign of the address.
bool IsEchoAnswer(DWORD replies, const ICMP_ECHO_REPLY& first);

// Sends one echo request to the address text (resolved with gethostbyname, so Windows Sockets must be
// started) and waits up to kEchoTimeoutMs. True only for an answer as above; every failure is false.
bool PingAddress(const char* addressText);

}  // namespace quelvar
