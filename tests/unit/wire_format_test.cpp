// The discovery datagrams byte by byte: probes, commands, the acceptance test, kinds and reply fields.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "discovery/wire_format.h"

namespace quelvar {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t Address(unsigned a, unsigned b, unsigned c, unsigned d) {
  return (a << 24) | (b << 16) | (c << 8) | d;
}

void Put(Bytes& bytes, std::size_t offset, const std::string& text) {
  if (bytes.size() < offset + text.size()) bytes.resize(offset + text.size());
  std::memcpy(bytes.data() + offset, text.data(), text.size());
}

Bytes ReplyHead() {
  Bytes reply(kReplyRecordSize, 0);
  Put(reply, 0, std::string("search.....\0\1", 13));
  return reply;
}

// Indexes of the non-zero bytes, to show that nothing outside the named fields was written.
std::vector<std::size_t> NonZero(std::span<const std::uint8_t> bytes) {
  std::vector<std::size_t> at;
  for (std::size_t i = 0; i < bytes.size(); ++i)
    if (bytes[i] != 0) at.push_back(i);
  return at;
}

TEST(SearchProbeTest, CarriesTheInterfaceAddressAndNothingElse) {
  std::array<std::uint8_t, kProbeSize> probe;
  probe.fill(0xAA);
  BuildSearchProbe(Address(10, 0, 0, 5), probe);
  EXPECT_EQ(std::memcmp(probe.data(), "search.....\0\2", 13), 0);
  EXPECT_EQ(std::memcmp(probe.data() + 13, "10.0.0.5", 8), 0);
  for (std::size_t i = 21; i < kProbeSize; ++i) ASSERT_EQ(probe[i], 0) << "byte " << i;
}

TEST(SearchProbeTest, RewritingTheAddressClearsTheLongerOne) {
  std::array<std::uint8_t, kProbeSize> probe;
  BuildSearchProbe(Address(255, 255, 255, 255), probe);
  WriteProbeAddress(Address(1, 2, 3, 4), probe);
  EXPECT_STREQ(reinterpret_cast<const char*>(probe.data() + 13), "1.2.3.4");
  for (std::size_t i = 20; i < kProbeSize; ++i) ASSERT_EQ(probe[i], 0) << "byte " << i;
}

TEST(SetNetworkCommandTest, WithDhcpNamesTheDeviceByItsAddressOnly) {
  SetNetworkRequest request;
  request.currentIp = Address(192, 168, 1, 64);
  request.newIp = Address(10, 1, 2, 3);
  request.newMask = Address(255, 255, 0, 0);
  request.newGateway = Address(10, 1, 2, 1);
  request.mac = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
  request.useDhcp = true;
  request.includeAddressFields = false;
  std::array<std::uint8_t, kCommandSize> command;
  command.fill(0xEE);
  BuildSetNetworkCommand(request, command);

  std::vector<std::size_t> expected;
  for (std::size_t i : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12}) expected.push_back(i);
  for (std::size_t i = 13; i < 13 + std::strlen("192.168.1.64"); ++i) expected.push_back(i);
  expected.push_back(253);
  EXPECT_EQ(NonZero(command), expected);
  EXPECT_EQ(command[12], 3);
  EXPECT_EQ(command[253], 1);
  EXPECT_STREQ(reinterpret_cast<const char*>(command.data() + 13), "192.168.1.64");
}

TEST(SetNetworkCommandTest, WithAddressesCarriesEveryFieldAndTheMacBytes) {
  SetNetworkRequest request;
  request.currentIp = Address(192, 168, 1, 64);
  request.newIp = Address(198, 18, 7, 20);
  request.newMask = Address(255, 255, 255, 0);
  request.newGateway = Address(198, 18, 7, 1);
  request.mac = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
  std::array<std::uint8_t, kCommandSize> command;
  BuildSetNetworkCommand(request, command);

  const auto textAt = [&](std::size_t offset) { return std::string(reinterpret_cast<const char*>(command.data() + offset)); };
  EXPECT_EQ(textAt(13), "192.168.1.64");
  EXPECT_EQ(textAt(61), "198.18.7.20");
  EXPECT_EQ(textAt(109), "255.255.255.0");
  EXPECT_EQ(textAt(157), "198.18.7.1");
  EXPECT_EQ(command[253], 0);
  const std::array<std::uint8_t, 7> macAndAfter{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x00};
  EXPECT_EQ(std::memcmp(command.data() + 256, macAndAfter.data(), macAndAfter.size()), 0);
  for (std::size_t i = 205; i < 253; ++i) ASSERT_EQ(command[i], 0) << "byte " << i;
  EXPECT_EQ(command[254], 0);
  EXPECT_EQ(command[255], 0);
}

struct AcceptCase {
  const char* name;
  Bytes datagram;
  bool accepted;
};

TEST(IsAcceptedReplyTest, HeadVariantsAndCodes) {
  const Bytes good = ReplyHead();
  const auto with = [&](std::size_t offset, std::uint8_t value) {
    Bytes b = good;
    b[offset] = value;
    return b;
  };
  Bytes sixStops(kReplyRecordSize, 0);
  Put(sixStops, 0, std::string("search......\0\1", 14));
  const AcceptCase cases[] = {
      {"well formed", good, true},
      {"capital S", with(0, 'S'), false},
      {"six full stops", sixStops, false},
      {"head not ended at byte 11", with(11, '.'), false},
      {"probe code 2", with(12, 2), false},
      {"command code 3", with(12, 3), false},
      {"code 0", with(12, 0), false},
      {"exactly the 13 head bytes", Bytes(good.begin(), good.begin() + 13), true},
      {"cut before the code", Bytes(good.begin(), good.begin() + 12), false},
      {"cut inside the head", Bytes(good.begin(), good.begin() + 5), false},
      {"empty", Bytes{}, false},
  };
  for (const AcceptCase& c : cases) {
    EXPECT_EQ(IsAcceptedReply(c.datagram.data(), c.datagram.size()), c.accepted) << c.name;
  }
  EXPECT_FALSE(IsAcceptedReply(nullptr, 13));
}

struct TypeCase {
  std::string model;
  DeviceType expected;
};

TEST(DetectDeviceTypeTest, SearchOrderDecides) {
  const TypeCase cases[] = {
      {"IPCAMERA", DeviceType::IPCamera}, {"DECODER", DeviceType::Decoder}, {"DVS", DeviceType::DVS},
      {"NVR", DeviceType::NVR},           {"xxNVRyy", DeviceType::NVR},     {"IPCAMERADVS", DeviceType::DVS},
      {"DVSDECODER", DeviceType::DVS},    {"NVRDECODER", DeviceType::Decoder}, {"nvr", DeviceType::Unknown},
      {"CAMERA", DeviceType::Unknown},    {"", DeviceType::Unknown},
  };
  for (const TypeCase& c : cases) {
    Bytes reply = ReplyHead();
    Put(reply, 13, c.model);
    EXPECT_EQ(DetectDeviceType(reply.data(), reply.size()), c.expected) << c.model;
  }
}

TEST(DetectDeviceTypeTest, UnterminatedModelRunsOnButStopsAtByte175) {
  Bytes reply = ReplyHead();
  Put(reply, 13, "XXXXXXXXXX");  // the whole 10-byte field, no NUL
  Put(reply, 23, "ABNVR");       // the MAC bytes continue the text
  EXPECT_EQ(DetectDeviceType(reply.data(), reply.size()), DeviceType::NVR);
  const DeviceReply read = ReadDeviceReply(reply.data(), reply.size());
  EXPECT_EQ(read.model, "XXXXXXXXX");  // the cell shows bytes 13 to 21 only

  // A text that only completes at byte 175 does not count: the scan ends at byte 174.
  Bytes far(kReplyRecordSize, 'x');
  Put(far, 0, std::string("search.....\0\1", 13));
  Put(far, 173, "NVR");
  EXPECT_EQ(DetectDeviceType(far.data(), far.size()), DeviceType::Unknown);
  Put(far, 172, "DVS");  // bytes 172 to 174: still inside the scan
  EXPECT_EQ(DetectDeviceType(far.data(), far.size()), DeviceType::DVS);
}

TEST(ReadDeviceReplyTest, ReadsEveryFieldAtItsOffset) {
  Bytes reply = ReplyHead();
  Put(reply, 13, "IPCAMERA");
  const std::uint8_t mac[] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
  std::memcpy(reply.data() + 23, mac, 6);
  Put(reply, 30, "255.255.255.0");
  Put(reply, 60, "192.168.1.64");
  Put(reply, 90, "Gate camera");
  const std::uint8_t http[] = {0x00, 0x00, 0x00, 0x50};
  const std::uint8_t rtsp[] = {0xFF, 0xFF, 0xFF, 0xFE};  // shown signed
  std::memcpy(reply.data() + 156, http, 4);
  std::memcpy(reply.data() + 160, rtsp, 4);
  reply[164] = 16;
  reply[166] = 8;

  const DeviceReply read = ReadDeviceReply(reply.data(), reply.size());
  EXPECT_EQ(read.type, DeviceType::IPCamera);
  EXPECT_EQ(read.model, "IPCAMERA");
  EXPECT_EQ(read.mac, (MacAddress{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}));
  EXPECT_EQ(read.subnetMask, "255.255.255.0");
  EXPECT_EQ(read.ip, "192.168.1.64");
  EXPECT_EQ(read.deviceName, "Gate camera");
  EXPECT_EQ(read.httpPort, 80);
  EXPECT_EQ(read.rtspPort, -2);
  EXPECT_EQ(read.channels, 16);
  EXPECT_EQ(read.dvsValue, 8);
}

TEST(ReadDeviceReplyTest, FullFieldsAreCutAtTheirLimits) {
  Bytes reply(kReplyRecordSize, 'A');
  Put(reply, 0, std::string("search.....\0\1", 13));
  reply[175] = 0;
  const DeviceReply read = ReadDeviceReply(reply.data(), reply.size());
  EXPECT_EQ(read.model.size(), 9u);
  EXPECT_EQ(read.ip.size(), 29u);
  EXPECT_EQ(read.deviceName.size(), 63u);
  EXPECT_EQ(read.subnetMask.size(), 175u - 30u);  // no NUL of its own: runs to byte 174
}

TEST(ReadDeviceReplyTest, ShortDatagramReadsMissingBytesAsZero) {
  Bytes reply = ReplyHead();
  Put(reply, 13, "DVS");
  Put(reply, 60, "10.0.0.9");
  reply.resize(64);  // cut inside the address text
  const DeviceReply read = ReadDeviceReply(reply.data(), reply.size());
  EXPECT_EQ(read.type, DeviceType::DVS);
  EXPECT_EQ(read.ip, "10.0");
  EXPECT_EQ(read.deviceName, "");
  EXPECT_EQ(read.httpPort, 0);
  EXPECT_EQ(read.channels, 0);
}

struct PackCase {
  std::int32_t rtsp;
  DeviceType type;
  std::uint8_t byte166;
  std::uint32_t expected;
};

TEST(PackDeviceInfoTest, PortKindAndDvsValue) {
  const PackCase cases[] = {
      {554, DeviceType::IPCamera, 0, 0x00022A30u},
      {554, DeviceType::Decoder, 9, 0x00022A40u},   // the DVS byte counts only for a DVS
      {0, DeviceType::DVS, 8, 0x18u},
      {0, DeviceType::DVS, 0x25, 0x35u},           // above 15 it spills into the kind bits
      {0x12345678, DeviceType::NVR, 0, 0x34567850u},  // the port's top byte is lost
  };
  for (const PackCase& c : cases) {
    EXPECT_EQ(PackDeviceInfo(c.rtsp, c.type, c.byte166), c.expected) << c.rtsp;
  }
}

}  // namespace
}  // namespace quelvar
