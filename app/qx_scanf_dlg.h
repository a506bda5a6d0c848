// The main dialog: owns the device list, the interface sockets and the receive thread with its queue.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <unordered_set>

#include "controls/bit_button_nl.h"
#include "controls/color_static.h"
#include "controls/sort_list_ctrl.h"
#include "discovery/interface_sockets.h"
#include "discovery/reply_receiver.h"
#include "framework/dialog.h"
#include "framework/scoped_win.h"

namespace quelvar {

// Posted by the receive thread for every queued reply (and as a reminder while replies wait).
inline constexpr UINT WM_SEARCH_REPLY = WM_USER + 1;
// Sent or posted by another program; ends the dialog only in soft mode.
inline constexpr UINT WM_SOFT_EXIT = WM_USER + 5000;

// The list paints again once no reply has waited for this long after a burst.
inline constexpr UINT_PTR kRedrawTimerId = 1;
inline constexpr std::chrono::milliseconds kRedrawSettle{100};

class CQX_ScanfDlg : public Dialog {
 public:
  // The address source names the local interfaces that searches go out on.
  explicit CQX_ScanfDlg(InterfaceSockets::AddressSource addressSource = EnumerateLocalAddresses);

  // Takes WM_SEARCH_REPLY (answered 1) and WM_SOFT_EXIT before the handlers.
  Handled WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  HICON m_hIcon;
  CSortListCtrl m_list;
  InterfaceSockets m_sockets;  // m_interfaces, guarded by m_socketLock
  ReplyReceiver m_receiver;    // m_replyQueue, guarded by m_queueLock; m_stopThread and m_threadDone
  std::uint32_t m_oldIp = 0;
  std::uint32_t m_newIp = 0;
  std::uint32_t m_mask;
  std::uint32_t m_gateway = 0;
  std::wstring m_mac;
  BOOL m_useDhcp = FALSE;
  CBitButtonNL m_btnClose;
  CColorStatic m_caption;
  CBitButtonNL m_btnMin;

 protected:
  void DoDataExchange(DataExchange& exchange) override;
  BOOL OnInitDialog() override;
  void OnOK() override;      // Enter searches
  void OnCancel() override;  // Escape does nothing
  Handled OnCommand(UINT id, UINT code, HWND control) override;
  Handled OnClose() override;
  Handled OnDestroy() override;

  // The device table.
  void InitDeviceColumns();
  void OnSearch();
  void OnSearchReply();
  void OnRedrawTimer();

  // The device operations: selection, Modify IP, Ping, web pages and the client hand-off.
  Handled OnNotify(NMHDR& header) override;
  void OnDeviceListClick(NMHDR& header, LRESULT& result);
  void OnDeviceListDoubleClick(NMHDR& header, LRESULT& result);
  void OnDhcpToggle();
  void OnModifyIp();
  void OnPing();
  void OnOpenWeb();
  void OnAdd();
  // Typing into the address fields works whatever font and field handling the system gives them.
  void PrepareAddressFieldsForTyping();

  // The skin: the background picture, label colours, the drag band and the icon while minimised.
  void SetUpSkin();
  Handled OnPaint() override;
  Handled OnEraseBackground(HDC dc) override;
  Handled OnCtlColor(HDC dc, HWND control, UINT message) override;
  Handled OnLButtonDown(UINT keys, POINT point) override;
  Handled OnQueryDragIcon() override;
  // What the paint draws, on any device context: the background stretched over the client rectangle,
  // or, while minimised, the icon centred in it.
  void PaintBackground(HDC dc, const RECT& client) const;
  void PaintMinimisedIcon(HDC dc, const RECT& client);

 private:
  void AddDevice(ReplyRecord& record);
  void TearDown();
  void OnCloseButton();
  void OnMinimizeButton();

  // The MAC texts of the listed rows, so a duplicate is found without reading every row.
  std::unordered_set<std::wstring> m_listedMacs;
  // Off while a burst of replies is being listed. Under load the dialog drains the queue faster than
  // replies are received, so the queue runs empty many times within one burst; redraw comes back
  // only when it has stayed empty until the settle timer fires.
  bool m_listRedrawOff = false;
  bool m_redrawTimerPending = false;
  bool m_tornDown = false;
  // The caption static's font; the static uses it until the dialog's window is gone.
  ScopedFont m_captionFont;
};

}  // namespace quelvar
