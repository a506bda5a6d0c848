// What a simulated device sends and does, checked through the program's own parsers and builders.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "discovery/wire_format.h"
#include "tools/devsim/control.h"
#include "tools/devsim/device_protocol.h"
#include "tools/devsim/event_log.h"
#include "tools/devsim/hostile.h"

namespace devsim {
namespace {

using quelvar::kReplyRecordSize;
using Reply = std::array<std::uint8_t, kReplyRecordSize>;

SimDevice MakeDevice(std::string model, std::string name, std::uint32_t ip, quelvar::MacAddress mac) {
  SimDevice device;
  device.model = std::move(model);
  device.name = std::move(name);
  device.ip = ip;
  device.mask = 0xFFFFFF00u;
  device.mac = mac;
  return device;
}

Reply ReplyOf(const SimDevice& device) {
  Reply reply;
  reply.fill(0xCC);
  BuildDeviceReply(device, reply);
  return reply;
}

TEST(DevsimDeviceReplyTest, EveryFieldSurvivesTheProgramsParser) {
  SimDevice dvs = MakeDevice("DVS", "Yard \xC7\xB0", 0xC0A80141, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5F});
  dvs.mask = 0xFFFF0000u;
  dvs.httpPort = -1;
  dvs.rtspPort = INT32_MIN;
  dvs.channels = 255;
  dvs.dvsValue = 7;
  SimDevice camera = MakeDevice("IPCAMERA", "", 0xFFFFFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE});
  camera.httpPort = 2147483647;
  camera.rtspPort = 0;
  camera.channels = 0;
  struct Row {
    const SimDevice* device;
    quelvar::DeviceType type;
    const char* mask;
    const char* ip;
  } table[] = {{&dvs, quelvar::DeviceType::DVS, "255.255.0.0", "192.168.1.65"},
               {&camera, quelvar::DeviceType::IPCamera, "255.255.255.0", "255.255.255.255"}};
  for (const auto& row : table) {
    SCOPED_TRACE(row.device->model);
    const Reply reply = ReplyOf(*row.device);
    ASSERT_TRUE(quelvar::IsAcceptedReply(reply.data(), reply.size()));
    const quelvar::DeviceReply read = quelvar::ReadDeviceReply(reply.data(), reply.size());
    EXPECT_EQ(read.type, row.type);
    EXPECT_EQ(read.model, row.device->model);
    EXPECT_EQ(read.mac, row.device->mac);
    EXPECT_EQ(read.subnetMask, row.mask);
    EXPECT_EQ(read.ip, row.ip);
    EXPECT_EQ(read.deviceName, row.device->name);
    EXPECT_EQ(read.httpPort, row.device->httpPort);
    EXPECT_EQ(read.rtspPort, row.device->rtspPort);
    EXPECT_EQ(read.channels, row.device->channels);
    EXPECT_EQ(read.dvsValue, row.device->dvsValue);
  }
}

TEST(DevsimDeviceReplyTest, PortsAreBigEndianAndUnnamedBytesZero) {
  SimDevice device = MakeDevice("NVR", "n", 0x01020304, {1, 2, 3, 4, 5, 6});
  device.httpPort = 0x01020304;
  device.rtspPort = -2;
  const Reply reply = ReplyOf(device);
  EXPECT_EQ(std::vector<std::uint8_t>(reply.begin() + 156, reply.begin() + 164),
            (std::vector<std::uint8_t>{0x01, 0x02, 0x03, 0x04, 0xFF, 0xFF, 0xFF, 0xFE}));
  for (const std::size_t unused : {29u, 154u, 155u, 165u}) EXPECT_EQ(reply[unused], 0) << unused;
  for (std::size_t i = 167; i < kReplyRecordSize; ++i) ASSERT_EQ(reply[i], 0) << i;
}

TEST(DevsimDeviceReplyTest, TenByteModelHasNoNulAndReachesIntoTheMac) {
  // The MAC's first byte 'R' continues the model text, so only a scan past byte 22 finds "NVR".
  const SimDevice device = MakeDevice("IPCNV-12NV", "full", 0x0A000001, {'R', 0, 0, 0, 0, 1});
  const Reply reply = ReplyOf(device);
  EXPECT_EQ(std::memcmp(reply.data() + 13, "IPCNV-12NV", 10), 0);
  EXPECT_EQ(reply[23], 'R');
  const quelvar::DeviceReply read = quelvar::ReadDeviceReply(reply.data(), reply.size());
  EXPECT_EQ(read.model, "IPCNV-12N");
  EXPECT_EQ(read.type, quelvar::DeviceType::NVR);
}

TEST(DevsimDeviceReplyTest, UnknownModelIsBuiltAsGivenAndNamesNoKind) {
  const Reply reply = ReplyOf(MakeDevice("TOASTER", "t", 0x0A000001, {2, 0, 0, 0, 0, 3}));
  EXPECT_TRUE(quelvar::IsAcceptedReply(reply.data(), reply.size()));
  EXPECT_EQ(quelvar::DetectDeviceType(reply.data(), reply.size()), quelvar::DeviceType::Unknown);
}

TEST(DevsimDeviceReplyTest, IpTextTakesThePlaceOfTheAddressInReplies) {
  const DeviceList list = ParseDeviceList("model=IPCAMERA ip=10.0.0.7 mac=02:00:00:00:00:09 iptext=\"1.2.3.4/evil\"\n"
                                          "model=IPCAMERA ip=10.0.0.8 mac=02:00:00:00:00:0A iptext=" + std::string(31, '9'));
  ASSERT_EQ(list.devices.size(), 1u);
  ASSERT_EQ(list.errors.size(), 1u);
  EXPECT_EQ(list.errors[0].line, 2u);
  const Reply reply = ReplyOf(list.devices[0]);
  EXPECT_EQ(quelvar::ReadDeviceReply(reply.data(), reply.size()).ip, "1.2.3.4/evil");
  EXPECT_EQ(list.devices[0].ip, 0x0A000007u);
}

TEST(DevsimDeviceReplyTest, SixtyFourByteNameFillsItsFieldWithoutNul) {
  const SimDevice device = MakeDevice("NVR", std::string(64, 'x'), 0x0A000001, {2, 0, 0, 0, 0, 3});
  const Reply reply = ReplyOf(device);
  EXPECT_EQ(reply[153], 'x');
  EXPECT_EQ(quelvar::ReadDeviceReply(reply.data(), reply.size()).deviceName, std::string(63, 'x'));
}

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

TEST(DevsimClassifyTest, TellsProbesAndCommandsFromEverythingElse) {
  std::array<std::uint8_t, quelvar::kProbeSize> probe;
  quelvar::BuildSearchProbe(0xC6120001, probe);
  std::array<std::uint8_t, quelvar::kCommandSize> command;
  quelvar::BuildSetNetworkCommand({}, command);
  const Reply reply = ReplyOf(MakeDevice("NVR", "", 1, {}));
  struct Row {
    std::vector<std::uint8_t> datagram;
    DatagramKind kind;
    const char* reason;
  } table[] = {
      {{probe.begin(), probe.end()}, DatagramKind::SearchProbe, ""},
      {{command.begin(), command.end()}, DatagramKind::SetNetworkCommand, ""},
      {Bytes(std::string_view("search.....\0\2", 13)), DatagramKind::SearchProbe, ""},
      {{reply.begin(), reply.end()}, DatagramKind::Other, "command code 1"},
      {Bytes(std::string_view("search.....\0", 12)), DatagramKind::Other, "command code 0"},
      {Bytes(std::string_view("Search.....\0\2", 13)), DatagramKind::Other, "wrong head"},
      {Bytes(std::string_view("search......\2", 13)), DatagramKind::Other, "wrong head"},
      {Bytes("search"), DatagramKind::Other, "wrong head"},
      {{}, DatagramKind::Other, "empty"},
  };
  for (const auto& row : table) {
    const Classified classified = ClassifyDatagram(row.datagram.data(), row.datagram.size());
    EXPECT_EQ(classified.kind, row.kind) << row.reason;
    EXPECT_EQ(classified.reason, row.reason);
  }
}

TEST(DevsimClassifyTest, ProbeTextIsReadWithinItsField) {
  std::array<std::uint8_t, quelvar::kProbeSize> probe;
  quelvar::BuildSearchProbe(0xC6120001, probe);
  EXPECT_EQ(ReadAddressField(probe.data(), probe.size(), 13), "198.18.0.1");
  std::fill(probe.begin() + 13, probe.end(), '9');
  EXPECT_EQ(ReadAddressField(probe.data(), probe.size(), 13), std::string(48, '9'));
  EXPECT_EQ(ReadAddressField(probe.data(), 20, 13), "9999999");
}

// Three devices: two on every interface, one only on dev1; the second shares nothing with the first.
class DevsimCommandTest : public ::testing::Test {
 protected:
  std::vector<SimDevice> devices{
      MakeDevice("IPCAMERA", "a", 0xC0A80140, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}),  // 192.168.1.64
      MakeDevice("DVS", "b", 0xC0A80141, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5F}),       // 192.168.1.65
      MakeDevice("NVR", "c", 0x0A000005, {0x02, 0, 0, 0, 0, 0x0C}),                    // 10.0.0.5 on dev1
  };
  void SetUp() override { devices[2].interfaces = {"dev1"}; }

  static DecodedCommand Command(std::uint32_t current, quelvar::MacAddress mac, bool dhcp = false) {
    quelvar::SetNetworkRequest request;
    request.currentIp = current;
    request.newIp = 0x0A010203;       // 10.1.2.3
    request.newMask = 0xFFFF0000;     // 255.255.0.0
    request.newGateway = 0x0A010201;  // 10.1.2.1
    request.mac = mac;
    request.useDhcp = dhcp;
    request.includeAddressFields = !dhcp;
    std::array<std::uint8_t, quelvar::kCommandSize> bytes;
    quelvar::BuildSetNetworkCommand(request, bytes);
    return DecodeSetNetworkCommand(bytes.data(), bytes.size());
  }
};

TEST_F(DevsimCommandTest, DecodesEveryFieldTheProgramWrites) {
  const DecodedCommand command = Command(0xC0A80140, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E});
  EXPECT_EQ(command.currentIp, "192.168.1.64");
  EXPECT_EQ(command.newIp, "10.1.2.3");
  EXPECT_EQ(command.newMask, "255.255.0.0");
  EXPECT_EQ(command.newGateway, "10.1.2.1");
  EXPECT_EQ(command.dhcpFlag, 0);
  EXPECT_EQ(FormatMac(command.mac), "00:1A:2B:3C:4D:5E");
  const DecodedCommand dhcp = Command(0xC0A80140, {1, 2, 3, 4, 5, 6}, true);
  EXPECT_EQ(dhcp.dhcpFlag, 1);
  EXPECT_EQ(dhcp.newIp, "");
  EXPECT_EQ(dhcp.mac, quelvar::MacAddress{});
}

TEST_F(DevsimCommandTest, MatchingAddressAndMacApplyTheNewSettingsToThatDeviceOnly) {
  const auto before = devices;
  const CommandOutcome outcome =
      ApplySetNetworkCommand(devices, Command(0xC0A80140, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}), "dev0");
  ASSERT_EQ(outcome.applied.size(), 1u);
  EXPECT_EQ(outcome.applied[0].device, 0u);
  EXPECT_EQ(outcome.applied[0].oldIp, 0xC0A80140u);
  EXPECT_EQ(devices[0].ip, 0x0A010203u);
  EXPECT_EQ(devices[0].mask, 0xFFFF0000u);
  EXPECT_EQ(devices[0].gateway, 0x0A010201u);
  EXPECT_EQ(devices[1].ip, before[1].ip);
  EXPECT_EQ(devices[2].ip, before[2].ip);
  // The device now answers with its new address.
  EXPECT_EQ(quelvar::ReadDeviceReply(ReplyOf(devices[0]).data(), kReplyRecordSize).ip, "10.1.2.3");
}

TEST_F(DevsimCommandTest, IgnoredCommandsChangeNothingAndSayWhy) {
  struct Row {
    const char* what;
    DecodedCommand command;
    const char* interfaceName;
    const char* reason;
  } table[] = {
      {"wrong mac", Command(0xC0A80140, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5F}), "dev0",
       "the device at '192.168.1.64' has another mac than 00:1A:2B:3C:4D:5F"},
      {"unknown device", Command(0xC0A80199, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}), "dev0",
       "no device on dev0 has the address '192.168.1.153'"},
      {"device not on this interface", Command(0x0A000005, {0x02, 0, 0, 0, 0, 0x0C}), "dev0",
       "no device on dev0 has the address '10.0.0.5'"},
  };
  for (auto& row : table) {
    SCOPED_TRACE(row.what);
    const auto before = devices;
    const CommandOutcome outcome = ApplySetNetworkCommand(devices, row.command, row.interfaceName);
    EXPECT_TRUE(outcome.applied.empty());
    EXPECT_EQ(outcome.reason, row.reason);
    for (std::size_t i = 0; i < devices.size(); ++i) {
      EXPECT_EQ(devices[i].ip, before[i].ip);
      EXPECT_EQ(devices[i].mask, before[i].mask);
      EXPECT_EQ(devices[i].dhcp, before[i].dhcp);
    }
  }
}

TEST_F(DevsimCommandTest, OddTextsAreIgnoredWithTheirReason) {
  const auto withText = [](std::size_t offset, std::string_view text, std::uint8_t dhcp = 0) {
    quelvar::SetNetworkRequest request;
    request.currentIp = 0xC0A80140;
    request.newIp = 0x0A010203;
    request.newMask = 0xFFFF0000;
    request.newGateway = 0x0A010201;
    request.mac = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    std::array<std::uint8_t, quelvar::kCommandSize> bytes;
    quelvar::BuildSetNetworkCommand(request, bytes);
    std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), 48, 0);
    std::memcpy(bytes.data() + offset, text.data(), text.size());
    bytes[253] = dhcp;
    return DecodeSetNetworkCommand(bytes.data(), bytes.size());
  };
  struct Row {
    DecodedCommand command;
    const char* reason;
  } table[] = {
      // The device compares the text, so another spelling of its address does not name it.
      {withText(13, "192.168.001.064"), "no device on dev0 has the address '192.168.001.064'"},
      {withText(61, "10.1.2"), "new ip '10.1.2' is not a dotted decimal address"},
      {withText(109, "255.255.0.0 "), "mask '255.255.0.0 ' is not a dotted decimal address"},
      {withText(157, ""), "gateway '' is not a dotted decimal address"},
      {withText(61, "10.1.2.3", 2), "dhcp flag 2 is neither 0 nor 1"},
  };
  for (auto& row : table) {
    const CommandOutcome outcome = ApplySetNetworkCommand(devices, row.command, "dev0");
    EXPECT_TRUE(outcome.applied.empty());
    EXPECT_EQ(outcome.reason, row.reason);
  }
  EXPECT_EQ(devices[0].ip, 0xC0A80140u);
}

TEST_F(DevsimCommandTest, DhcpNamesTheDeviceByAddressAloneAndKeepsItsAddress) {
  const CommandOutcome outcome = ApplySetNetworkCommand(devices, Command(0xC0A80141, {}, true), "dev0");
  ASSERT_EQ(outcome.applied.size(), 1u);
  EXPECT_EQ(outcome.applied[0].device, 1u);
  EXPECT_TRUE(devices[1].dhcp);
  EXPECT_EQ(devices[1].ip, 0xC0A80141u);
  EXPECT_FALSE(devices[0].dhcp);
}

TEST_F(DevsimCommandTest, EveryDeviceThatHearsItsAddressActsOnItsOwn) {
  devices[1].ip = devices[0].ip;  // two devices with one address: only the MAC tells them apart
  const CommandOutcome statically =
      ApplySetNetworkCommand(devices, Command(0xC0A80140, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5F}), "dev0");
  ASSERT_EQ(statically.applied.size(), 1u);
  EXPECT_EQ(statically.applied[0].device, 1u);
  EXPECT_EQ(devices[0].ip, 0xC0A80140u);

  devices[1].ip = devices[0].ip;
  const CommandOutcome dhcp = ApplySetNetworkCommand(devices, Command(0xC0A80140, {}, true), "dev0");
  EXPECT_EQ(dhcp.applied.size(), 2u);
}

TEST(DevsimHostileTest, EachKindIsRejectedOrBoundedAsDescribed) {
  for (std::size_t i = 0; i < 2; ++i) {
    const auto head = BuildHostileDatagram(HostileKind::WrongHead, i);
    EXPECT_EQ(head.size(), kReplyRecordSize);
    EXPECT_FALSE(quelvar::IsAcceptedReply(head.data(), head.size())) << i;
  }
  for (std::size_t i = 0; i < 3; ++i) {
    const auto code = BuildHostileDatagram(HostileKind::WrongCode, i);
    EXPECT_EQ(code[12], (std::array<int, 3>{2, 3, 0}[i]));
    EXPECT_FALSE(quelvar::IsAcceptedReply(code.data(), code.size()));
  }
  const std::size_t shortSizes[] = {5, 12, 13, 100};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(BuildHostileDatagram(HostileKind::Short, i).size(), shortSizes[i]);
  }
  const auto headOnly = BuildHostileDatagram(HostileKind::Short, 2);
  EXPECT_TRUE(quelvar::IsAcceptedReply(headOnly.data(), headOnly.size()));
  EXPECT_EQ(quelvar::DetectDeviceType(headOnly.data(), headOnly.size()), quelvar::DeviceType::Unknown);
  const auto cut = BuildHostileDatagram(HostileKind::Short, 3);
  const auto cutReply = quelvar::ReadDeviceReply(cut.data(), cut.size());
  EXPECT_EQ(cutReply.type, quelvar::DeviceType::IPCamera);
  EXPECT_EQ(cutReply.ip, "10.254.0.4");
  EXPECT_EQ(cutReply.deviceName, "hostile-3");
  EXPECT_EQ(cutReply.httpPort, 0);

  const auto oversized = BuildHostileDatagram(HostileKind::Oversized, 0);
  EXPECT_EQ(oversized.size(), 300u);
  EXPECT_TRUE(quelvar::IsAcceptedReply(oversized.data(), kReplyRecordSize));

  const auto unterminated = BuildHostileDatagram(HostileKind::Unterminated, 0);
  ASSERT_EQ(unterminated.size(), kReplyRecordSize);
  for (std::size_t i = 0; i < unterminated.size(); ++i) {
    if (i != 11) {
      ASSERT_NE(unterminated[i], 0) << "byte " << i;
    }
  }
  const auto read = quelvar::ReadDeviceReply(unterminated.data(), unterminated.size());
  EXPECT_EQ(read.type, quelvar::DeviceType::IPCamera);
  EXPECT_EQ(read.ip.size(), 29u);
  EXPECT_EQ(read.deviceName.size(), 63u);
}

TEST(DevsimHostileTest, DatagramsOfOneSeriesNameDifferentDevices) {
  const auto first = quelvar::ReadDeviceReply(BuildHostileDatagram(HostileKind::Oversized, 1).data(), kReplyRecordSize);
  const auto second =
      quelvar::ReadDeviceReply(BuildHostileDatagram(HostileKind::Oversized, 2).data(), kReplyRecordSize);
  EXPECT_NE(first.mac, second.mac);
}

TEST(DevsimHostileTest, OptionsAndControlCommandsParse) {
  struct OptionRow {
    const char* text;
    bool ok;
    HostileKind kind;
    std::size_t count;
    std::uint32_t rate;
  } options[] = {{"oversized", true, HostileKind::Oversized, 1, 0},
               {"short:4", true, HostileKind::Short, 4, 0},
               {"flood:2000:5000", true, HostileKind::Flood, 2000, 5000},
               {"flood:", false, {}, 0, 0},
               {"flood:x", false, {}, 0, 0},
               {"flood:1:2:3", false, {}, 0, 0},
               {"tidal-wave", false, {}, 0, 0}};
  for (const auto& row : options) {
    const auto parsed = ParseHostileOption(row.text);
    ASSERT_EQ(parsed.has_value(), row.ok) << row.text;
    if (!row.ok) continue;
    EXPECT_EQ(parsed->kind, row.kind);
    EXPECT_EQ(parsed->count, row.count);
    EXPECT_EQ(parsed->ratePerSecond, row.rate);
  }

  std::string error;
  const auto flood = ParseControlCommand("hostile flood 2000 rate=5000\n", error);
  ASSERT_TRUE(flood) << error;
  EXPECT_EQ(flood->type, ControlCommand::Type::Hostile);
  EXPECT_EQ(flood->hostile.count, 2000u);
  EXPECT_EQ(flood->hostile.ratePerSecond, 5000u);
  const auto jitter = ParseControlCommand("jitter 200", error);
  ASSERT_TRUE(jitter);
  EXPECT_EQ(jitter->jitterMs, 200u);
  EXPECT_TRUE(ParseControlCommand(" quit ", error));
  for (const char* bad : {"", "hostile", "hostile oversized many", "hostile oversized 1 2", "jitter", "quit now",
                          "launch"}) {
    EXPECT_FALSE(ParseControlCommand(bad, error)) << bad;
    EXPECT_FALSE(error.empty());
  }
}

TEST(DevsimEventLogTest, EscapesEveryByteThatIsNotPrintableAscii) {
  EXPECT_EQ(JsonEscaped(std::string("a\"b\\c\n\x01\x7f\xc7\0z", 11)), R"(a\"b\\c\u000a\u0001\u007f\u00c7\u0000z)");
  const std::uint8_t raw[] = {0x00, 0xAB, 0xFF};
  EXPECT_EQ(JsonObject("reply").Text("name", "x\"").Number("port", -5).Bool("dhcp", true).Hex("raw", raw).Finish(),
            R"({"event":"reply","name":"x\"","port":-5,"dhcp":true,"raw":"00abff"})");
}

}  // namespace
}  // namespace devsim
