// Builders and parsers of the discovery datagrams; a datagram may be cut anywhere, so every read is bounded.
#include "discovery/wire_format.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace quelvar {
namespace {

constexpr char kHeadText[] = "search.....";  // 11 letters and the NUL at byte 11

std::uint8_t ByteAt(const std::uint8_t* data, std::size_t size, std::size_t offset) {
  return offset < size ? data[offset] : 0;
}

std::uint32_t ReadBigEndian32(const std::uint8_t* data, std::size_t size, std::size_t offset) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value = (value << 8) | ByteAt(data, size, offset + i);
  return value;
}

// Text from offset up to its NUL, to the end of the datagram, or to the first byte at or past `end`.
std::string ReadText(const std::uint8_t* data, std::size_t size, std::size_t offset, std::size_t end) {
  end = std::min({end, size, kTextScanLimit});
  std::string text;
  for (std::size_t i = offset; i < end && data[i] != 0; ++i) text.push_back(static_cast<char>(data[i]));
  return text;
}

void WriteText(std::uint8_t* out, std::size_t fieldSize, const char* text) {
  const std::size_t length = std::min(std::strlen(text), fieldSize - 1);
  std::memcpy(out, text, length);
}

}  // namespace

DottedText FormatDottedQuad(std::uint32_t address) {
  DottedText text{};
  std::snprintf(text.data(), text.size(), "%u.%u.%u.%u", (address >> 24) & 0xFFu, (address >> 16) & 0xFFu,
                (address >> 8) & 0xFFu, address & 0xFFu);
  return text;
}

void WriteDiscoveryHeader(std::span<std::uint8_t, kHeaderSize> out, CommandCode code) {
  std::memcpy(out.data(), kHeadText, sizeof kHeadText);
  out[offsets::kCommandCode] = static_cast<std::uint8_t>(code);
}

void BuildSearchProbe(std::uint32_t interfaceAddress, std::span<std::uint8_t, kProbeSize> out) {
  std::fill(out.begin(), out.end(), 0);
  WriteDiscoveryHeader(out.first<kHeaderSize>(), CommandCode::SearchProbe);
  WriteProbeAddress(interfaceAddress, out);
}

void WriteProbeAddress(std::uint32_t interfaceAddress, std::span<std::uint8_t, kProbeSize> probe) {
  std::uint8_t* field = probe.data() + offsets::kProbeAddress;
  std::memset(field, 0, offsets::kAddressFieldSize);
  WriteText(field, offsets::kAddressFieldSize, FormatDottedQuad(interfaceAddress).data());
}

void BuildSetNetworkCommand(const SetNetworkRequest& request, std::span<std::uint8_t, kCommandSize> out) {
  std::fill(out.begin(), out.end(), 0);
  WriteDiscoveryHeader(out.first<kHeaderSize>(), CommandCode::SetNetworkCommand);
  std::uint8_t* const base = out.data();
  const auto writeAddress = [base](std::size_t offset, std::uint32_t address) {
    WriteText(base + offset, offsets::kAddressFieldSize, FormatDottedQuad(address).data());
  };
  writeAddress(offsets::kCurrentIp, request.currentIp);
  out[offsets::kDhcpFlag] = request.useDhcp ? 1 : 0;
  if (request.includeAddressFields) {
    writeAddress(offsets::kNewIp, request.newIp);
    writeAddress(offsets::kNewMask, request.newMask);
    writeAddress(offsets::kNewGateway, request.newGateway);
    std::copy(request.mac.begin(), request.mac.end(), base + offsets::kCommandMac);
  }
}

bool IsAcceptedReply(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size == 0) return false;
  // The head is compared as a NUL-terminated string, so byte 11 must end it.
  for (std::size_t i = 0; i < sizeof kHeadText; ++i) {
    if (ByteAt(data, size, i) != static_cast<std::uint8_t>(kHeadText[i])) return false;
  }
  return ByteAt(data, size, offsets::kCommandCode) == static_cast<std::uint8_t>(CommandCode::DeviceReply);
}

DeviceType DetectDeviceType(const std::uint8_t* data, std::size_t size) {
  const std::string model = ReadText(data, size, offsets::kModel, kTextScanLimit);
  const std::string_view text(model);
  static constexpr struct {
    std::string_view needle;
    DeviceType type;
  } kOrder[] = {{"DVS", DeviceType::DVS},
                {"IPCAMERA", DeviceType::IPCamera},
                {"DECODER", DeviceType::Decoder},
                {"NVR", DeviceType::NVR}};
  for (const auto& entry : kOrder) {
    if (text.find(entry.needle) != std::string_view::npos) return entry.type;
  }
  return DeviceType::Unknown;
}

DeviceReply ReadDeviceReply(const std::uint8_t* data, std::size_t size) {
  DeviceReply reply;
  reply.type = DetectDeviceType(data, size);
  reply.model = ReadText(data, size, offsets::kModel, offsets::kModel + 9);
  for (std::size_t i = 0; i < reply.mac.size(); ++i) reply.mac[i] = ByteAt(data, size, offsets::kMac + i);
  reply.subnetMask = ReadText(data, size, offsets::kMask, kTextScanLimit);
  reply.ip = ReadText(data, size, offsets::kIp, offsets::kIp + offsets::kIpSize - 1);
  reply.deviceName = ReadText(data, size, offsets::kName, offsets::kName + offsets::kNameSize - 1);
  reply.httpPort = static_cast<std::int32_t>(ReadBigEndian32(data, size, offsets::kHttpPort));
  reply.rtspPort = static_cast<std::int32_t>(ReadBigEndian32(data, size, offsets::kRtspPort));
  reply.channels = ByteAt(data, size, offsets::kChannels);
  reply.dvsValue = ByteAt(data, size, offsets::kDvsValue);
  return reply;
}

std::uint32_t PackDeviceInfo(std::int32_t rtspPort, DeviceType type, std::uint8_t dvsValue) {
  const std::uint32_t dvs = type == DeviceType::DVS ? dvsValue : 0u;
  return (static_cast<std::uint32_t>(rtspPort) << 8) | (static_cast<std::uint32_t>(type) << 4) | dvs;
}

}  // namespace quelvar
