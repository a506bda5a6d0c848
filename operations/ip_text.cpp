// Address text conversion for list cells, kept bug-compatible with how the cells have always been read.
#include "operations/ip_text.h"

#include <cstdint>
#include <limits>

namespace quelvar {
namespace {

constexpr std::ptrdiff_t kNotFound = -1;

bool IsWideSpace(char16_t c) {
  return c == u' ' || (c >= u'\t' && c <= u'\r') || c == 0x85 || c == 0xA0 || c == 0x3000 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029;
}

std::ptrdiff_t FindDot(std::u16string_view text, std::ptrdiff_t start) {
  if (start < 0) start = 0;
  if (static_cast<std::size_t>(start) >= text.size()) return kNotFound;
  const auto found = text.find(u'.', static_cast<std::size_t>(start));
  return found == std::u16string_view::npos ? kNotFound : static_cast<std::ptrdiff_t>(found);
}

// The text from `start` with `length` characters; nothing for a length of 0 or less.
std::u16string_view Slice(std::u16string_view text, std::ptrdiff_t start, std::ptrdiff_t length) {
  if (start < 0) start = 0;
  if (length <= 0 || static_cast<std::size_t>(start) >= text.size()) return {};
  return text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(length));
}

std::uint32_t Octet(std::u16string_view part) {
  return static_cast<std::uint32_t>(ParseDecimalLikeWcstol(part)) & 0xFFu;
}

}  // namespace

std::int32_t ParseDecimalLikeWcstol(std::u16string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsWideSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
  }
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
  std::int64_t magnitude = 0;
  bool overflow = false;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    if (!overflow) {
      magnitude = magnitude * 10 + (text[i] - u'0');
      if (magnitude > kMax + 1) overflow = true;
    }
  }
  if (negative) return overflow || -magnitude < kMin ? static_cast<std::int32_t>(kMin) : static_cast<std::int32_t>(-magnitude);
  return overflow || magnitude > kMax ? static_cast<std::int32_t>(kMax) : static_cast<std::int32_t>(magnitude);
}

std::uint32_t IpTextToDword(std::u16string_view text) {
  const std::ptrdiff_t d1 = FindDot(text, 0);
  const std::u16string_view part1 = Slice(text, 0, d1);
  const std::ptrdiff_t d2 = FindDot(text, d1 + 1);
  const std::u16string_view part2 = Slice(text, d1 + 1, d2 - (d1 + 1));
  const std::ptrdiff_t d3 = FindDot(text, d2 + 1);
  const std::u16string_view part3 = Slice(text, d2 + 1, d3 - (d2 + 1));
  const std::u16string_view part4 = d3 < 0 ? text : text.substr(static_cast<std::size_t>(d3 + 1));
  return (Octet(part1) << 24) | (Octet(part2) << 16) | (Octet(part3) << 8) | Octet(part4);
}

}  // namespace quelvar
