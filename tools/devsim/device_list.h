// The simulated devices: their settings, the device list file format and the generated fleet.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "discovery/wire_format.h"

namespace devsim {

// One device as it answers a search. Texts are raw 8-bit bytes; a text as long as its field fills it
// with no NUL byte after it.
struct SimDevice {
  std::string model;       // at most 10 bytes
  std::string name;        // at most 64 bytes
  std::uint32_t ip = 0;    // first octet in bits 31..24
  std::string ipText;      // when not empty, the replies' IP address text in place of ip (at most 30 bytes)
  std::uint32_t mask = 0;
  std::uint32_t gateway = 0;  // 0 until a set-network command gives one
  quelvar::MacAddress mac{};
  std::int32_t httpPort = 80;
  std::int32_t rtspPort = 554;
  std::uint8_t channels = 1;
  std::uint8_t dvsValue = 0;
  bool dhcp = false;
  std::vector<std::string> interfaces;  // simulator interfaces it answers on; empty means all of them

  bool AnswersOn(std::string_view interfaceName) const;
};

struct ParseError {
  std::size_t line = 0;  // 1-based
  std::string message;
};

struct DeviceList {
  std::vector<SimDevice> devices;
  std::vector<ParseError> errors;  // a line with an error adds no device
};

// The device list format: one device per line, blank lines ignored, `#` at the start of a token begins
// a comment that runs to the end of the line. A device is a series of key=value tokens separated by
// blanks, keys in any order, each at most once:
//
//   model=IPCAMERA ip=192.168.1.64 mac=00:1A:2B:3C:4D:5E name="Front door" mask=255.255.255.0
//   http=80 rtsp=554 channels=1 dvs=0 if=dev0,dev1
//
//   model     required; at most 10 bytes (exactly 10 leaves no NUL in the field)
//   ip, mac   required; dotted decimal and six hexadecimal pairs separated by colons
//   iptext    default none; any text of at most 30 bytes that the replies carry as the IP address
//             instead of ip (a hostile or broken device); ip still names the device for commands
//   name      default empty; at most 64 bytes
//   mask      default 255.255.255.0
//   http      default 80;  any integer from -2147483648 to 4294967295 (above 2147483647 wraps negative)
//   rtsp      default 554; as http
//   channels  default 1;   0 to 255
//   dvs       default 0;   0 to 255
//   if        default all interfaces; interface names separated by commas
//
// A value is either bare (no blanks or double quotes) or double-quoted; inside quotes \" \\ and \xHH
// (two hexadecimal digits, any byte, NUL included) are escapes.
DeviceList ParseDeviceList(std::string_view text);

inline constexpr std::uint64_t kDefaultSeed = 6789;
inline constexpr std::size_t kMaxFleet = 254 * 256;

// `count` devices of mixed kinds with unique MACs and addresses 10.B.x.y/16 (B and the MACs' third
// byte come from the seed; host parts avoid .0 and .255). The same count and seed give the same fleet.
std::vector<SimDevice> GenerateFleet(std::size_t count, std::uint64_t seed);

// Exactly four decimal parts 0..255 without leading zeros or signs, joined by full stops.
std::optional<std::uint32_t> ParseDottedQuad(std::string_view text);
std::optional<quelvar::MacAddress> ParseMacText(std::string_view text);
std::string FormatMac(const quelvar::MacAddress& mac);  // upper-case pairs and colons
std::string DottedText(std::uint32_t address);

}  // namespace devsim
