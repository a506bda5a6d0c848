// Which cell texts may become a device's web address, and that a valid pair gives exactly "http://%s:%s".
#include <gtest/gtest.h>

#include <string>

#include "operations/web_address.h"

namespace quelvar {
namespace {

std::string Narrow(std::u16string_view text) {
  std::string out;
  for (const char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

struct TextCase {
  std::u16string text;
  bool accepted;
};

TEST(IsPlainDottedQuadTest, OnlyFourPlainDecimalOctets) {
  const TextCase cases[] = {
      {u"192.168.1.64", true},  {u"0.0.0.0", true},         {u"255.255.255.255", true}, {u"10.0.0.1", true},
      {u"1.2.3.4/evil", false}, {u"1.2.3.4:80@x", false},   {u"999.1.1.1", false},      {u" 1.2.3.4", false},
      {u"1.2.3.4 ", false},     {u"256.1.1.1", false},      {u"1.2.3", false},          {u"1.2.3.4.5", false},
      {u"", false},             {u"1..3.4", false},         {u".1.2.3", false},         {u"1.2.3.", false},
      {u"01.2.3.4", false},     {u"1.2.3.010", false},      {u"+1.2.3.4", false},       {u"-1.2.3.4", false},
      {u"1.2.3.4#x", false},    {u"x@1.2.3.4", false},      {u"1.2.3.4\n", false},      {u"0x7f.0.0.1", false},
      {u"1.2.3.\u0664", false}, {u"1\u30022.3.4", false},   {u"1234.1.1.1", false},     {u"evil.example", false},
  };
  for (const TextCase& c : cases) EXPECT_EQ(IsPlainDottedQuad(c.text), c.accepted) << Narrow(c.text);
}

TEST(IsDecimalPortTest, DecimalFromZeroTo65535) {
  const TextCase cases[] = {
      {u"80", true},     {u"0", true},      {u"65535", true}, {u"8080", true},  {u"080", true},
      {u"80x", false},   {u"65536", false}, {u"-1", false},   {u"", false},     {u" 80", false},
      {u"80 ", false},   {u"+80", false},   {u"4294967295", false}, {u"000080", false}, {u"80/x", false},
      {u"99999", false},
  };
  for (const TextCase& c : cases) EXPECT_EQ(IsDecimalPort(c.text), c.accepted) << Narrow(c.text);
}

TEST(DeviceWebAddressTest, ExactlyHttpHostColonPort) {
  EXPECT_EQ(DeviceWebAddress(u"192.168.1.64", u"80"), u"http://192.168.1.64:80");
  EXPECT_EQ(DeviceWebAddress(u"10.20.30.40", u"0"), u"http://10.20.30.40:0");
  EXPECT_EQ(DeviceWebAddress(u"172.16.5.9", u"65535"), u"http://172.16.5.9:65535");
}

TEST(DeviceWebAddressTest, EitherTextFailingOpensNothing) {
  EXPECT_EQ(DeviceWebAddress(u"1.2.3.4/evil", u"80"), std::nullopt);
  EXPECT_EQ(DeviceWebAddress(u"1.2.3.4:80@x", u"80"), std::nullopt);
  EXPECT_EQ(DeviceWebAddress(u"192.168.1.64", u"-1"), std::nullopt);
  EXPECT_EQ(DeviceWebAddress(u"192.168.1.64", u"80@evil"), std::nullopt);
  EXPECT_EQ(DeviceWebAddress(u"", u""), std::nullopt);
}

}  // namespace
}  // namespace quelvar
