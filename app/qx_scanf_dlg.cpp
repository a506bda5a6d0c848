// Main dialog: template 102, data exchange, initialisation, private messages and the one-time teardown.
#include "app/qx_scanf_dlg.h"

#include "app/qx_scanf_app.h"
#include "operations/ip_text.h"
#include "res/resource.h"

namespace quelvar {

CQX_ScanfDlg::CQX_ScanfDlg(InterfaceSockets::AddressSource addressSource)
    : Dialog(IDD_QX_SCANF_DIALOG),
      m_hIcon(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MAIN))),
      m_sockets(std::move(addressSource)),
      m_receiver(m_sockets,
                 [this](const ReplyRecord* queued) {
                   ::PostMessageW(hwnd(), WM_SEARCH_REPLY, reinterpret_cast<WPARAM>(queued), 0);
                 }),
      m_mask(IpTextToDword(std::wstring_view(L"255.255.255.0"))) {}

void CQX_ScanfDlg::DoDataExchange(DataExchange& exchange) {
  exchange.Control(IDC_DEVICE_LIST, m_list);
  exchange.IpAddress(IDC_OLD_IP, m_oldIp);
  exchange.IpAddress(IDC_NEW_IP, m_newIp);
  exchange.IpAddress(IDC_MASK, m_mask);
  exchange.IpAddress(IDC_GATEWAY, m_gateway);
  exchange.CheckBox(IDC_DHCP, m_useDhcp);
  exchange.Control(IDC_CLOSE, m_btnClose);
  exchange.Control(IDC_CAPTION, m_caption);
  exchange.Control(IDC_MINIMIZE, m_btnMin);
}

BOOL CQX_ScanfDlg::OnInitDialog() {
  Dialog::OnInitDialog();
  Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
  ::SetWindowTextW(hwnd(), L"Quelvar");
  ::SetDlgItemTextW(hwnd(), IDC_SEARCH, L"Search");
  ::SetDlgItemTextW(hwnd(), IDC_MODIFY_IP, L"Modify IP");
  ::SetDlgItemTextW(hwnd(), IDC_LABEL_GATEWAY, L"GateWay:");
  ::SetDlgItemTextW(hwnd(), IDC_LABEL_MASK, L"Subnet Mask:");
  ::SetDlgItemTextW(hwnd(), IDC_LABEL_NEW_IP, L"New IP:");
  ::SetDlgItemTextW(hwnd(), IDC_LABEL_OLD_IP, L"Old IP:");
  PrepareAddressFieldsForTyping();
  InitDeviceColumns();
  m_receiver.Start();
  SetUpSkin();
  return TRUE;
}

Handled CQX_ScanfDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // 1025 is also DM_SETDEFID; every 1025 that reaches the dialog is taken as a reply notice.
  if (message == WM_SEARCH_REPLY) {
    OnSearchReply();
    return 1;
  }
  if (message == WM_TIMER && wParam == kRedrawTimerId) {
    OnRedrawTimer();
    return 0;
  }
  if (message == WM_SOFT_EXIT && theApp.m_softMode) Dialog::OnCancel();
  return Dialog::WindowProc(message, wParam, lParam);
}

void CQX_ScanfDlg::OnOK() { OnSearch(); }

void CQX_ScanfDlg::OnCancel() {}

Handled CQX_ScanfDlg::OnCommand(UINT id, UINT code, HWND control) {
  static constexpr CommandRoute<CQX_ScanfDlg> kRoutes[] = {
      {IDC_SEARCH, &CQX_ScanfDlg::OnSearch},
      {IDC_ADD, &CQX_ScanfDlg::OnAdd},
      {IDC_OPEN_WEB, &CQX_ScanfDlg::OnOpenWeb},
      {IDC_MODIFY_IP, &CQX_ScanfDlg::OnModifyIp},
      {IDC_DHCP, &CQX_ScanfDlg::OnDhcpToggle},
      {IDC_PING, &CQX_ScanfDlg::OnPing},
      {IDC_CLOSE, &CQX_ScanfDlg::OnCloseButton},
      {IDC_MINIMIZE, &CQX_ScanfDlg::OnMinimizeButton},
  };
  if (Handled routed = RouteCommand(*this, kRoutes, id, code)) return routed;
  return Dialog::OnCommand(id, code, control);
}

Handled CQX_ScanfDlg::OnClose() {
  TearDown();
  Dialog::OnCancel();
  return 0;
}

// Ending the dialog by the close button or WM_SOFT_EXIT reaches the teardown here.
Handled CQX_ScanfDlg::OnDestroy() {
  OnClose();
  return kNotHandled;
}

// Runs once: after WM_CLOSE has torn down, WM_DESTROY finds nothing left to do.
void CQX_ScanfDlg::TearDown() {
  if (m_tornDown) return;
  m_tornDown = true;
  m_receiver.Stop();
  m_sockets.CloseAll();
  m_receiver.FreeQueued();
}

}  // namespace quelvar
