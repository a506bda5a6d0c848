// The device list: a report list view that keeps its own copy of every row and sorts on a header click.
#pragma once

#include <windows.h>

#include <array>
#include <concepts>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "controls/sort_header_ctrl.h"
#include "framework/common_controls.h"

namespace quelvar {

// One row's record, kept as the row's item data: the texts that the sort compares and a word for the owner.
struct RowData {
  std::vector<std::wstring> texts;  // entry k is the text shown in column k
  std::uint32_t userWord = 0;       // the owner's; the list never reads or changes it
};

class CSortListCtrl : public ListView {
 public:
  // Sort order of two rows' texts for a column: the address column by value, every other by lstrcmpW.
  static int CompareTexts(int column, bool ascending, const std::wstring& first, const std::wstring& second);
  static constexpr int kAddressColumn = 3;

  // After the owner has inserted the columns: nine texts per row, and column widths from the profile entry
  // named after the control id in section "ListCtrls" when its count matches.
  void SetUpColumns();

  // Appends a row with one text per column (missing ones empty, extra ones ignored); returns its index.
  int AddRow(std::span<const std::wstring_view> texts);
  template <class... Texts>
    requires(std::convertible_to<const Texts&, std::wstring_view> && ...)
  int AddRow(const Texts&... texts) {
    const std::array<std::wstring_view, sizeof...(Texts)> all{std::wstring_view(texts)...};
    return AddRow(std::span<const std::wstring_view>(all));
  }

  // Frees every row's record and deletes all rows; the sort state and the header mark stay.
  BOOL RemoveAllRows();

  // The record of a row, which stays the list's: the owner may change userWord only.
  RowData* GetRowData(int row) const { return reinterpret_cast<RowData*>(GetItemData(row)); }

  CSortHeaderCtrl m_header;
  int m_columnCount = 0;
  int m_sortColumn = -1;
  BOOL m_sortAscending = TRUE;

 protected:
  void PreSubclassWindow() override;
  Handled OnReflectedNotify(NMHDR& header) override;
  Handled OnDestroy() override;

 private:
  void OnColumnClick(int column);
  void FreeRowData();
  static int CALLBACK CompareRows(LPARAM first, LPARAM second, LPARAM list);
};

}  // namespace quelvar
