// What a simulated device does with a datagram: answer a probe, take or refuse a set-network command.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "discovery/wire_format.h"
#include "tools/devsim/device_list.h"

namespace devsim {

// The 280-byte reply of one device; every byte the layout does not name is zero.
void BuildDeviceReply(const SimDevice& device, std::span<std::uint8_t, quelvar::kReplyRecordSize> out);

enum class DatagramKind { SearchProbe, SetNetworkCommand, Other };

struct Classified {
  DatagramKind kind = DatagramKind::Other;
  std::string reason;  // why an Other is of no interest to a device
};

// Judges the head "search....." NUL and the command code; bytes past `size` count as zero.
Classified ClassifyDatagram(const std::uint8_t* data, std::size_t size);

// The text of the 48-byte field at `offset`, up to its NUL or the field's end.
std::string ReadAddressField(const std::uint8_t* data, std::size_t size, std::size_t offset);

struct DecodedCommand {
  std::string currentIp;
  std::string newIp;
  std::string newMask;
  std::string newGateway;
  std::uint8_t dhcpFlag = 0;
  quelvar::MacAddress mac{};
};

DecodedCommand DecodeSetNetworkCommand(const std::uint8_t* data, std::size_t size);

struct AppliedChange {
  std::size_t device = 0;
  std::uint32_t oldIp = 0;
};

struct CommandOutcome {
  std::vector<AppliedChange> applied;  // empty when the command was ignored
  std::string reason;                  // why it was ignored
};

// Every device that hears the command on `interfaceName` acts on it on its own, as real devices do:
// with DHCP flag 0 a device whose address text equals the current IP and whose MAC equals the
// command's takes the new address, mask and gateway; with flag 1 a device whose address text equals
// the current IP turns DHCP on and keeps its address (there is no DHCP server to give another).
CommandOutcome ApplySetNetworkCommand(std::vector<SimDevice>& devices, const DecodedCommand& command,
                                      std::string_view interfaceName);

}  // namespace devsim
