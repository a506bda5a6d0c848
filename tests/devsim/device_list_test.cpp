// The simulator's device list: lines to devices, errors with their line numbers, the generated fleet.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tools/devsim/device_list.h"

namespace devsim {
namespace {

using quelvar::MacAddress;

struct GoodLine {
  const char* line;
  SimDevice expected;
};

SimDevice Device(std::string model, std::string name, std::uint32_t ip, std::uint32_t mask, MacAddress mac,
                 std::int32_t http, std::int32_t rtsp, std::uint8_t channels, std::uint8_t dvs,
                 std::vector<std::string> interfaces = {}) {
  SimDevice device;
  device.model = std::move(model);
  device.name = std::move(name);
  device.ip = ip;
  device.mask = mask;
  device.mac = mac;
  device.httpPort = http;
  device.rtspPort = rtsp;
  device.channels = channels;
  device.dvsValue = dvs;
  device.interfaces = std::move(interfaces);
  return device;
}

void ExpectSameDevice(const SimDevice& actual, const SimDevice& expected) {
  EXPECT_EQ(actual.model, expected.model);
  EXPECT_EQ(actual.name, expected.name);
  EXPECT_EQ(actual.ip, expected.ip);
  EXPECT_EQ(actual.mask, expected.mask);
  EXPECT_EQ(actual.mac, expected.mac);
  EXPECT_EQ(actual.httpPort, expected.httpPort);
  EXPECT_EQ(actual.rtspPort, expected.rtspPort);
  EXPECT_EQ(actual.channels, expected.channels);
  EXPECT_EQ(actual.dvsValue, expected.dvsValue);
  EXPECT_EQ(actual.interfaces, expected.interfaces);
}

TEST(DevsimDeviceListTest, ParsesEachLineIntoOneDevice) {
  const MacAddress mac{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
  const GoodLine table[] = {
      {"model=IPCAMERA ip=192.168.1.64 mac=00:1A:2B:3C:4D:5E name=\"Front door\" mask=255.255.0.0 http=81 "
       "rtsp=555 channels=2 dvs=9 if=dev0,dev1",
       Device("IPCAMERA", "Front door", 0xC0A80140, 0xFFFF0000, mac, 81, 555, 2, 9, {"dev0", "dev1"})},
      // Defaults, keys in another order, lower-case MAC, tabs and a trailing comment.
      {"\tmac=00:1a:2b:3c:4d:5e  ip=10.0.0.1 model=NVR   # the recorder",
       Device("NVR", "", 0x0A000001, 0xFFFFFF00, mac, 80, 554, 1, 0)},
      // Ten model bytes leave no room for a NUL; escapes give any byte, NUL and quotes included.
      {R"(model=NVRNVRNVR1 ip=1.2.3.4 mac=00:1A:2B:3C:4D:5E name="a\"b\\c\x00d\xC7\xb0")",
       Device("NVRNVRNVR1", std::string("a\"b\\c\0d\xC7\xB0", 9), 0x01020304, 0xFFFFFF00, mac, 80, 554, 1, 0)},
      // Ports are 32-bit on the wire: negative values stay, unsigned ones above 2^31-1 wrap.
      {"model=DVS ip=255.255.255.255 mac=00:1A:2B:3C:4D:5E http=-2147483648 rtsp=4294967295 channels=255 dvs=255",
       Device("DVS", "", 0xFFFFFFFF, 0xFFFFFF00, mac, INT32_MIN, -1, 255, 255)},
      {"model=DECODER ip=0.0.0.0 mac=00:1A:2B:3C:4D:5E http=2147483648 name=bare#word",
       Device("DECODER", "bare#word", 0, 0xFFFFFF00, mac, INT32_MIN, 554, 1, 0)},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.line);
    const DeviceList list = ParseDeviceList(row.line);
    ASSERT_TRUE(list.errors.empty()) << list.errors[0].message;
    ASSERT_EQ(list.devices.size(), 1u);
    ExpectSameDevice(list.devices[0], row.expected);
  }
}

TEST(DevsimDeviceListTest, NameMayFillAllSixtyFourBytes) {
  const std::string name(64, 'n');
  const DeviceList fits = ParseDeviceList("model=NVR ip=1.2.3.4 mac=00:00:00:00:00:01 name=" + name);
  ASSERT_EQ(fits.devices.size(), 1u);
  EXPECT_EQ(fits.devices[0].name, name);
  const DeviceList tooLong = ParseDeviceList("model=NVR ip=1.2.3.4 mac=00:00:00:00:00:01 name=" + name + "n");
  ASSERT_EQ(tooLong.errors.size(), 1u);
  EXPECT_EQ(tooLong.errors[0].message, "name longer than 64 bytes");
}

TEST(DevsimDeviceListTest, ReportsEachBadLineWithItsNumber) {
  struct BadLine {
    const char* line;
    const char* message;
  };
  const BadLine table[] = {
      {"model=IPCAMERA ip=1.2.3.4", "missing mac"},
      {"ip=1.2.3.4 mac=00:00:00:00:00:01", "missing model"},
      {"model=IPCAMERA mac=00:00:00:00:00:01", "missing ip"},
      {"model=IPCAMERA1234 ip=1.2.3.4 mac=00:00:00:00:00:01", "model longer than 10 bytes"},
      {"model=NVR ip=1.2.3.256 mac=00:00:00:00:00:01", "ip is not a dotted decimal address: '1.2.3.256'"},
      {"model=NVR ip=01.2.3.4 mac=00:00:00:00:00:01", "ip is not a dotted decimal address: '01.2.3.4'"},
      {"model=NVR ip=1.2.3 mac=00:00:00:00:00:01", "ip is not a dotted decimal address: '1.2.3'"},
      {"model=NVR ip=1.2.3.4 mask=1.2.3.4.5 mac=00:00:00:00:00:01",
       "mask is not a dotted decimal address: '1.2.3.4.5'"},
      {"model=NVR ip=1.2.3.4 mac=00:00:00:00:00",
       "mac is not six hexadecimal pairs separated by colons: '00:00:00:00:00'"},
      {"model=NVR ip=1.2.3.4 mac=00-00-00-00-00-01",
       "mac is not six hexadecimal pairs separated by colons: '00-00-00-00-00-01'"},
      {"model=NVR ip=1.2.3.4 mac=00:00:00:00:00:01 http=4294967296", "http is not a 32-bit integer: '4294967296'"},
      {"model=NVR ip=1.2.3.4 mac=00:00:00:00:00:01 rtsp=-2147483649", "rtsp is not a 32-bit integer: '-2147483649'"},
      {"model=NVR ip=1.2.3.4 mac=00:00:00:00:00:01 channels=256", "channels must be 0 to 255, not '256'"},
      {"model=NVR ip=1.2.3.4 mac=00:00:00:00:00:01 dvs=-1", "dvs must be 0 to 255, not '-1'"},
      {"model=NVR ip=1.2.3.4 mac=00:00:00:00:00:01 if=dev0,,dev1", "empty interface name in 'dev0,,dev1'"},
      {"model=NVR ip=1.2.3.4 mac=00:00:00:00:00:01 colour=red", "unknown key 'colour'"},
      {"model=NVR model=DVS ip=1.2.3.4 mac=00:00:00:00:00:01", "key 'model' given twice"},
      {"model=NVR ip=1.2.3.4 mac=00:00:00:00:00:01 name=\"open", "unterminated quote in the value of name"},
      {"model=NVR ip=1.2.3.4 mac=00:00:00:00:00:01 name=\"a\\x4\"", "bad escape in the value of name"},
      {"model=NVR ip=1.2.3.4 mac=00:00:00:00:00:01 name=\"a\"b", "text straight after the closing quote of name"},
      {"model=NVR ip=1.2.3.4 mac=00:00:00:00:00:01 name=a\"b", "a quote inside the bare value of name"},
      {"model=NVR IPCAMERA", "expected key=value at 'IPCAMERA'"},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.line);
    const DeviceList list = ParseDeviceList(row.line);
    EXPECT_TRUE(list.devices.empty());
    ASSERT_EQ(list.errors.size(), 1u);
    EXPECT_EQ(list.errors[0].line, 1u);
    EXPECT_EQ(list.errors[0].message, row.message);
  }
}

TEST(DevsimDeviceListTest, KeepsGoodLinesAndNumbersBadOnesAcrossCommentsAndBlanks) {
  const DeviceList list = ParseDeviceList(
      "# a fleet\n"
      "\n"
      "model=NVR ip=1.1.1.1 mac=00:00:00:00:00:01\r\n"
      "model=NVR ip=1.1.1.2\n"
      "   # indented comment\n"
      "model=DVS ip=1.1.1.3 mac=00:00:00:00:00:03\n"
      "model=DVS ip=1.1.1.x mac=00:00:00:00:00:04");
  ASSERT_EQ(list.devices.size(), 2u);
  EXPECT_EQ(list.devices[0].ip, 0x01010101u);
  EXPECT_EQ(list.devices[1].ip, 0x01010103u);
  ASSERT_EQ(list.errors.size(), 2u);
  EXPECT_EQ(list.errors[0].line, 4u);
  EXPECT_EQ(list.errors[0].message, "missing mac");
  EXPECT_EQ(list.errors[1].line, 7u);
}

TEST(DevsimDeviceListTest, AnswersOnItsInterfacesOrOnAllWhenNoneNamed) {
  SimDevice everywhere;
  EXPECT_TRUE(everywhere.AnswersOn("dev0"));
  SimDevice limited;
  limited.interfaces = {"dev1", "dev2"};
  EXPECT_FALSE(limited.AnswersOn("dev0"));
  EXPECT_TRUE(limited.AnswersOn("dev2"));
}

TEST(DevsimFleetTest, SameSeedSameFleetOtherSeedOtherAddresses) {
  const auto first = GenerateFleet(50, 7);
  const auto again = GenerateFleet(50, 7);
  const auto other = GenerateFleet(50, 8);
  ASSERT_EQ(first.size(), 50u);
  for (std::size_t i = 0; i < first.size(); ++i) {
    ExpectSameDevice(again[i], first[i]);
  }
  bool differs = false;
  for (std::size_t i = 0; i < first.size(); ++i) differs |= first[i].ip != other[i].ip || first[i].mac != other[i].mac;
  EXPECT_TRUE(differs);
}

TEST(DevsimFleetTest, LargeFleetHasUniqueMacsAndAddressesAndEveryKind) {
  const auto fleet = GenerateFleet(kMaxFleet, kDefaultSeed);
  ASSERT_EQ(fleet.size(), kMaxFleet);
  std::set<MacAddress> macs;
  std::set<std::uint32_t> ips;
  std::set<std::string> models;
  for (const auto& device : fleet) {
    macs.insert(device.mac);
    ips.insert(device.ip);
    models.insert(device.model);
    const std::uint32_t host = device.ip & 0xFF;
    ASSERT_TRUE(host != 0 && host != 255) << DottedText(device.ip);
    ASSERT_EQ(device.ip >> 24, 10u);
    if (device.model != "DVS") {
      ASSERT_EQ(device.dvsValue, 0);
    }
  }
  EXPECT_EQ(macs.size(), fleet.size());
  EXPECT_EQ(ips.size(), fleet.size());
  EXPECT_EQ(models, (std::set<std::string>{"DECODER", "DVS", "IPCAMERA", "NVR"}));
  EXPECT_EQ(GenerateFleet(kMaxFleet + 1, 1).size(), kMaxFleet);
}

}  // namespace
}  // namespace devsim
