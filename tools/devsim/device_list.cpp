// Parser of the device list file and the seeded generator of large fleets.
#include "tools/devsim/device_list.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <map>
#include <random>

namespace devsim {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Splits one line into key=value tokens; returns an error text or an empty string.
std::string Tokenize(std::string_view line, std::vector<std::pair<std::string, std::string>>& fields) {
  std::size_t i = 0;
  while (true) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i == line.size() || line[i] == '#') return {};
    const std::size_t keyStart = i;
    while (i < line.size() && line[i] != '=' && !IsBlank(line[i])) ++i;
    if (i == line.size() || line[i] != '=') {
      return "expected key=value at '" + std::string(line.substr(keyStart, i - keyStart)) + "'";
    }
    std::string key(line.substr(keyStart, i - keyStart));
    if (key.empty()) return "a value without a key";
    ++i;
    std::string value;
    if (i < line.size() && line[i] == '"') {
      ++i;
      bool closed = false;
      while (i < line.size()) {
        const char c = line[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c != '\\') {
          value.push_back(c);
          continue;
        }
        if (i == line.size()) break;
        const char escaped = line[i++];
        if (escaped == '"' || escaped == '\\') {
          value.push_back(escaped);
        } else if (escaped == 'x' && i + 1 < line.size() && HexDigit(line[i]) >= 0 && HexDigit(line[i + 1]) >= 0) {
          value.push_back(static_cast<char>(HexDigit(line[i]) * 16 + HexDigit(line[i + 1])));
          i += 2;
        } else {
          return "bad escape in the value of " + key;
        }
      }
      if (!closed) return "unterminated quote in the value of " + key;
      if (i < line.size() && !IsBlank(line[i])) return "text straight after the closing quote of " + key;
    } else {
      const std::size_t valueStart = i;
      while (i < line.size() && !IsBlank(line[i])) {
        if (line[i] == '"') return "a quote inside the bare value of " + key;
        ++i;
      }
      value = std::string(line.substr(valueStart, i - valueStart));
    }
    fields.emplace_back(std::move(key), std::move(value));
  }
}

template <typename T>
std::optional<T> ParseInteger(std::string_view text) {
  T value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

// A 32-bit port as the wire carries it: signed values as they are, larger unsigned ones wrap.
std::optional<std::int32_t> ParsePort(std::string_view text) {
  const auto value = ParseInteger<std::int64_t>(text);
  if (!value || *value < INT32_MIN || *value > static_cast<std::int64_t>(UINT32_MAX)) return std::nullopt;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(*value));
}

std::vector<std::string> SplitInterfaces(std::string_view text) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    names.emplace_back(text.substr(start, comma - start));
    start = comma + 1;
  }
  return names;
}

// Applies one key=value to a device; returns an error text or an empty string.
std::string ApplyField(SimDevice& device, const std::string& key, const std::string& value) {
  const auto byteRange = [&](std::uint8_t& out) -> std::string {
    const auto parsed = ParseInteger<unsigned>(value);
    if (!parsed || *parsed > 255) return key + " must be 0 to 255, not '" + value + "'";
    out = static_cast<std::uint8_t>(*parsed);
    return {};
  };
  if (key == "model") {
    if (value.size() > quelvar::offsets::kModelSize) return "model longer than 10 bytes";
    device.model = value;
  } else if (key == "name") {
    if (value.size() > quelvar::offsets::kNameSize) return "name longer than 64 bytes";
    device.name = value;
  } else if (key == "ip" || key == "mask") {
    const auto address = ParseDottedQuad(value);
    if (!address) return key + " is not a dotted decimal address: '" + value + "'";
    (key == "ip" ? device.ip : device.mask) = *address;
  } else if (key == "iptext") {
    if (value.size() > quelvar::offsets::kIpSize) return "iptext longer than 30 bytes";
    device.ipText = value;
  } else if (key == "mac") {
    const auto mac = ParseMacText(value);
    if (!mac) return "mac is not six hexadecimal pairs separated by colons: '" + value + "'";
    device.mac = *mac;
  } else if (key == "http" || key == "rtsp") {
    const auto port = ParsePort(value);
    if (!port) return key + " is not a 32-bit integer: '" + value + "'";
    (key == "http" ? device.httpPort : device.rtspPort) = *port;
  } else if (key == "channels") {
    return byteRange(device.channels);
  } else if (key == "dvs") {
    return byteRange(device.dvsValue);
  } else if (key == "if") {
    device.interfaces = SplitInterfaces(value);
    for (const auto& name : device.interfaces) {
      if (name.empty()) return "empty interface name in '" + value + "'";
    }
  } else {
    return "unknown key '" + key + "'";
  }
  return {};
}

}  // namespace

bool SimDevice::AnswersOn(std::string_view interfaceName) const {
  return interfaces.empty() || std::find(interfaces.begin(), interfaces.end(), interfaceName) != interfaces.end();
}

DeviceList ParseDeviceList(std::string_view text) {
  DeviceList list;
  std::size_t lineNumber = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    const std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;

    std::vector<std::pair<std::string, std::string>> fields;
    std::string error = Tokenize(line, fields);
    if (error.empty() && fields.empty()) continue;

    SimDevice device;
    device.mask = 0xFFFFFF00u;
    std::map<std::string, bool> seen;
    for (const auto& [key, value] : fields) {
      if (!error.empty()) break;
      if (seen[key]) {
        error = "key '" + key + "' given twice";
        break;
      }
      seen[key] = true;
      error = ApplyField(device, key, value);
    }
    for (const char* required : {"model", "ip", "mac"}) {
      if (error.empty() && !seen[required]) error = std::string("missing ") + required;
    }
    if (error.empty()) {
      list.devices.push_back(std::move(device));
    } else {
      list.errors.push_back(ParseError{lineNumber, std::move(error)});
    }
  }
  return list;
}

std::vector<SimDevice> GenerateFleet(std::size_t count, std::uint64_t seed) {
  // Raw engine output only: the standard distributions differ between libraries, the engine does not.
  std::mt19937_64 random(seed);
  const auto pick = [&random](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  const std::uint32_t subnet = 16 + static_cast<std::uint32_t>(pick(200));
  const std::uint8_t macTag = static_cast<std::uint8_t>(pick(256));

  static constexpr struct {
    const char* model;
    const char* namePrefix;
    std::uint8_t channelChoices[4];
  } kKinds[] = {{"IPCAMERA", "cam", {1, 1, 1, 2}},
                {"DECODER", "dec", {1, 4, 9, 16}},
                {"DVS", "dvs", {4, 8, 16, 4}},
                {"NVR", "nvr", {8, 16, 32, 64}}};

  std::vector<SimDevice> fleet;
  count = std::min(count, kMaxFleet);
  fleet.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const auto& kind = kKinds[pick(4)];
    SimDevice device;
    device.model = kind.model;
    char name[32];
    std::snprintf(name, sizeof name, "%s-%05zu", kind.namePrefix, i + 1);
    device.name = name;
    device.ip = (10u << 24) | (subnet << 16) | static_cast<std::uint32_t>((i / 254) << 8) |
                static_cast<std::uint32_t>(i % 254 + 1);
    device.mask = 0xFFFF0000u;
    device.mac = {0x02, 0x51, macTag, static_cast<std::uint8_t>(i >> 16), static_cast<std::uint8_t>(i >> 8),
                  static_cast<std::uint8_t>(i)};
    device.httpPort = pick(8) == 0 ? 8080 : 80;
    device.rtspPort = pick(8) == 0 ? 8554 : 554;
    device.channels = kind.channelChoices[pick(4)];
    device.dvsValue = device.model == "DVS" ? static_cast<std::uint8_t>(pick(256)) : 0;
    fleet.push_back(std::move(device));
  }
  return fleet;
}

std::optional<std::uint32_t> ParseDottedQuad(std::string_view text) {
  std::uint32_t address = 0;
  for (int part = 0; part < 4; ++part) {
    const std::size_t dot = part < 3 ? text.find('.') : text.size();
    if (dot == std::string_view::npos) return std::nullopt;
    const std::string_view digits = text.substr(0, dot);
    if (digits.empty() || digits.size() > 3 || (digits.size() > 1 && digits[0] == '0')) return std::nullopt;
    unsigned value = 0;
    for (const char c : digits) {
      if (c < '0' || c > '9') return std::nullopt;
      value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value > 255) return std::nullopt;
    address = (address << 8) | value;
    text.remove_prefix(part < 3 ? dot + 1 : dot);
  }
  return address;
}

std::optional<quelvar::MacAddress> ParseMacText(std::string_view text) {
  quelvar::MacAddress mac{};
  if (text.size() != 17) return std::nullopt;
  for (std::size_t i = 0; i < mac.size(); ++i) {
    const int high = HexDigit(text[i * 3]);
    const int low = HexDigit(text[i * 3 + 1]);
    if (high < 0 || low < 0 || (i < 5 && text[i * 3 + 2] != ':')) return std::nullopt;
    mac[i] = static_cast<std::uint8_t>(high * 16 + low);
  }
  return mac;
}

std::string FormatMac(const quelvar::MacAddress& mac) {
  char text[18];
  std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
  return text;
}

std::string DottedText(std::uint32_t address) { return quelvar::FormatDottedQuad(address).data(); }

}  // namespace devsim
