// Dotted address text of a list cell to the 32-bit value the address fields use (first octet in bits 31..24).
#pragma once

#include <cstdint>
#include <string_view>

namespace quelvar {

// Never fails: any text yields a value, by the rules the device list's address column has always used
// (a missing dot restarts the next search at the start of the text; each part is read like wcstol).
std::uint32_t IpTextToDword(std::u16string_view text);

#ifdef _WIN32
inline std::uint32_t IpTextToDword(std::wstring_view text) {
  return IpTextToDword(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}
#endif

// The value of one part as wcstol reads it in base 10, clamped to the signed 32-bit range.
std::int32_t ParseDecimalLikeWcstol(std::u16string_view text);

}  // namespace quelvar
