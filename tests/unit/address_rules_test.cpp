// Modify IP's rules: invalid last octets, the segment of the first three octets, the derived gateway,
// and the command bytes the dialog's values become.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "operations/address_rules.h"

namespace quelvar {
namespace {

constexpr std::uint32_t Address(unsigned a, unsigned b, unsigned c, unsigned d) {
  return (a << 24) | (b << 16) | (c << 8) | d;
}

std::string Dotted(std::uint32_t address) { return FormatDottedQuad(address).data(); }

const char* StepName(ModifyStep step) {
  switch (step) {
    case ModifyStep::RejectAddress: return "reject";
    case ModifyStep::SendWithGateway: return "send with derived gateway";
    case ModifyStep::AskAboutSegment: return "ask";
    case ModifyStep::Send: return "send";
  }
  return "?";
}

struct ModifyCase {
  std::uint32_t newIp;
  std::uint32_t gateway;
  ModifyStep step;
  std::uint32_t sentGateway;
};

TEST(CheckModifyFieldsTest, OrderOfTheChecks) {
  const ModifyCase cases[] = {
      // The address is judged first, whatever the gateway.
      {Address(192, 168, 1, 0), Address(192, 168, 1, 1), ModifyStep::RejectAddress, Address(192, 168, 1, 1)},
      {Address(192, 168, 1, 255), Address(192, 168, 1, 1), ModifyStep::RejectAddress, Address(192, 168, 1, 1)},
      {Address(0, 0, 0, 0), 0, ModifyStep::RejectAddress, 0},
      {Address(10, 0, 0, 255), 0, ModifyStep::RejectAddress, 0},
      // An empty gateway becomes the new address's .1, without a question.
      {Address(10, 1, 2, 3), 0, ModifyStep::SendWithGateway, Address(10, 1, 2, 1)},
      {Address(10, 1, 2, 1), 0, ModifyStep::SendWithGateway, Address(10, 1, 2, 1)},
      // Only the first three octets count; the mask plays no part.
      {Address(192, 168, 1, 20), Address(192, 168, 2, 1), ModifyStep::AskAboutSegment, Address(192, 168, 2, 1)},
      {Address(192, 168, 5, 5), Address(192, 168, 1, 1), ModifyStep::AskAboutSegment, Address(192, 168, 1, 1)},
      {Address(192, 168, 1, 20), Address(193, 168, 1, 1), ModifyStep::AskAboutSegment, Address(193, 168, 1, 1)},
      {Address(192, 168, 1, 20), Address(192, 168, 1, 254), ModifyStep::Send, Address(192, 168, 1, 254)},
      {Address(192, 168, 1, 20), Address(192, 168, 1, 0), ModifyStep::Send, Address(192, 168, 1, 0)},
      {Address(1, 1, 1, 1), Address(0, 0, 0, 1), ModifyStep::AskAboutSegment, Address(0, 0, 0, 1)},
  };
  for (const ModifyCase& c : cases) {
    const ModifyCheck check = CheckModifyFields(c.newIp, c.gateway);
    EXPECT_STREQ(StepName(check.step), StepName(c.step)) << Dotted(c.newIp) << " gw " << Dotted(c.gateway);
    EXPECT_EQ(Dotted(check.gateway), Dotted(c.sentGateway)) << Dotted(c.newIp) << " gw " << Dotted(c.gateway);
  }
}

TEST(AddressRulesTest, InvalidLastOctetAndSegment) {
  for (unsigned last = 0; last < 256; ++last) {
    EXPECT_EQ(HasInvalidLastOctet(Address(10, 0, 0, last)), last == 0 || last == 255) << last;
  }
  EXPECT_FALSE(HasInvalidLastOctet(Address(255, 255, 255, 254)));
  EXPECT_FALSE(HasInvalidLastOctet(Address(0, 0, 0, 1)));
  EXPECT_TRUE(InSameSegment(Address(10, 0, 0, 1), Address(10, 0, 0, 254)));
  EXPECT_FALSE(InSameSegment(Address(10, 0, 0, 1), Address(10, 0, 1, 1)));
  EXPECT_FALSE(InSameSegment(Address(10, 0, 0, 1), Address(11, 0, 0, 1)));
}

struct GatewayCase {
  std::u16string ipText;
  const char* gateway;
};

TEST(GatewayFromIpTextTest, FirstThreePartsAndOne) {
  const GatewayCase cases[] = {
      {u"192.168.1.64", "192.168.1.1"}, {u"10.0.0.1", "10.0.0.1"},   {u"172.16.5.255", "172.16.5.1"},
      {u"", "0.0.0.1"},                 {u"1.2", "1.0.1.1"},          {u"1.2.3", "1.2.0.1"},
      {u"300.2.3.4", "44.2.3.1"},       {u" 7.8.9.10", "7.8.9.1"},     {u"1.2.3.4/evil", "1.2.3.1"},
  };
  for (const GatewayCase& c : cases) {
    EXPECT_EQ(Dotted(GatewayFromIpText(c.ipText)), c.gateway) << std::string(c.ipText.begin(), c.ipText.end());
  }
}

std::string TextAt(const std::array<std::uint8_t, kCommandSize>& command, std::size_t offset) {
  return reinterpret_cast<const char*>(command.data() + offset);
}

std::array<std::uint8_t, kCommandSize> CommandFor(const AddressFieldValues& values) {
  std::array<std::uint8_t, kCommandSize> command;
  command.fill(0xCC);
  BuildSetNetworkCommand(MakeSetNetworkRequest(values), command);
  return command;
}

AddressFieldValues ClickedRow() {
  AddressFieldValues values;
  values.oldIp = Address(192, 168, 1, 64);
  values.newIp = Address(198, 18, 0, 77);
  values.mask = Address(255, 255, 255, 0);
  values.gateway = Address(198, 18, 0, 1);
  values.macText = "00:1A:2B:3C:4D:5E";
  return values;
}

TEST(SetNetworkCommandFromFieldsTest, AddressFieldsEnabledCarryEverything) {
  const auto command = CommandFor(ClickedRow());
  EXPECT_EQ(std::memcmp(command.data(), "search.....\0\3", 13), 0);
  EXPECT_EQ(TextAt(command, 13), "192.168.1.64");
  EXPECT_EQ(TextAt(command, 61), "198.18.0.77");
  EXPECT_EQ(TextAt(command, 109), "255.255.255.0");
  EXPECT_EQ(TextAt(command, 157), "198.18.0.1");
  EXPECT_EQ(command[253], 0);
  const std::uint8_t mac[] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
  EXPECT_EQ(std::memcmp(command.data() + 256, mac, sizeof mac), 0);
  EXPECT_EQ(command[262], 0);
}

TEST(SetNetworkCommandFromFieldsTest, WithDhcpTheDeviceIsNamedByItsAddressAlone) {
  AddressFieldValues values = ClickedRow();
  values.useDhcp = true;
  values.addressFieldsEnabled = false;
  const auto command = CommandFor(values);
  EXPECT_EQ(TextAt(command, 13), "192.168.1.64");
  EXPECT_EQ(command[253], 1);
  for (std::size_t i = 13 + std::strlen("192.168.1.64"); i < kCommandSize; ++i) {
    if (i == 253) continue;
    ASSERT_EQ(command[i], 0) << "byte " << i;
  }
}

TEST(SetNetworkCommandFromFieldsTest, DhcpFlagWithFieldsEnabledStillCarriesTheAddresses) {
  AddressFieldValues values = ClickedRow();
  values.useDhcp = true;
  const auto command = CommandFor(values);
  EXPECT_EQ(command[253], 1);
  EXPECT_EQ(TextAt(command, 61), "198.18.0.77");
  EXPECT_EQ(command[256 + 5], 0x5E);
}

}  // namespace
}  // namespace quelvar
