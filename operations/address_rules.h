// The checks Modify IP makes on the address fields, and the gateway a row click suggests.
#pragma once

#include <cstdint>
#include <string_view>

#include "discovery/wire_format.h"

namespace quelvar {

// Address values here have the first octet in bits 31..24 and the last in bits 7..0.

// A last octet of 0 or 255 names a network or its broadcast address, never a device.
constexpr bool HasInvalidLastOctet(std::uint32_t address) {
  const std::uint32_t last = address & 0xFFu;
  return last == 0 || last == 0xFFu;
}

// The segment is always the first three octets; the subnet mask takes no part.
constexpr bool InSameSegment(std::uint32_t first, std::uint32_t second) {
  return (first & 0xFFFFFF00u) == (second & 0xFFFFFF00u);
}

// The address's segment with host part 1: the gateway most sites use.
constexpr std::uint32_t SegmentGateway(std::uint32_t address) { return (address & 0xFFFFFF00u) | 1u; }

// The gateway a row click fills in: the first three parts of the row's address text read as
// IpTextToDword reads them, and 1 as the last octet, whatever the device's real gateway is.
std::uint32_t GatewayFromIpText(std::u16string_view ipText);

#ifdef _WIN32
inline std::uint32_t GatewayFromIpText(std::wstring_view ipText) {
  return GatewayFromIpText(std::u16string_view(reinterpret_cast<const char16_t*>(ipText.data()), ipText.size()));
}
#endif

// What Modify IP does with the fields it has read.
enum class ModifyStep {
  RejectAddress,     // "Invalid IP address"; nothing is sent
  SendWithGateway,   // the gateway was empty: send with `gateway` filled in, without asking
  AskAboutSegment,   // the gateway lies outside the new address's segment: send only if the user agrees
  Send,
};

struct ModifyCheck {
  ModifyStep step;
  std::uint32_t gateway;  // the gateway to send (and to show, for SendWithGateway)
};

ModifyCheck CheckModifyFields(std::uint32_t newIp, std::uint32_t gateway);

// The dialog's values at the moment Modify IP sends.
struct AddressFieldValues {
  std::uint32_t oldIp = 0;
  std::uint32_t newIp = 0;
  std::uint32_t mask = 0;
  std::uint32_t gateway = 0;
  std::string_view macText;            // the clicked row's MAC cell, as 8-bit text
  bool useDhcp = false;
  bool addressFieldsEnabled = true;    // the New IP field is disabled while the DHCP box is ticked
};

// The set-network command's contents: the device named by its current address, and the new address,
// mask, gateway and MAC only while the address fields are enabled.
SetNetworkRequest MakeSetNetworkRequest(const AddressFieldValues& values);

}  // namespace quelvar
