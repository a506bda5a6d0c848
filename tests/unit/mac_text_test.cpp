// MAC texts read back into bytes as "%2x:%2x:%2x:%2x:%2x:%2x" reads them.
#include <gtest/gtest.h>

#include <string>

#include "operations/mac_text.h"

namespace quelvar {
namespace {

struct MacCase {
  std::string text;
  MacAddress bytes;
};

class ParseMacTextTest : public ::testing::TestWithParam<MacCase> {};

TEST_P(ParseMacTextTest, Bytes) {
  EXPECT_EQ(ParseMacText(GetParam().text), GetParam().bytes) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseMacTextTest,
    ::testing::Values(
        MacCase{"00:1A:2B:3C:4D:5E", {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}},
        MacCase{"00:1a:2b:3c:4d:5e", {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}},
        MacCase{"FF:ff:Ab:aB:09:90", {0xFF, 0xFF, 0xAB, 0xAB, 0x09, 0x90}},
        MacCase{"", {0, 0, 0, 0, 0, 0}},
        // Short texts: what was read stays, the rest is 0.
        MacCase{"02:00:5E", {0x02, 0x00, 0x5E, 0, 0, 0}},
        MacCase{"02:00:5E:", {0x02, 0x00, 0x5E, 0, 0, 0}},
        MacCase{"A", {0x0A, 0, 0, 0, 0, 0}},
        // One digit is a whole number; a third digit is not part of it and stops the reading.
        MacCase{"1:2:3:4:5:6", {1, 2, 3, 4, 5, 6}},
        MacCase{"001A:2B:3C:4D:5E:6F", {0x00, 0, 0, 0, 0, 0}},
        // Anything after the sixth number is ignored.
        MacCase{"01:02:03:04:05:06:07", {1, 2, 3, 4, 5, 6}},
        MacCase{"01:02:03:04:05:0607", {1, 2, 3, 4, 5, 6}},
        // Other separators and non-hexadecimal parts stop it.
        MacCase{"01-02-03-04-05-06", {1, 0, 0, 0, 0, 0}},
        MacCase{"01:GG:03:04:05:06", {1, 0, 0, 0, 0, 0}},
        MacCase{"01 :02:03:04:05:06", {1, 0, 0, 0, 0, 0}},
        // Blanks before a number are skipped, as a scanf conversion does; a sign counts in the width.
        MacCase{" 01: 02:\t03:04:05:06", {1, 2, 3, 4, 5, 6}},
        MacCase{"-1:+2:03:04:05:06", {0xFF, 2, 3, 4, 5, 6}},
        MacCase{"-:02", {0, 0, 0, 0, 0, 0}}));

}  // namespace
}  // namespace quelvar
