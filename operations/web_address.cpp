// Checks of the address and port texts that a device's web address is built from.
#include "operations/web_address.h"

#include <cstdint>

namespace quelvar {
namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Digits only, between 1 and maxDigits of them; the value, which fits easily in 32 bits.
std::optional<std::uint32_t> DecimalValue(std::u16string_view text, std::size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits) return std::nullopt;
  std::uint32_t value = 0;
  for (const char16_t c : text) {
    if (!IsDigit(c)) return std::nullopt;
    value = value * 10 + static_cast<std::uint32_t>(c - u'0');
  }
  return value;
}

}  // namespace

bool IsPlainDottedQuad(std::u16string_view text) {
  for (int part = 0; part < 4; ++part) {
    const std::size_t dot = text.find(u'.');
    const bool last = part == 3;
    if (last != (dot == std::u16string_view::npos)) return false;
    const std::u16string_view number = last ? text : text.substr(0, dot);
    const std::optional<std::uint32_t> value = DecimalValue(number, 3);
    if (!value || *value > 255 || (number.size() > 1 && number[0] == u'0')) return false;
    if (!last) text.remove_prefix(dot + 1);
  }
  return true;
}

bool IsDecimalPort(std::u16string_view text) {
  const std::optional<std::uint32_t> value = DecimalValue(text, 5);
  return value && *value <= 65535;
}

std::optional<std::u16string> DeviceWebAddress(std::u16string_view ipText, std::u16string_view portText) {
  if (!IsPlainDottedQuad(ipText) || !IsDecimalPort(portText)) return std::nullopt;
  std::u16string address = u"http://";
  address.append(ipText);
  address += u':';
  address.append(portText);
  return address;
}

}  // namespace quelvar
