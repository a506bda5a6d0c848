// The sortable list's header: native sort marks, the column-width record, and owner-drawn items.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "framework/common_controls.h"

namespace quelvar {

// Column-width record: the item count, then each item's width, all signed 32-bit little-endian.
void BuildColumnWidthRecord(std::span<const std::int32_t> widths, std::vector<std::uint8_t>& out);
// The widths of a record, or nothing when it is shorter than its count promises or the count is negative.
std::optional<std::vector<std::int32_t>> ParseColumnWidthRecord(const std::uint8_t* data, std::size_t size);

// Where an owner-drawn item's text goes: the item rectangle, moved while pressed, less room for the arrow
// on the sorted item and a margin of a quarter of the height on both sides.
RECT HeaderTextRect(const RECT& item, UINT itemState, bool sorted);
// DrawTextW layout for an item format: centred wins over right-aligned, otherwise left.
UINT HeaderTextFormat(int itemFormat);

class CSortHeaderCtrl : public HeaderControl {
 public:
  // Marks one item with the direction and clears the mark of every other; other format bits stay.
  void SetSortMark(int column, BOOL ascending);

  // Writes the column-width record of the current items; nothing when the item count is unknown.
  void StoreColumnWidths(std::vector<std::uint8_t>& record) const;
  // Applies a record whose count equals the item count; any other record changes nothing.
  void LoadColumnWidths(const std::uint8_t* data, std::size_t size) const;

  // Paints one owner-drawn item: flat face, text, and on the sorted item an arrow.
  virtual void DrawItem(const DRAWITEMSTRUCT& item);

  int m_sortColumn = -1;
  BOOL m_sortAscending = TRUE;

 protected:
  Handled OnReflectedDrawItem(DRAWITEMSTRUCT& item) override;
};

}  // namespace quelvar
