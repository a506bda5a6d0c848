// Builders of the hostile datagrams, all derived from a real reply so only the named fault differs.
#include "tools/devsim/hostile.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "discovery/wire_format.h"
#include "tools/devsim/device_protocol.h"

namespace devsim {
namespace {

constexpr struct {
  HostileKind kind;
  std::string_view name;
} kNames[] = {{HostileKind::WrongHead, "wrong-head"}, {HostileKind::WrongCode, "wrong-code"},
              {HostileKind::Short, "short"},          {HostileKind::Oversized, "oversized"},
              {HostileKind::Unterminated, "unterminated"}, {HostileKind::Flood, "flood"}};

std::vector<std::uint8_t> ReplyOfFakeDevice(std::size_t index) {
  SimDevice device;
  device.model = "IPCAMERA";
  char name[40];
  std::snprintf(name, sizeof name, "hostile-%zu", index);
  device.name = name;
  device.ip = (10u << 24) | (254u << 16) | static_cast<std::uint32_t>((index / 254 % 256) << 8) |
              static_cast<std::uint32_t>(index % 254 + 1);
  device.mask = 0xFFFF0000u;
  device.mac = {0x02, 0xEE, 0x00, 0x00, static_cast<std::uint8_t>(index >> 8), static_cast<std::uint8_t>(index)};
  std::array<std::uint8_t, quelvar::kReplyRecordSize> reply;
  BuildDeviceReply(device, reply);
  return {reply.begin(), reply.end()};
}

// Fills a text field to its last byte, so it has no NUL.
void FillField(std::vector<std::uint8_t>& bytes, std::size_t offset, std::size_t size, std::string_view start) {
  for (std::size_t i = 0; i < size; ++i) {
    bytes[offset + i] = static_cast<std::uint8_t>(i < start.size() ? start[i] : 'A' + i % 26);
  }
}

}  // namespace

std::optional<HostileKind> ParseHostileKind(std::string_view name) {
  for (const auto& entry : kNames) {
    if (entry.name == name) return entry.kind;
  }
  return std::nullopt;
}

std::string_view HostileKindName(HostileKind kind) {
  for (const auto& entry : kNames) {
    if (entry.kind == kind) return entry.name;
  }
  return "?";
}

std::vector<std::uint8_t> BuildHostileDatagram(HostileKind kind, std::size_t index) {
  namespace off = quelvar::offsets;
  std::vector<std::uint8_t> bytes = ReplyOfFakeDevice(index);
  switch (kind) {
    case HostileKind::WrongHead:
      if (index % 2 == 0) {
        bytes[0] = 'S';
      } else {
        bytes[11] = '.';  // "search......" and the code straight after it
      }
      break;
    case HostileKind::WrongCode:
    case HostileKind::Flood: {
      static constexpr std::uint8_t kCodes[] = {2, 3, 0};
      bytes[off::kCommandCode] = kCodes[index % 3];
      break;
    }
    case HostileKind::Short: {
      static constexpr std::size_t kSizes[] = {5, 12, 13, 100};
      bytes.resize(kSizes[index % 4]);
      break;
    }
    case HostileKind::Oversized:
      bytes.resize(300);
      for (std::size_t i = quelvar::kReplyRecordSize; i < bytes.size(); ++i) bytes[i] = 0xA5;
      break;
    case HostileKind::Unterminated:
      FillField(bytes, off::kModel, off::kModelSize, "IPCAMERA");
      for (std::size_t i = off::kMac; i < off::kMac + 6; ++i) {
        if (bytes[i] == 0) bytes[i] = 0xEE;  // a zero MAC byte would end the model text's scan
      }
      bytes[off::kMask - 1] = '#';
      FillField(bytes, off::kMask, off::kIp - off::kMask, "255.255.0.0");
      FillField(bytes, off::kIp, off::kIpSize, "10.254.0.1");
      FillField(bytes, off::kName, off::kNameSize, "hostile-unterminated-");
      for (std::size_t i = off::kName + off::kNameSize; i < bytes.size(); ++i) {
        if (bytes[i] == 0) bytes[i] = static_cast<std::uint8_t>('a' + i % 26);
      }
      break;
  }
  return bytes;
}

std::optional<HostileRequest> ParseHostileOption(std::string_view option) {
  HostileRequest request;
  const std::size_t colon = option.find(':');
  const auto kind = ParseHostileKind(option.substr(0, colon));
  if (!kind) return std::nullopt;
  request.kind = *kind;
  if (colon == std::string_view::npos) return request;
  std::string_view rest = option.substr(colon + 1);
  const std::size_t second = rest.find(':');
  const auto parse = [](std::string_view text, auto& out) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
  };
  if (!parse(rest.substr(0, second), request.count)) return std::nullopt;
  if (second != std::string_view::npos && !parse(rest.substr(second + 1), request.ratePerSecond)) return std::nullopt;
  return request;
}

}  // namespace devsim
