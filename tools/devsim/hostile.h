// Datagrams that no well-behaved device sends, for the robustness tests of the receiving side.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace devsim {

enum class HostileKind {
  WrongHead,     // "Search....." with a capital S, or six full stops
  WrongCode,     // a valid-looking reply with command code 2, 3 or 0
  Short,         // 5, 12, 13 (head only, no model) or 100 bytes (a reply cut after byte 99)
  Oversized,     // 300 bytes: a valid-looking reply and 20 more non-zero bytes
  Unterminated,  // 280 bytes, every byte non-zero but the head's NUL: no text field ends
  Flood,         // wrong-code datagrams, many of them, at a given rate
};

std::optional<HostileKind> ParseHostileKind(std::string_view name);
std::string_view HostileKindName(HostileKind kind);

// The index-th datagram of a kind; kinds with several variants cycle through them, and each datagram
// names a device of its own (MAC 02:EE:00:00:hi:lo of the index, zero bytes turned to EE in the
// unterminated kind) so the receiver can tell them apart.
std::vector<std::uint8_t> BuildHostileDatagram(HostileKind kind, std::size_t index);

struct HostileRequest {
  HostileKind kind = HostileKind::WrongHead;
  std::size_t count = 1;
  std::uint32_t ratePerSecond = 0;  // 0: all at once
};

// "KIND[:N[:RATE]]", as --hostile takes it.
std::optional<HostileRequest> ParseHostileOption(std::string_view option);

}  // namespace devsim
