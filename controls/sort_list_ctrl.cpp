// Sortable list: rows with kept texts, numeric address sort, renumbering, widths from the profile.
#include "controls/sort_list_ctrl.h"

#include "framework/application.h"
#include "operations/ip_text.h"

namespace quelvar {
namespace {

constexpr int kDeviceColumnCount = 9;

const std::wstring& TextOf(LPARAM record, int column) {
  static const std::wstring empty;
  const auto* row = reinterpret_cast<const RowData*>(record);
  if (row == nullptr || column < 0 || static_cast<std::size_t>(column) >= row->texts.size()) return empty;
  return row->texts[static_cast<std::size_t>(column)];
}

}  // namespace

int CSortListCtrl::CompareTexts(int column, bool ascending, const std::wstring& first, const std::wstring& second) {
  const std::wstring& left = ascending ? first : second;
  const std::wstring& right = ascending ? second : first;
  if (column == kAddressColumn) {
    const std::uint32_t a = IpTextToDword(std::wstring_view(left));
    const std::uint32_t b = IpTextToDword(std::wstring_view(right));
    return a < b ? -1 : (a > b ? 1 : 0);
  }
  return ::lstrcmpW(left.c_str(), right.c_str());
}

void CSortListCtrl::PreSubclassWindow() { m_header.SubclassWindow(GetHeader()); }

void CSortListCtrl::SetUpColumns() {
  m_columnCount = kDeviceColumnCount;
  const std::optional<std::vector<std::uint8_t>> widths =
      GetProfileBinary(L"ListCtrls", std::to_wstring(::GetDlgCtrlID(hwnd())));
  if (!widths || widths->empty()) return;
  m_header.LoadColumnWidths(widths->data(), widths->size());
  ::InvalidateRect(m_header.hwnd(), nullptr, TRUE);
}

int CSortListCtrl::AddRow(std::span<const std::wstring_view> texts) {
  const auto textAt = [&texts](int column) {
    return static_cast<std::size_t>(column) < texts.size() ? std::wstring(texts[static_cast<std::size_t>(column)])
                                                           : std::wstring();
  };
  auto* record = new RowData;
  record->texts.reserve(static_cast<std::size_t>(m_columnCount));
  record->texts.push_back(textAt(0));

  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = GetItemCount();
  item.pszText = record->texts[0].data();
  const int row = static_cast<int>(Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (row < 0) {
    delete record;
    return row;
  }

  for (int column = 1; column < m_columnCount; ++column) {
    record->texts.push_back(textAt(column));
    LVITEMW cell{};
    cell.mask = LVIF_TEXT;
    cell.iItem = row;
    cell.iSubItem = column;
    cell.pszText = record->texts.back().data();
    Send(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&cell));
  }
  SetItemData(row, reinterpret_cast<LPARAM>(record));
  return row;
}

void CSortListCtrl::FreeRowData() {
  for (int row = 0; row < GetItemCount(); ++row) {
    delete GetRowData(row);
    SetItemData(row, 0);
  }
}

BOOL CSortListCtrl::RemoveAllRows() {
  FreeRowData();
  return static_cast<BOOL>(Send(LVM_DELETEALLITEMS));
}

Handled CSortListCtrl::OnDestroy() {
  FreeRowData();
  return kNotHandled;
}

Handled CSortListCtrl::OnReflectedNotify(NMHDR& header) {
  if (header.code != LVN_COLUMNCLICK) return kNotHandled;
  OnColumnClick(reinterpret_cast<NMLISTVIEW&>(header).iSubItem);
  return 0;
}

void CSortListCtrl::OnColumnClick(int column) {
  if (column == 0) return;  // the row numbers do not sort
  const BOOL ascending = column == m_sortColumn ? !m_sortAscending : TRUE;
  m_sortColumn = column;
  m_sortAscending = ascending;
  m_header.SetSortMark(column, ascending);
  Send(LVM_SORTITEMS, reinterpret_cast<WPARAM>(this), reinterpret_cast<LPARAM>(&CSortListCtrl::CompareRows));

  for (int row = 0; row < GetItemCount(); ++row) {
    const std::wstring number = std::to_wstring(row + 1);
    if (!SetItemText(row, 0, number)) continue;
    if (RowData* record = GetRowData(row); record != nullptr && !record->texts.empty()) record->texts[0] = number;
  }
}

int CALLBACK CSortListCtrl::CompareRows(LPARAM first, LPARAM second, LPARAM list) {
  const auto* self = reinterpret_cast<const CSortListCtrl*>(list);
  const int column = self->m_sortColumn;
  return CompareTexts(column, self->m_sortAscending != FALSE, TextOf(first, column), TextOf(second, column));
}

}  // namespace quelvar
