// A reply record turned into the device list's nine cells and packed word, and the soft-mode command line.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

#include "app/device_row.h"
#include "app/qx_scanf_app.h"
#include "tests/win/reply_builder.h"

namespace quelvar {
namespace {

using testing::BuildReply;
using testing::ReplyFields;
using Cells = std::array<std::wstring, kDeviceColumns>;

const Cells kCameraCells = {L"1",   L"IPCAMERA", L"Front door", L"192.168.1.64", L"255.255.255.0", L"00:1A:2B:3C:4D:5E",
                            L"80",  L"554",      L"1"};

struct RowCase {
  const char* name;
  ReplyFields fields;
  // Cells that differ from the camera's, by column.
  std::vector<std::pair<int, std::wstring>> changedCells;
  std::uint32_t packedInfo;
};

ReplyFields With(void (*change)(ReplyFields&)) {
  ReplyFields fields;
  change(fields);
  return fields;
}

class DeviceRowTest : public ::testing::TestWithParam<RowCase> {};

TEST_P(DeviceRowTest, ReplyBecomesTheNineCellsAndThePackedWord) {
  const RowCase& c = GetParam();
  ReplyRecord record = BuildReply(c.fields);

  const std::optional<DeviceRow> row = MakeDeviceRow(record, 1);

  ASSERT_TRUE(row.has_value());
  Cells expected = kCameraCells;
  for (const auto& [column, text] : c.changedCells) expected[static_cast<std::size_t>(column)] = text;
  EXPECT_EQ(row->cells, expected);
  EXPECT_EQ(row->packedInfo, c.packedInfo) << std::hex << row->packedInfo;
}

INSTANTIATE_TEST_SUITE_P(
    Replies, DeviceRowTest,
    ::testing::Values(
        RowCase{"Camera", {}, {}, (554u << 8) | 0x30},
        RowCase{"DvsValueInTheLowBits", With([](ReplyFields& f) { f.model = "DVS"; f.dvsValue = 8; }),
                {{1, L"DVS"}}, (554u << 8) | 0x18},
        RowCase{"DvsValueAbove15SetsKindBitsToo", With([](ReplyFields& f) { f.model = "DVS"; f.dvsValue = 0x25; }),
                {{1, L"DVS"}}, (554u << 8) | 0x35},
        RowCase{"DecoderKeepsNoDvsValue", With([](ReplyFields& f) { f.model = "DECODER"; f.dvsValue = 8; }),
                {{1, L"DECODER"}}, (554u << 8) | 0x40},
        RowCase{"NvrAnywhereInTheModel", With([](ReplyFields& f) { f.model = "X-NVR-8"; }), {{1, L"X-NVR-8"}},
                (554u << 8) | 0x50},
        RowCase{"RtspPortAbove24BitsLosesItsTopByteInThePackedWordOnly",
                With([](ReplyFields& f) { f.rtspPort = 0x12345678; }), {{7, L"305419896"}}, 0x34567830},
        RowCase{"PortsAreSigned", With([](ReplyFields& f) { f.httpPort = 0xFFFFFFFF; f.rtspPort = 0x80000000; }),
                {{6, L"-1"}, {7, L"-2147483648"}}, 0x30},
        RowCase{"MacInUpperCaseHex", With([](ReplyFields& f) { f.mac = {0xAB, 0xCD, 0x0E, 0x00, 0xFF, 0x01}; }),
                {{5, L"AB:CD:0E:00:FF:01"}}, (554u << 8) | 0x30},
        RowCase{"ModelShowsNineBytes", With([](ReplyFields& f) { f.model = "IPCAMERA-P"; }), {{1, L"IPCAMERA-"}},
                (554u << 8) | 0x30},
        // A model text without its NUL runs on into the MAC bytes, where the kind is still looked for.
        RowCase{"KindIsFoundBeyondTheShownModel",
                With([](ReplyFields& f) { f.model = "XXXXXXXXXN"; f.mac = {'V', 'R', 0, 1, 2, 3}; }),
                {{1, L"XXXXXXXXX"}, {5, L"56:52:00:01:02:03"}}, (554u << 8) | 0x50},
        RowCase{"NameShows63Bytes", With([](ReplyFields& f) { f.name = std::string(64, 'n'); }),
                {{2, std::wstring(63, L'n')}}, (554u << 8) | 0x30},
        RowCase{"AddressShows29Bytes", With([](ReplyFields& f) { f.ip = std::string(30, '1'); }),
                {{3, std::wstring(29, L'1')}}, (554u << 8) | 0x30},
        RowCase{"MaskWithoutItsNulRunsOnIntoTheAddress",
                With([](ReplyFields& f) { f.mask = std::string(30, '9'); f.ip = "10.0.0.1"; }),
                {{3, L"10.0.0.1"}, {4, std::wstring(30, L'9') + L"10.0.0.1"}}, (554u << 8) | 0x30},
        RowCase{"ChannelsUnsigned", With([](ReplyFields& f) { f.channels = 200; }), {{8, L"200"}},
                (554u << 8) | 0x30}),
    [](const ::testing::TestParamInfo<RowCase>& info) { return info.param.name; });

TEST(DeviceRowTest, NumbersTheRowAsAsked) {
  ReplyRecord record = BuildReply({});
  EXPECT_EQ(MakeDeviceRow(record, 7)->cells[0], L"7");
}

TEST(DeviceRowTest, ModelOfNoKnownKindGivesNoRow) {
  for (const char* model : {"CAMERA", "dvs", "", "IPCAM", "NV R"}) {
    ReplyFields fields;
    fields.model = model;
    ReplyRecord record = BuildReply(fields);
    EXPECT_FALSE(MakeDeviceRow(record, 1).has_value()) << model;
  }
}

TEST(DeviceRowTest, DeviceNameUsesTheSystemCodePage) {
  if (::GetACP() != 1252) GTEST_SKIP() << "the check is written for code page 1252";
  ReplyFields fields;
  fields.name = "Caf\xE9";
  ReplyRecord record = BuildReply(fields);
  EXPECT_EQ(MakeDeviceRow(record, 1)->cells[2], L"Caf\u00E9");
}

struct CommandLineCase {
  const wchar_t* commandLine;
  const wchar_t* arguments;
  bool softMode;
};

class CommandLineTest : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineTest, SoftModeOnlyForExactlyDashSoft) {
  const std::wstring_view arguments = CommandLineArguments(GetParam().commandLine);
  EXPECT_EQ(arguments, GetParam().arguments);
  EXPECT_EQ(IsSoftModeArgument(arguments), GetParam().softMode);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, CommandLineTest,
    ::testing::Values(CommandLineCase{L"Quelvar.exe -Soft", L"-Soft", true},
                      CommandLineCase{L"Quelvar.exe     -Soft", L"-Soft", true},
                      CommandLineCase{L"Quelvar.exe\t-Soft", L"-Soft", true},
                      CommandLineCase{L"\"C:\\Program Files\\Quelvar.exe\" -Soft", L"-Soft", true},
                      CommandLineCase{L"Quelvar.exe -soft", L"-soft", false},
                      CommandLineCase{L"Quelvar.exe -SOFT", L"-SOFT", false},
                      CommandLineCase{L"Quelvar.exe -Soft ", L"-Soft ", false},
                      CommandLineCase{L"Quelvar.exe /Soft", L"/Soft", false},
                      CommandLineCase{L"Quelvar.exe -Soft -x", L"-Soft -x", false},
                      CommandLineCase{L"Quelvar.exe", L"", false},
                      CommandLineCase{L"\"C:\\Program Files\\Quelvar.exe\"", L"", false}));

}  // namespace
}  // namespace quelvar
