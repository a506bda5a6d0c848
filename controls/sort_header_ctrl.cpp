// Sort header: marks, width record and the owner-drawn face with its two-pen arrow.
#include "controls/sort_header_ctrl.h"

#include "framework/scoped_win.h"

namespace quelvar {
namespace {

constexpr std::size_t kFieldSize = 4;
constexpr std::size_t kTextCapacity = 255;

void AppendLittleEndian32(std::int32_t value, std::vector<std::uint8_t>& out) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(bits >> shift));
}

std::int32_t ReadLittleEndian32(const std::uint8_t* at) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
                                   static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24);
}

void Line(HDC dc, int fromX, int fromY, int toX, int toY) {
  ::MoveToEx(dc, fromX, fromY, nullptr);
  ::LineTo(dc, toX, toY);
}

}  // namespace

void BuildColumnWidthRecord(std::span<const std::int32_t> widths, std::vector<std::uint8_t>& out) {
  out.clear();
  AppendLittleEndian32(static_cast<std::int32_t>(widths.size()), out);
  for (const std::int32_t width : widths) AppendLittleEndian32(width, out);
}

std::optional<std::vector<std::int32_t>> ParseColumnWidthRecord(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size < kFieldSize) return std::nullopt;
  const std::int32_t count = ReadLittleEndian32(data);
  if (count < 0 || (size - kFieldSize) / kFieldSize < static_cast<std::size_t>(count)) return std::nullopt;
  std::vector<std::int32_t> widths(static_cast<std::size_t>(count));
  for (std::size_t i = 0; i < widths.size(); ++i) widths[i] = ReadLittleEndian32(data + kFieldSize * (i + 1));
  return widths;
}

RECT HeaderTextRect(const RECT& item, UINT itemState, bool sorted) {
  const int quarter = (item.bottom - item.top) / 4;
  RECT text = item;
  if (itemState == ODS_SELECTED) {
    text.left += 1;
    text.top += 2;
    text.right += 1;
  }
  if (sorted) text.right -= 3 * quarter;
  text.left += quarter;
  text.right -= quarter;
  return text;
}

UINT HeaderTextFormat(int itemFormat) {
  constexpr UINT kAlways = DT_SINGLELINE | DT_VCENTER | DT_NOCLIP | DT_NOPREFIX | DT_END_ELLIPSIS;
  if (itemFormat & HDF_CENTER) return kAlways | DT_CENTER;
  if (itemFormat & HDF_RIGHT) return kAlways | DT_RIGHT;
  return kAlways;
}

void CSortHeaderCtrl::SetSortMark(int column, BOOL ascending) {
  m_sortColumn = column;
  m_sortAscending = ascending;
  for (int i = 0; i < GetItemCount(); ++i) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    GetItem(i, item);
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    SetItem(i, item);
  }
  HDITEMW marked{};
  marked.mask = HDI_FORMAT;
  GetItem(column, marked);
  marked.fmt |= ascending ? HDF_SORTUP : HDF_SORTDOWN;
  SetItem(column, marked);
  ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void CSortHeaderCtrl::StoreColumnWidths(std::vector<std::uint8_t>& record) const {
  record.clear();
  const int count = GetItemCount();
  if (count < 0) return;
  std::vector<std::int32_t> widths(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    HDITEMW item{};
    item.mask = HDI_WIDTH;
    GetItem(i, item);
    widths[static_cast<std::size_t>(i)] = item.cxy;
  }
  BuildColumnWidthRecord(widths, record);
}

void CSortHeaderCtrl::LoadColumnWidths(const std::uint8_t* data, std::size_t size) const {
  const std::optional<std::vector<std::int32_t>> widths = ParseColumnWidthRecord(data, size);
  if (!widths || widths->size() != static_cast<std::size_t>(GetItemCount())) return;
  for (std::size_t i = 0; i < widths->size(); ++i) {
    HDITEMW item{};
    item.mask = HDI_WIDTH;
    item.cxy = (*widths)[i];
    SetItem(static_cast<int>(i), item);
  }
}

Handled CSortHeaderCtrl::OnReflectedDrawItem(DRAWITEMSTRUCT& item) {
  DrawItem(item);
  return TRUE;
}

void CSortHeaderCtrl::DrawItem(const DRAWITEMSTRUCT& item) {
  const HDC dc = item.hDC;
  const RECT& bounds = item.rcItem;
  const int right = bounds.right;
  const int bottom = bounds.bottom;
  const int o = (bounds.bottom - bounds.top) / 4;
  const bool sorted = static_cast<int>(item.itemID) == m_sortColumn;

  SavedDCState savedState(dc);
  {
    ScopedRegion clip(::CreateRectRgnIndirect(&bounds));
    ::SelectClipRgn(dc, clip.get());
  }
  ScopedBrush face(::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE)));
  ::FillRect(dc, &bounds, face.get());

  wchar_t text[kTextCapacity] = {};
  HDITEMW header{};
  header.mask = HDI_TEXT | HDI_FORMAT;
  header.pszText = text;
  header.cchTextMax = static_cast<int>(kTextCapacity);
  GetItem(static_cast<int>(item.itemID), header);

  RECT textRect = HeaderTextRect(bounds, item.itemState, sorted);
  if (textRect.left < textRect.right) ::DrawTextW(dc, text, -1, &textRect, HeaderTextFormat(header.fmt));

  if (!sorted) return;
  ScopedPen light(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNHIGHLIGHT)));
  ScopedPen dark(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW)));
  const HGDIOBJ previousPen = ::SelectObject(dc, light.get());
  // The arrow keeps to the rectangle as handed in, so it stays put while the item is pressed.
  if (m_sortAscending) {
    Line(dc, right - 2 * o, o, right - o, bottom - o - 1);
    ::LineTo(dc, right - 3 * o - 2, bottom - o - 1);
    ::SelectObject(dc, dark.get());
    Line(dc, right - 3 * o - 1, bottom - o - 1, right - 2 * o, o - 1);
  } else {
    Line(dc, right - o - 1, o, right - 2 * o - 1, bottom - o);
    ::SelectObject(dc, dark.get());
    Line(dc, right - 2 * o - 2, bottom - o, right - 3 * o - 1, o);
    ::LineTo(dc, right - o - 1, o);
  }
  ::SelectObject(dc, previousPen);
}

}  // namespace quelvar
