// The device table of the main dialog: columns, the search action and one reply per WM_SEARCH_REPLY.
#include <memory>

#include "app/device_row.h"
#include "app/qx_scanf_dlg.h"

namespace quelvar {
namespace {

struct ColumnSpec {
  const wchar_t* title;
  int width;
};

constexpr ColumnSpec kDeviceColumnSpecs[kDeviceColumns] = {
    {L"Index", 50},       {L"Model", 80}, {L"Device Name", 100}, {L"IP address", 100}, {L"Subnet Mask", 100},
    {L"MAC", 100},        {L"HTTP Port", 80}, {L"RTSP Port", 80}, {L"Channels", 80},
};

}  // namespace

void CQX_ScanfDlg::InitDeviceColumns() {
  m_list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  for (int column = 0; column < kDeviceColumns; ++column) {
    const ColumnSpec& spec = kDeviceColumnSpecs[column];
    m_list.InsertColumn(column, spec.title, LVCFMT_LEFT, spec.width);
  }
  m_list.SetUpColumns();
}

void CQX_ScanfDlg::OnSearch() {
  m_list.RemoveAllRows();
  m_listedMacs.clear();
  m_sockets.BroadcastProbe();
}

void CQX_ScanfDlg::OnSearchReply() {
  if (std::unique_ptr<ReplyRecord> record = m_receiver.TakeFront()) AddDevice(*record);
  // Turning redraw on repaints the whole list, which costs as much as listing dozens of rows; so it
  // waits until the queue is found empty and has stayed so for a moment. A long trickle of replies
  // is still painted every kRedrawSettle, so rows appear as they arrive.
  if (m_listRedrawOff && !m_redrawTimerPending && m_receiver.QueuedCount() == 0) {
    m_redrawTimerPending = ::SetTimer(hwnd(), kRedrawTimerId, kRedrawSettle.count(), nullptr) != 0;
    if (!m_redrawTimerPending) OnRedrawTimer();
  }
}

void CQX_ScanfDlg::OnRedrawTimer() {
  if (m_receiver.QueuedCount() > 0) return;  // more came meanwhile; their notices run first, then this again
  if (m_redrawTimerPending) ::KillTimer(hwnd(), kRedrawTimerId);
  m_redrawTimerPending = false;
  if (m_listRedrawOff) {
    m_list.SetRedraw(true);
    m_listRedrawOff = false;
  }
}

void CQX_ScanfDlg::AddDevice(ReplyRecord& record) {
  const int rowsBefore = m_list.GetItemCount();
  std::wstring mac = FormatMacText(record);
  if (m_listedMacs.contains(mac)) return;  // already listed: the first reply heard stays
  const std::optional<DeviceRow> row = MakeDeviceRow(record, rowsBefore + 1);
  if (!row) return;

  if (!m_listRedrawOff) {
    m_list.SetRedraw(false);
    m_listRedrawOff = true;
  }
  std::array<std::wstring_view, kDeviceColumns> texts;
  for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = row->cells[i];
  m_list.AddRow(texts);
  if (m_list.GetItemCount() <= rowsBefore) return;
  if (RowData* data = m_list.GetRowData(rowsBefore)) data->userWord = row->packedInfo;
  m_listedMacs.insert(std::move(mac));
}

}  // namespace quelvar
