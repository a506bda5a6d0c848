// Byte layouts of the discovery datagrams: builders that fill a caller's buffer and pure parsers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace quelvar {

inline constexpr std::uint16_t kDiscoveryPort = 6789;
inline constexpr std::size_t kHeaderSize = 13;
inline constexpr std::size_t kProbeSize = 263;
inline constexpr std::size_t kCommandSize = 263;
inline constexpr std::size_t kReplyRecordSize = 280;
// The receiving side zeroes this byte before it reads a record, so no text scan runs past byte 174.
inline constexpr std::size_t kTextScanLimit = 175;

enum class CommandCode : std::uint8_t { DeviceReply = 1, SearchProbe = 2, SetNetworkCommand = 3 };

// Device kinds as the model text names them; there is no kind 2.
enum class DeviceType : std::uint8_t { Unknown = 0, DVS = 1, IPCamera = 3, Decoder = 4, NVR = 5 };

using ReplyRecord = std::array<std::uint8_t, kReplyRecordSize>;
using MacAddress = std::array<std::uint8_t, 6>;

// Field offsets shared by the builders, the parsers and the device simulator.
namespace offsets {
inline constexpr std::size_t kCommandCode = 12;
inline constexpr std::size_t kProbeAddress = 13;
inline constexpr std::size_t kAddressFieldSize = 48;

inline constexpr std::size_t kModel = 13;
inline constexpr std::size_t kModelSize = 10;
inline constexpr std::size_t kMac = 23;
inline constexpr std::size_t kMask = 30;
inline constexpr std::size_t kIp = 60;
inline constexpr std::size_t kIpSize = 30;
inline constexpr std::size_t kName = 90;
inline constexpr std::size_t kNameSize = 64;
inline constexpr std::size_t kHttpPort = 156;
inline constexpr std::size_t kRtspPort = 160;
inline constexpr std::size_t kChannels = 164;
inline constexpr std::size_t kDvsValue = 166;

inline constexpr std::size_t kCurrentIp = 13;
inline constexpr std::size_t kNewIp = 61;
inline constexpr std::size_t kNewMask = 109;
inline constexpr std::size_t kNewGateway = 157;
inline constexpr std::size_t kDhcpFlag = 253;
inline constexpr std::size_t kCommandMac = 256;
}  // namespace offsets

// Dotted decimal text of an address whose first octet is in bits 31..24; "255.255.255.255" needs 16 bytes.
using DottedText = std::array<char, 16>;
DottedText FormatDottedQuad(std::uint32_t address);

// Writes "search....." NUL and the command code into the first 13 bytes.
void WriteDiscoveryHeader(std::span<std::uint8_t, kHeaderSize> out, CommandCode code);

// The 263-byte probe that one interface socket sends, carrying that interface's address.
void BuildSearchProbe(std::uint32_t interfaceAddress, std::span<std::uint8_t, kProbeSize> out);

// Replaces the interface address of a probe already built, leaving the rest as it was.
void WriteProbeAddress(std::uint32_t interfaceAddress, std::span<std::uint8_t, kProbeSize> probe);

struct SetNetworkRequest {
  std::uint32_t currentIp = 0;
  std::uint32_t newIp = 0;
  std::uint32_t newMask = 0;
  std::uint32_t newGateway = 0;
  MacAddress mac{};
  bool useDhcp = false;
  // False while the DHCP box is ticked: the device is then named by its current address alone.
  bool includeAddressFields = true;
};

void BuildSetNetworkCommand(const SetNetworkRequest& request, std::span<std::uint8_t, kCommandSize> out);

// Whether a received datagram is a device's reply: more than 0 bytes, the exact head, command code 1.
// Bytes beyond size count as zero, so a cut datagram is judged by what it holds.
bool IsAcceptedReply(const std::uint8_t* data, std::size_t size);

// The kind named by the model text (from byte 13 to its NUL, at the latest byte 174), searched in the
// order DVS, IPCAMERA, DECODER, NVR.
DeviceType DetectDeviceType(const std::uint8_t* data, std::size_t size);

// The fields of an accepted reply, read with the receiving side's text limits.
struct DeviceReply {
  std::string model;       // at most 9 bytes
  MacAddress mac{};
  std::string subnetMask;  // from byte 30 to its NUL
  std::string ip;          // at most 29 bytes
  std::string deviceName;  // at most 63 bytes
  std::int32_t httpPort = 0;
  std::int32_t rtspPort = 0;
  std::uint8_t channels = 0;
  std::uint8_t dvsValue = 0;
  DeviceType type = DeviceType::Unknown;
};

DeviceReply ReadDeviceReply(const std::uint8_t* data, std::size_t size);

// RTSP port, kind and DVS value in one word, as the client application expects them.
std::uint32_t PackDeviceInfo(std::int32_t rtspPort, DeviceType type, std::uint8_t dvsValue);

}  // namespace quelvar
