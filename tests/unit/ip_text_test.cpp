// Address text conversion, the whole table of texts a list cell may hold.
#include <gtest/gtest.h>

#include <string>

#include "discovery/wire_format.h"
#include "operations/ip_text.h"

namespace quelvar {
namespace {

struct IpTextCase {
  std::u16string text;
  const char* expected;
};

class IpTextToDwordTest : public ::testing::TestWithParam<IpTextCase> {};

TEST_P(IpTextToDwordTest, ReadsBackAsDottedOctets) {
  const IpTextCase& c = GetParam();
  EXPECT_STREQ(FormatDottedQuad(IpTextToDword(c.text)).data(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    CellTexts, IpTextToDwordTest,
    ::testing::Values(IpTextCase{u"192.168.1.10", "192.168.1.10"}, IpTextCase{u"255.255.255.0", "255.255.255.0"},
                      IpTextCase{u"", "0.0.0.0"}, IpTextCase{u"abc", "0.0.0.0"}, IpTextCase{u"10", "0.0.0.10"},
                      IpTextCase{u"1.2", "1.0.1.2"}, IpTextCase{u"1.2.3", "1.2.0.1"},
                      IpTextCase{u"1.2.3.4.5", "1.2.3.4"}, IpTextCase{u"256.1.2.3", "0.1.2.3"},
                      IpTextCase{u"-1.0.0.0", "255.0.0.0"}, IpTextCase{u" 7.8.9.10", "7.8.9.10"},
                      IpTextCase{u"1..3.4", "1.0.3.4"}, IpTextCase{u"99999999999.1.1.1", "255.1.1.1"},
                      IpTextCase{u"-99999999999.1.1.1", "0.1.1.1"}, IpTextCase{u"+5.6x.7 .8", "5.6.7.8"},
                      IpTextCase{u".", "0.0.0.0"}, IpTextCase{u"1.2.3.", "1.2.3.0"}));

TEST(IpTextToDwordTest, PutsFirstOctetInTheHighByte) {
  EXPECT_EQ(IpTextToDword(u"192.168.1.10"), 0xC0A8010Au);
}

struct WcstolCase {
  std::u16string text;
  std::int32_t expected;
};

TEST(ParseDecimalLikeWcstolTest, SignsBlanksAndClamping) {
  const WcstolCase cases[] = {
      {u"", 0},           {u"  42", 42},        {u"\t-7", -7},        {u"+3abc", 3},
      {u"- 3", 0},        {u"2147483647", 2147483647}, {u"2147483648", 2147483647},
      {u"-2147483648", -2147483647 - 1},        {u"-2147483649", -2147483647 - 1},
      {u"000123", 123},   {u"12 34", 12},
  };
  for (const WcstolCase& c : cases) {
    EXPECT_EQ(ParseDecimalLikeWcstol(c.text), c.expected) << std::string(c.text.begin(), c.text.end());
  }
}

}  // namespace
}  // namespace quelvar
