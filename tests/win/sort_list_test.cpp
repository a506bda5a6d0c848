// The sortable list and its header on the real common-controls list view, driven by header clicks.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "controls/sort_list_ctrl.h"
#include "framework/application.h"
#include "tests/win/allocation_counter.h"
#include "tests/win/window_test_support.h"

namespace quelvar {
namespace {

using testing::ClickHeaderItem;
using testing::CreateChild;
using testing::RecordingParent;

constexpr int kColumns = 9;
constexpr int kListId = 1000;
constexpr int kMacColumn = 5;
using Row = std::array<const wchar_t*, kColumns>;

// Three devices in discovery order; their MACs name them in the checks below.
const Row kGate = {L"1", L"IPCAMERA", L"Gate", L"192.168.1.100", L"255.255.255.0", L"00:00:00:00:00:01",
                   L"80", L"554", L"1"};
const Row kYard = {L"2", L"DVS", L"Yard", L"10.0.0.5", L"255.255.0.0", L"00:00:00:00:00:02", L"8080", L"554", L"16"};
const Row kHall = {L"3", L"NVR", L"Hall", L"192.168.1.20", L"255.255.255.0", L"00:00:00:00:00:03", L"443",
                   L"8554", L"4"};

std::wstring EncodeProfileBinary(const std::vector<std::uint8_t>& bytes) {
  std::wstring text;
  for (const std::uint8_t byte : bytes) {
    text.push_back(static_cast<wchar_t>(L'A' + (byte & 0x0F)));
    text.push_back(static_cast<wchar_t>(L'A' + (byte >> 4)));
  }
  return text;
}

class SortListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(list.SubclassWindow(CreateChild(parent, WC_LISTVIEWW, LVS_REPORT | LVS_SHOWSELALWAYS, kListId)));
    ASSERT_NE(list.m_header.hwnd(), nullptr);
    const wchar_t* titles[kColumns] = {L"Index", L"Model",     L"Device Name", L"IP address", L"Subnet Mask",
                                       L"MAC",   L"HTTP Port", L"RTSP Port",   L"Channels"};
    for (int column = 0; column < kColumns; ++column) list.InsertColumn(column, titles[column], LVCFMT_LEFT, 80);
    list.SetUpColumns();
  }

  void Add(const Row& row) { list.AddRow(row[0], row[1], row[2], row[3], row[4], row[5], row[6], row[7], row[8]); }

  void AddThreeDevices() {
    for (const Row* row : {&kGate, &kYard, &kHall}) Add(*row);
  }

  std::vector<std::wstring> Shown(int column) const {
    std::vector<std::wstring> texts;
    for (int row = 0; row < list.GetItemCount(); ++row) texts.push_back(list.GetItemText(row, column));
    return texts;
  }

  int HeaderFormat(int item) const {
    HDITEMW header{};
    header.mask = HDI_FORMAT;
    list.m_header.GetItem(item, header);
    return header.fmt;
  }

  int SortFlags(int item) const { return HeaderFormat(item) & (HDF_SORTUP | HDF_SORTDOWN); }

  void Click(int column) { ClickHeaderItem(list.m_header.hwnd(), column); }

  // Declared first so the parent window, and with it the list window, goes before the list object.
  CSortListCtrl list;
  RecordingParent parent;
};

TEST_F(SortListTest, AddressColumnSortsByValueAndEachClickTurnsTheOrder) {
  AddThreeDevices();
  const std::vector<std::wstring> ascending = {L"10.0.0.5", L"192.168.1.20", L"192.168.1.100"};
  const std::vector<std::wstring> descending = {L"192.168.1.100", L"192.168.1.20", L"10.0.0.5"};

  Click(3);
  EXPECT_EQ(Shown(3), ascending);
  EXPECT_EQ(SortFlags(3), HDF_SORTUP);
  Click(3);
  EXPECT_EQ(Shown(3), descending);
  EXPECT_EQ(SortFlags(3), HDF_SORTDOWN);
  Click(3);
  EXPECT_EQ(Shown(3), ascending);
  EXPECT_EQ(SortFlags(3), HDF_SORTUP);
}

struct TextSortCase {
  int column;
  std::vector<std::wstring> ascending;
};

class TextSortTest : public SortListTest, public ::testing::WithParamInterface<TextSortCase> {};

TEST_P(TextSortTest, OtherColumnsSortAsTextEvenWhereTheyHoldNumbers) {
  AddThreeDevices();
  Click(GetParam().column);
  EXPECT_EQ(Shown(GetParam().column), GetParam().ascending);
}

INSTANTIATE_TEST_SUITE_P(
    Columns, TextSortTest,
    ::testing::Values(TextSortCase{6, {L"443", L"80", L"8080"}},
                      TextSortCase{4, {L"255.255.0.0", L"255.255.255.0", L"255.255.255.0"}},
                      TextSortCase{8, {L"1", L"16", L"4"}}, TextSortCase{1, {L"DVS", L"IPCAMERA", L"NVR"}}));

TEST_F(SortListTest, SortRenumbersTheIndexColumnAndItsKeptCopies) {
  AddThreeDevices();
  Click(3);

  EXPECT_EQ(Shown(0), (std::vector<std::wstring>{L"1", L"2", L"3"}));
  EXPECT_EQ(Shown(kMacColumn),
            (std::vector<std::wstring>{L"00:00:00:00:00:02", L"00:00:00:00:00:03", L"00:00:00:00:00:01"}));
  for (int row = 0; row < list.GetItemCount(); ++row) {
    const RowData* record = list.GetRowData(row);
    ASSERT_NE(record, nullptr);
    ASSERT_EQ(record->texts.size(), static_cast<std::size_t>(kColumns));
    for (int column = 0; column < kColumns; ++column) {
      EXPECT_EQ(record->texts[static_cast<std::size_t>(column)], list.GetItemText(row, column))
          << "row " << row << " column " << column;
    }
  }
}

TEST_F(SortListTest, ClickOnTheIndexColumnChangesNothing) {
  AddThreeDevices();
  Click(3);
  Click(3);
  std::vector<std::vector<std::wstring>> cellsBefore;
  std::vector<int> formatsBefore;
  for (int column = 0; column < kColumns; ++column) {
    cellsBefore.push_back(Shown(column));
    formatsBefore.push_back(HeaderFormat(column));
  }

  Click(0);

  for (int column = 0; column < kColumns; ++column) {
    EXPECT_EQ(Shown(column), cellsBefore[static_cast<std::size_t>(column)]);
    EXPECT_EQ(HeaderFormat(column), formatsBefore[static_cast<std::size_t>(column)]);
  }
  EXPECT_EQ(list.m_sortColumn, 3);
  EXPECT_EQ(list.m_sortAscending, FALSE);
}

TEST_F(SortListTest, TheListHandlesItsOwnColumnClicks) {
  AddThreeDevices();
  parent.log.clear();
  Click(3);
  Click(0);
  const std::wstring columnClick = L"parent notify " + std::to_wstring(kListId) + L" " +
                                   std::to_wstring(static_cast<int>(LVN_COLUMNCLICK));
  EXPECT_EQ(std::count(parent.log.begin(), parent.log.end(), columnClick), 0);
}

TEST_F(SortListTest, AnotherColumnAfterADescendingSortStartsAscending) {
  AddThreeDevices();
  Click(3);
  Click(3);

  Click(6);

  EXPECT_EQ(Shown(6), (std::vector<std::wstring>{L"443", L"80", L"8080"}));
  EXPECT_EQ(list.m_sortAscending, TRUE);
  EXPECT_EQ(SortFlags(6), HDF_SORTUP);
  EXPECT_EQ(SortFlags(3), 0);
}

TEST_F(SortListTest, ClickOnAnEmptyListMovesTheMarkAndTheStateOnly) {
  Click(3);
  Click(2);

  EXPECT_EQ(list.GetItemCount(), 0);
  EXPECT_EQ(list.m_sortColumn, 2);
  EXPECT_EQ(list.m_sortAscending, TRUE);
  EXPECT_EQ(list.m_header.m_sortColumn, 2);
  EXPECT_EQ(SortFlags(2), HDF_SORTUP);
  EXPECT_EQ(SortFlags(3), 0);
}

TEST_F(SortListTest, AfterRemoveAllRowsNewRowsKeepTheirOrderAndNumbersUnderTheOldMark) {
  AddThreeDevices();
  Click(3);

  EXPECT_TRUE(list.RemoveAllRows());
  Add({L"7", L"NVR", L"b", L"192.168.1.9", L"255.255.255.0", L"00:00:00:00:00:09", L"80", L"554", L"1"});
  Add({L"8", L"DVS", L"a", L"10.0.0.1", L"255.255.255.0", L"00:00:00:00:00:08", L"80", L"554", L"1"});

  EXPECT_EQ(Shown(3), (std::vector<std::wstring>{L"192.168.1.9", L"10.0.0.1"}));
  EXPECT_EQ(Shown(0), (std::vector<std::wstring>{L"7", L"8"}));
  EXPECT_EQ(SortFlags(3), HDF_SORTUP);
  EXPECT_EQ(list.m_sortColumn, 3);
}

TEST_F(SortListTest, UserWordStaysWithItsRowThroughSorts) {
  AddThreeDevices();
  for (int row = 0; row < list.GetItemCount(); ++row) {
    EXPECT_EQ(list.GetRowData(row)->userWord, 0u);
    list.GetRowData(row)->userWord = 0x1000u + static_cast<std::uint32_t>(row);  // Gate, Yard, Hall
  }
  const std::wstring macToWord[] = {L"00:00:00:00:00:01", L"00:00:00:00:00:02", L"00:00:00:00:00:03"};

  for (const int column : {3, 3, 6, 2, 8, 8}) {
    Click(column);
    for (int row = 0; row < list.GetItemCount(); ++row) {
      const std::uint32_t word = list.GetRowData(row)->userWord;
      ASSERT_GE(word, 0x1000u);
      ASSERT_LT(word, 0x1003u);
      EXPECT_EQ(list.GetItemText(row, kMacColumn), macToWord[word - 0x1000u]) << "after a click on " << column;
    }
  }
}

TEST_F(SortListTest, AddRowAppendsAtTheEndEvenWhileSortedAndReturnsTheIndex) {
  AddThreeDevices();
  Click(3);
  EXPECT_EQ(list.AddRow(L"4", L"DVS", L"Dock", L"1.1.1.1", L"255.0.0.0", L"00:00:00:00:00:04", L"80", L"554", L"2"),
            3);
  EXPECT_EQ(list.GetItemText(3, 3), L"1.1.1.1");
  EXPECT_EQ(list.GetItemText(3, 0), L"4");
}

TEST_F(SortListTest, RemoveAllRowsFreesEveryRecord) {
  parent.recording = false;
  Add(kGate);
  list.RemoveAllRows();  // the first row may leave one-time allocations behind
  const std::int64_t before = testing::LiveBytesOnThisThread();

  AddThreeDevices();
  const std::int64_t withRows = testing::LiveBytesOnThisThread();
  list.RemoveAllRows();
  const std::int64_t after = testing::LiveBytesOnThisThread();

  EXPECT_GT(withRows, before);
  EXPECT_EQ(after, before);
  EXPECT_EQ(list.GetItemCount(), 0);
}

TEST_F(SortListTest, DestroyingTheWindowFreesEveryRecord) {
  parent.recording = false;
  Add(kGate);
  list.RemoveAllRows();
  const std::int64_t before = testing::LiveBytesOnThisThread();
  AddThreeDevices();
  Click(3);

  ::DestroyWindow(list.hwnd());
  const std::int64_t after = testing::LiveBytesOnThisThread();

  // Destroying also lets go of the list's and its header's bindings, made before `before`; a leaked
  // record would still leave more live bytes than there were.
  EXPECT_LE(after, before);
  EXPECT_EQ(list.hwnd(), nullptr);
}

// The profile entry "ListCtrls" / "<control id>", removed again afterwards.
class ListWidthsEntry {
 public:
  explicit ListWidthsEntry(const std::vector<std::int32_t>& widths) {
    std::vector<std::uint8_t> record;
    BuildColumnWidthRecord(widths, record);
    ::WritePrivateProfileStringW(L"ListCtrls", std::to_wstring(kListId).c_str(), EncodeProfileBinary(record).c_str(),
                                 ProfileFileName().c_str());
  }
  ~ListWidthsEntry() { ::WritePrivateProfileStringW(L"ListCtrls", nullptr, nullptr, ProfileFileName().c_str()); }
};

std::vector<int> ColumnWidths(const CSortListCtrl& list) {
  std::vector<int> widths;
  for (int column = 0; column < kColumns; ++column) {
    widths.push_back(static_cast<int>(list.Send(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column))));
  }
  return widths;
}

TEST_F(SortListTest, SetUpColumnsAppliesProfileWidthsWhenTheCountMatches) {
  ListWidthsEntry entry({31, 32, 33, 34, 35, 36, 37, 38, 39});
  list.SetUpColumns();
  EXPECT_EQ(ColumnWidths(list), (std::vector<int>{31, 32, 33, 34, 35, 36, 37, 38, 39}));
  EXPECT_EQ(list.m_columnCount, 9);
}

TEST_F(SortListTest, SetUpColumnsIgnoresAProfileEntryOfAnotherCount) {
  for (const std::vector<std::int32_t>& widths :
       {std::vector<std::int32_t>{31, 32, 33, 34, 35, 36, 37, 38}, std::vector<std::int32_t>(10, 40)}) {
    ListWidthsEntry entry(widths);
    list.SetUpColumns();
    EXPECT_EQ(ColumnWidths(list), std::vector<int>(kColumns, 80)) << widths.size() << " widths";
  }
}

}  // namespace
}  // namespace quelvar
