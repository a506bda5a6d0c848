// A queued device reply turned into the nine cell texts and the packed word of one device-list row.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "discovery/wire_format.h"

namespace quelvar {

inline constexpr int kDeviceColumns = 9;

struct DeviceRow {
  // Index, Model, Device Name, IP address, Subnet Mask, MAC, HTTP Port, RTSP Port, Channels.
  std::array<std::wstring, kDeviceColumns> cells;
  // RTSP port << 8 | kind << 4 | DVS value; handed to the client application, never decoded here.
  std::uint32_t packedInfo = 0;
};

// The six MAC bytes as "%02X:%02X:%02X:%02X:%02X:%02X": the key that tells devices apart.
std::wstring FormatMacText(const ReplyRecord& record);

// The row for a reply, numbered `index`, or nothing when the model text names no known kind. Zeroes
// bytes 22, 89 and 153 of the record first, which caps the model, address and name texts.
std::optional<DeviceRow> MakeDeviceRow(ReplyRecord& record, int index);

}  // namespace quelvar
