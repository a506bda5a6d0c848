// The sort header on the real common-controls header: marks, the width record, owner-drawn items.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "controls/sort_header_ctrl.h"
#include "framework/scoped_win.h"
#include "tests/win/window_test_support.h"

namespace quelvar {
namespace {

using testing::CreateChild;
using testing::RecordingParent;

constexpr int kItems = 9;

// A header of its own inside the recording parent, with every third item centred or right-aligned.
class SortHeaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(header.SubclassWindow(CreateChild(parent, WC_HEADERW, HDS_BUTTONS | HDS_HORZ, 77, L"", 900, 24)));
    for (int i = 0; i < kItems; ++i) {
      std::wstring text = L"Column " + std::to_wstring(i);
      HDITEMW item{};
      item.mask = HDI_TEXT | HDI_FORMAT | HDI_WIDTH;
      item.pszText = text.data();
      item.cxy = 60 + i;
      item.fmt = HDF_STRING | (i % 3 == 1 ? HDF_CENTER : (i % 3 == 2 ? HDF_RIGHT : HDF_LEFT));
      header.Send(HDM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
  }

  int Format(int index) const {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    header.GetItem(index, item);
    return item.fmt;
  }

  int Width(int index) const {
    HDITEMW item{};
    item.mask = HDI_WIDTH;
    header.GetItem(index, item);
    return item.cxy;
  }

  std::vector<int> Widths() const {
    std::vector<int> widths;
    for (int i = 0; i < header.GetItemCount(); ++i) widths.push_back(Width(i));
    return widths;
  }

  CSortHeaderCtrl header;
  RecordingParent parent;
};

TEST_F(SortHeaderTest, OneItemCarriesTheMarkAndAlignmentBitsStay) {
  std::vector<int> alignment;
  for (int i = 0; i < kItems; ++i) alignment.push_back(Format(i) & HDF_JUSTIFYMASK);

  header.SetSortMark(5, FALSE);
  EXPECT_EQ(Format(5) & (HDF_SORTUP | HDF_SORTDOWN), HDF_SORTDOWN);
  header.SetSortMark(3, TRUE);

  for (int i = 0; i < kItems; ++i) {
    const int expected = i == 3 ? HDF_SORTUP : 0;
    EXPECT_EQ(Format(i) & (HDF_SORTUP | HDF_SORTDOWN), expected) << "item " << i;
    EXPECT_EQ(Format(i) & HDF_JUSTIFYMASK, alignment[static_cast<std::size_t>(i)]) << "item " << i;
  }
  EXPECT_EQ(header.m_sortColumn, 3);
  EXPECT_EQ(header.m_sortAscending, TRUE);
}

TEST_F(SortHeaderTest, NineItemsStoreAFortyByteRecord) {
  std::vector<std::uint8_t> record;
  header.StoreColumnWidths(record);

  const std::vector<std::uint8_t> expected = {9, 0, 0, 0,  60, 0, 0, 0, 61, 0, 0, 0, 62, 0, 0, 0, 63, 0, 0, 0,
                                              64, 0, 0, 0, 65, 0, 0, 0, 66, 0, 0, 0, 67, 0, 0, 0, 68, 0, 0, 0};
  EXPECT_EQ(record, expected);
}

TEST_F(SortHeaderTest, AStoredRecordRestoresTheWidths) {
  std::vector<std::uint8_t> record;
  header.StoreColumnWidths(record);
  for (int i = 0; i < kItems; ++i) {
    HDITEMW item{};
    item.mask = HDI_WIDTH;
    item.cxy = 10;
    header.SetItem(i, item);
  }

  header.LoadColumnWidths(record.data(), record.size());

  EXPECT_EQ(Widths(), (std::vector<int>{60, 61, 62, 63, 64, 65, 66, 67, 68}));
}

struct RecordCase {
  const char* name;
  std::vector<std::uint8_t> record;
};

class RejectedRecordTest : public SortHeaderTest, public ::testing::WithParamInterface<RecordCase> {};

TEST_P(RejectedRecordTest, ChangesNoWidth) {
  const std::vector<int> before = Widths();
  header.LoadColumnWidths(GetParam().record.data(), GetParam().record.size());
  EXPECT_EQ(Widths(), before);
}

std::vector<std::uint8_t> Record(const std::vector<std::int32_t>& widths) {
  std::vector<std::uint8_t> record;
  BuildColumnWidthRecord(widths, record);
  return record;
}

std::vector<std::uint8_t> CutBy(std::vector<std::uint8_t> record, std::size_t bytes) {
  record.resize(record.size() - bytes);
  return record;
}

INSTANTIATE_TEST_SUITE_P(
    Records, RejectedRecordTest,
    ::testing::Values(RecordCase{"OneItemLess", Record(std::vector<std::int32_t>(8, 20))},
                      RecordCase{"OneItemMore", Record(std::vector<std::int32_t>(10, 20))},
                      RecordCase{"ShorterThanItsCount", CutBy(Record(std::vector<std::int32_t>(9, 20)), 4)},
                      RecordCase{"NoCount", {9, 0}}, RecordCase{"Empty", {}}),
    [](const ::testing::TestParamInfo<RecordCase>& info) { return info.param.name; });

TEST(ColumnWidthRecordTest, NegativeCountIsNoRecord) {
  const std::vector<std::uint8_t> record = {0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(ParseColumnWidthRecord(record.data(), record.size()), std::nullopt);
}

TEST(ColumnWidthRecordTest, ReadsSignedLittleEndianWidths) {
  const std::vector<std::uint8_t> record = {2, 0, 0, 0, 0x2C, 0x01, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(ParseColumnWidthRecord(record.data(), record.size()), (std::vector<std::int32_t>{300, -2}));
}

// Owner-drawn items painted into a bitmap whose pixels can be read back.
class HeaderPaintTest : public SortHeaderTest {
 protected:
  static constexpr int kWidth = 120;
  static constexpr int kHeight = 20;  // a quarter of it, o, is 5
  static constexpr COLORREF kTextColour = RGB(255, 0, 0);

  struct Canvas {
    ScopedMemoryDC dc{::CreateCompatibleDC(nullptr)};
    ScopedBitmap bitmap;
    std::uint32_t* pixels = nullptr;
  };

  void Paint(int index, const RECT& item, UINT state) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    canvas_.bitmap.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    canvas_.pixels = static_cast<std::uint32_t*>(bits);
    SelectedObject selected(canvas_.dc.get(), canvas_.bitmap.get());
    ::SetTextColor(canvas_.dc.get(), kTextColour);
    ::SetBkMode(canvas_.dc.get(), TRANSPARENT);

    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_HEADER;
    draw.itemID = static_cast<UINT>(index);
    draw.itemState = state;
    draw.hDC = canvas_.dc.get();
    draw.rcItem = item;
    header.DrawItem(draw);
    ::GdiFlush();
  }

  COLORREF At(int x, int y) const {
    const std::uint32_t bgr = canvas_.pixels[y * kWidth + x];
    return RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
  }

  // Text pixels are reddish; the face and the arrow are grey.
  bool IsText(int x, int y) const {
    const COLORREF c = At(x, y);
    return GetRValue(c) > GetGValue(c) + 40;
  }

  // The smallest rectangle around all text pixels, or nothing.
  std::optional<RECT> TextBounds() const {
    std::optional<RECT> bounds;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        if (!IsText(x, y)) continue;
        if (!bounds) bounds = RECT{x, y, x + 1, y + 1};
        bounds->left = std::min<LONG>(bounds->left, x);
        bounds->top = std::min<LONG>(bounds->top, y);
        bounds->right = std::max<LONG>(bounds->right, x + 1);
        bounds->bottom = std::max<LONG>(bounds->bottom, y + 1);
      }
    }
    return bounds;
  }

  void SetText(int index, const wchar_t* text) {
    std::wstring copy(text);
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = copy.data();
    header.SetItem(index, item);
  }

  Canvas canvas_;
};

TEST_F(HeaderPaintTest, SortedItemLeavesRoomForTheArrowAndDrawsItWithTwoPens) {
  SetText(0, L"WWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");
  header.m_sortColumn = 0;
  header.m_sortAscending = TRUE;
  Paint(0, RECT{0, 0, 100, kHeight}, 0);

  const std::optional<RECT> text = TextBounds();
  ASSERT_TRUE(text.has_value());
  EXPECT_GE(text->left, 5);    // o
  EXPECT_LE(text->right, 80);  // R - 4o
  // Ascending: the light right side starts at (R - 2o, o), the dark left side at (R - 3o - 1, B - o - 1).
  EXPECT_EQ(At(90, 5), ::GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(At(84, 14), ::GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(At(2, 2), ::GetSysColor(COLOR_BTNFACE));
}

TEST_F(HeaderPaintTest, DescendingArrowHasALightRightSideAndADarkTop) {
  header.m_sortColumn = 0;
  header.m_sortAscending = FALSE;
  Paint(0, RECT{0, 0, 100, kHeight}, 0);

  EXPECT_EQ(At(94, 5), ::GetSysColor(COLOR_BTNHIGHLIGHT));  // light from (R - o - 1, o)
  EXPECT_EQ(At(89, 15), ::GetSysColor(COLOR_BTNFACE));      // to (R - 2o - 1, B - o), end point left out
  EXPECT_EQ(At(88, 15), ::GetSysColor(COLOR_BTNSHADOW));    // dark from (R - 2o - 2, B - o)
  EXPECT_EQ(At(84, 5), ::GetSysColor(COLOR_BTNSHADOW));     // through (R - 3o - 1, o) along the top
  EXPECT_EQ(At(93, 5), ::GetSysColor(COLOR_BTNSHADOW));
}

TEST_F(HeaderPaintTest, UnsortedItemUsesTheWholeWidthLessTheMargins) {
  SetText(0, L"WWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");
  header.m_sortColumn = 4;
  Paint(0, RECT{0, 0, 100, kHeight}, 0);

  const std::optional<RECT> text = TextBounds();
  ASSERT_TRUE(text.has_value());
  EXPECT_GT(text->right, 80);
  EXPECT_LE(text->right, 95);
  EXPECT_EQ(At(90, 5), ::GetSysColor(COLOR_BTNFACE));
}

TEST_F(HeaderPaintTest, NarrowSortedItemDrawsTheArrowButNoText) {
  header.m_sortColumn = 0;
  Paint(0, RECT{0, 0, 25, kHeight}, 0);

  EXPECT_FALSE(TextBounds().has_value());
  EXPECT_EQ(At(15, 5), ::GetSysColor(COLOR_BTNHIGHLIGHT));  // R - 2o
}

TEST_F(HeaderPaintTest, PressedItemMovesItsTextButNotItsArrow) {
  SetText(0, L"Ab");
  header.m_sortColumn = 0;
  Paint(0, RECT{0, 0, 100, kHeight}, 0);
  const std::optional<RECT> resting = TextBounds();
  std::vector<COLORREF> restingArrow;
  for (int x = 80; x < 100; ++x) {
    for (int y = 0; y < kHeight; ++y) restingArrow.push_back(At(x, y));
  }

  Paint(0, RECT{0, 0, 100, kHeight}, ODS_SELECTED);
  const std::optional<RECT> pressed = TextBounds();
  std::vector<COLORREF> pressedArrow;
  for (int x = 80; x < 100; ++x) {
    for (int y = 0; y < kHeight; ++y) pressedArrow.push_back(At(x, y));
  }

  ASSERT_TRUE(resting.has_value());
  ASSERT_TRUE(pressed.has_value());
  EXPECT_EQ(pressed->left, resting->left + 1);
  EXPECT_EQ(pressed->top, resting->top + 1);  // top two lower, bottom in place: the centre moves by one
  EXPECT_EQ(pressedArrow, restingArrow);
}

TEST_F(HeaderPaintTest, CentredWinsOverRightAligned) {
  EXPECT_EQ(HeaderTextFormat(HDF_CENTER | HDF_RIGHT), 0x8925u);
  EXPECT_EQ(HeaderTextFormat(HDF_RIGHT), 0x8926u);
  EXPECT_EQ(HeaderTextFormat(HDF_LEFT), 0x8924u);
}

// A header that counts the items it was asked to paint.
class CountingHeader : public CSortHeaderCtrl {
 public:
  std::vector<UINT> painted;
  void DrawItem(const DRAWITEMSTRUCT& item) override {
    painted.push_back(item.itemID);
    CSortHeaderCtrl::DrawItem(item);
  }
};

TEST(OwnerDrawnHeaderTest, ThePlatformsDrawItemRequestReachesTheHeaderObjectInsteadOfItsParent) {
  CountingHeader header;
  RecordingParent parent;
  ASSERT_TRUE(header.SubclassWindow(CreateChild(parent, WC_HEADERW, HDS_BUTTONS | HDS_HORZ, 78, L"", 400, 24)));
  for (int i = 0; i < 3; ++i) {
    std::wstring text = L"Item";
    HDITEMW item{};
    item.mask = HDI_TEXT | HDI_FORMAT | HDI_WIDTH;
    item.pszText = text.data();
    item.cxy = 100;
    item.fmt = i == 1 ? HDF_OWNERDRAW : HDF_STRING;
    header.Send(HDM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
  parent.log.clear();

  ::RedrawWindow(header.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);

  ASSERT_FALSE(header.painted.empty());
  EXPECT_EQ(header.painted.front(), 1u);
  EXPECT_EQ(std::count(parent.log.begin(), parent.log.end(), L"parent drawitem 78"), 0);
  ::DestroyWindow(parent.hwnd());
}

}  // namespace
}  // namespace quelvar
