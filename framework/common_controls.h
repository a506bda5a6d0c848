// Thin typed access to the common controls the program uses: the report list view and its header.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <string_view>

#include "framework/window.h"

namespace quelvar {

class ListView : public Window {
 public:
  int GetItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }
  HWND GetHeader() const { return reinterpret_cast<HWND>(Send(LVM_GETHEADER)); }
  void SetExtendedStyle(DWORD style) const { Send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style); }

  int InsertColumn(int index, std::wstring_view title, int format, int width) const {
    std::wstring text(title);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
    column.fmt = format;
    column.cx = width;
    column.pszText = text.data();
    column.iSubItem = index;
    return static_cast<int>(Send(LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column)));
  }

  std::wstring GetItemText(int row, int column) const {
    std::wstring text(64, L'\0');
    for (;;) {
      LVITEMW item{};
      item.iSubItem = column;
      item.pszText = text.data();
      item.cchTextMax = static_cast<int>(text.size());
      const auto length = static_cast<std::size_t>(
          Send(LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
      if (length + 1 < text.size()) {
        text.resize(length);
        return text;
      }
      text.resize(text.size() * 2);
    }
  }

  BOOL SetItemText(int row, int column, std::wstring_view value) const {
    std::wstring text(value);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text.data();
    return static_cast<BOOL>(Send(LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
  }

  LPARAM GetItemData(int row) const {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return 0;
    return item.lParam;
  }

  BOOL SetItemData(int row, LPARAM data) const {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    item.lParam = data;
    return static_cast<BOOL>(Send(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  }

  // Redrawing off while many rows change; on again repaints the whole list once.
  void SetRedraw(bool redraw) const { Send(WM_SETREDRAW, redraw ? TRUE : FALSE); }
};

class HeaderControl : public Window {
 public:
  int GetItemCount() const { return static_cast<int>(Send(HDM_GETITEMCOUNT)); }
  BOOL GetItem(int index, HDITEMW& item) const {
    return static_cast<BOOL>(Send(HDM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
  }
  BOOL SetItem(int index, const HDITEMW& item) const {
    return static_cast<BOOL>(Send(HDM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
  }
};

}  // namespace quelvar
