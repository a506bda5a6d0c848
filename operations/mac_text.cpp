// MAC text parsing with the field rules of a scanf "%2x" conversion, without the C library's locale.
#include "operations/mac_text.h"

#include <cstdint>
#include <optional>

namespace quelvar {
namespace {

constexpr std::size_t kDigitsPerByte = 2;

bool IsScanfSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::optional<unsigned> HexDigit(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
  return std::nullopt;
}

// One "%2x" at `pos`: the width counts the sign too. Nothing when no digit is there.
std::optional<std::uint8_t> ReadHexField(std::string_view text, std::size_t& pos) {
  while (pos < text.size() && IsScanfSpace(text[pos])) ++pos;
  std::size_t width = kDigitsPerByte;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
    --width;
  }
  unsigned value = 0;
  std::size_t digits = 0;
  while (digits < width && pos < text.size()) {
    const std::optional<unsigned> digit = HexDigit(text[pos]);
    if (!digit) break;
    value = value * 16 + *digit;
    ++pos;
    ++digits;
  }
  if (digits == 0) return std::nullopt;
  // The number lands in an unsigned int and only its low byte is kept.
  return static_cast<std::uint8_t>(negative ? 0u - value : value);
}

}  // namespace

MacAddress ParseMacText(std::string_view text) {
  MacAddress mac{};
  std::size_t pos = 0;
  for (std::size_t i = 0; i < mac.size(); ++i) {
    if (i > 0) {
      if (pos >= text.size() || text[pos] != ':') break;
      ++pos;
    }
    const std::optional<std::uint8_t> byte = ReadHexField(text, pos);
    if (!byte) break;
    mac[i] = *byte;
  }
  return mac;
}

}  // namespace quelvar
