// Reply building and command handling of the simulated devices; pure functions over bytes and devices.
#include "tools/devsim/device_protocol.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace devsim {
namespace {

namespace off = quelvar::offsets;

std::uint8_t ByteAt(const std::uint8_t* data, std::size_t size, std::size_t offset) {
  return offset < size ? data[offset] : 0;
}

void WriteBigEndian32(std::uint8_t* out, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(bits >> (24 - 8 * i));
}

void WriteField(std::uint8_t* out, std::size_t fieldSize, std::string_view text) {
  std::memcpy(out, text.data(), std::min(text.size(), fieldSize));
}

}  // namespace

void BuildDeviceReply(const SimDevice& device, std::span<std::uint8_t, quelvar::kReplyRecordSize> out) {
  std::fill(out.begin(), out.end(), 0);
  quelvar::WriteDiscoveryHeader(out.first<quelvar::kHeaderSize>(), quelvar::CommandCode::DeviceReply);
  std::uint8_t* const base = out.data();
  WriteField(base + off::kModel, off::kModelSize, device.model);
  std::copy(device.mac.begin(), device.mac.end(), base + off::kMac);
  WriteField(base + off::kMask, off::kIp - off::kMask, DottedText(device.mask));
  WriteField(base + off::kIp, off::kIpSize, device.ipText.empty() ? DottedText(device.ip) : device.ipText);
  WriteField(base + off::kName, off::kNameSize, device.name);
  WriteBigEndian32(base + off::kHttpPort, device.httpPort);
  WriteBigEndian32(base + off::kRtspPort, device.rtspPort);
  out[off::kChannels] = device.channels;
  out[off::kDvsValue] = device.dvsValue;
}

Classified ClassifyDatagram(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return {DatagramKind::Other, "empty"};
  std::array<std::uint8_t, quelvar::kHeaderSize> head{};
  quelvar::WriteDiscoveryHeader(head, quelvar::CommandCode::SearchProbe);
  for (std::size_t i = 0; i < off::kCommandCode; ++i) {
    if (ByteAt(data, size, i) != head[i]) return {DatagramKind::Other, "wrong head"};
  }
  const std::uint8_t code = ByteAt(data, size, off::kCommandCode);
  switch (static_cast<quelvar::CommandCode>(code)) {
    case quelvar::CommandCode::SearchProbe: return {DatagramKind::SearchProbe, {}};
    case quelvar::CommandCode::SetNetworkCommand: return {DatagramKind::SetNetworkCommand, {}};
    default: return {DatagramKind::Other, "command code " + std::to_string(code)};
  }
}

std::string ReadAddressField(const std::uint8_t* data, std::size_t size, std::size_t offset) {
  std::string text;
  for (std::size_t i = offset; i < offset + off::kAddressFieldSize && i < size && data[i] != 0; ++i) {
    text.push_back(static_cast<char>(data[i]));
  }
  return text;
}

DecodedCommand DecodeSetNetworkCommand(const std::uint8_t* data, std::size_t size) {
  DecodedCommand command;
  command.currentIp = ReadAddressField(data, size, off::kCurrentIp);
  command.newIp = ReadAddressField(data, size, off::kNewIp);
  command.newMask = ReadAddressField(data, size, off::kNewMask);
  command.newGateway = ReadAddressField(data, size, off::kNewGateway);
  command.dhcpFlag = ByteAt(data, size, off::kDhcpFlag);
  for (std::size_t i = 0; i < command.mac.size(); ++i) command.mac[i] = ByteAt(data, size, off::kCommandMac + i);
  return command;
}

CommandOutcome ApplySetNetworkCommand(std::vector<SimDevice>& devices, const DecodedCommand& command,
                                      std::string_view interfaceName) {
  CommandOutcome outcome;
  if (command.dhcpFlag > 1) {
    outcome.reason = "dhcp flag " + std::to_string(command.dhcpFlag) + " is neither 0 nor 1";
    return outcome;
  }
  std::vector<std::size_t> addressed;
  for (std::size_t i = 0; i < devices.size(); ++i) {
    if (devices[i].AnswersOn(interfaceName) && DottedText(devices[i].ip) == command.currentIp) addressed.push_back(i);
  }
  if (addressed.empty()) {
    outcome.reason = "no device on " + std::string(interfaceName) + " has the address '" + command.currentIp + "'";
    return outcome;
  }

  if (command.dhcpFlag == 1) {
    for (const std::size_t i : addressed) {
      devices[i].dhcp = true;
      outcome.applied.push_back({i, devices[i].ip});
    }
    return outcome;
  }

  const auto newIp = ParseDottedQuad(command.newIp);
  const auto newMask = ParseDottedQuad(command.newMask);
  const auto newGateway = ParseDottedQuad(command.newGateway);
  if (!newIp) {
    outcome.reason = "new ip '" + command.newIp + "' is not a dotted decimal address";
  } else if (!newMask) {
    outcome.reason = "mask '" + command.newMask + "' is not a dotted decimal address";
  } else if (!newGateway) {
    outcome.reason = "gateway '" + command.newGateway + "' is not a dotted decimal address";
  }
  if (!outcome.reason.empty()) return outcome;

  for (const std::size_t i : addressed) {
    if (devices[i].mac != command.mac) continue;
    outcome.applied.push_back({i, devices[i].ip});
    devices[i].ip = *newIp;
    devices[i].mask = *newMask;
    devices[i].gateway = *newGateway;
    devices[i].dhcp = false;
  }
  if (outcome.applied.empty()) {
    outcome.reason = "the device at '" + command.currentIp + "' has another mac than " + FormatMac(command.mac);
  }
  return outcome;
}

}  // namespace devsim
