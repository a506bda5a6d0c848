// The main dialog's device operations: filling the address fields from a row, the DHCP box, Modify IP,
// the Ping check, web pages and the hand-off of devices to the client application.
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "app/qx_scanf_dlg.h"
#include "framework/application.h"
#include "operations/address_check_win.h"
#include "operations/address_fields_win.h"
#include "operations/address_rules.h"
#include "operations/client_handoff_win.h"
#include "operations/ip_text.h"
#include "operations/web_address.h"
#include "operations/web_page_win.h"
#include "res/resource.h"

namespace quelvar {
namespace {

constexpr int kIpColumn = 3;
constexpr int kMaskColumn = 4;
constexpr int kMacColumn = 5;
constexpr int kHttpPortColumn = 6;

constexpr wchar_t kInvalidAddressText[] = L"Invalid IP address";
constexpr wchar_t kOutsideSegmentText[] =
    L"IP address and gate way are not in the same network segment! are you sure modify?";
constexpr wchar_t kAddressInUseText[] = L"Warnning!! This IP address is  existed!";
constexpr wchar_t kAddressFreeText[] = L"This IP address is available!";

std::u16string_view AsUtf16(const std::wstring& text) {
  return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}

std::string ToAnsi(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) {
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
  }
  return bytes;
}

// The row under the mouse pointer now, not the list's selection; -1 over empty space.
int RowUnderCursor(const ListView& list) {
  LVHITTESTINFO hit{};
  ::GetCursorPos(&hit.pt);
  ::ScreenToClient(list.hwnd(), &hit.pt);
  return static_cast<int>(list.Send(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
}

// The selected rows from the top of the list down.
template <class Visit>
void ForEachSelectedRow(const ListView& list, Visit visit) {
  for (int row = static_cast<int>(list.Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)); row >= 0;
       row = static_cast<int>(list.Send(LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED))) {
    visit(row);
  }
}

void OpenRowWebPage(const ListView& list, int row) {
  const std::wstring ip = list.GetItemText(row, kIpColumn);
  const std::wstring port = list.GetItemText(row, kHttpPortColumn);
  if (const std::optional<std::u16string> address = DeviceWebAddress(AsUtf16(ip), AsUtf16(port))) {
    OpenWebAddress(*address);
  }
}

}  // namespace

Handled CQX_ScanfDlg::OnNotify(NMHDR& header) {
  static constexpr NotifyRoute<CQX_ScanfDlg> kRoutes[] = {
      {IDC_DEVICE_LIST, static_cast<UINT>(NM_CLICK), &CQX_ScanfDlg::OnDeviceListClick},
      {IDC_DEVICE_LIST, static_cast<UINT>(NM_DBLCLK), &CQX_ScanfDlg::OnDeviceListDoubleClick},
  };
  if (Handled routed = RouteNotify(*this, kRoutes, header)) return routed;
  return Dialog::OnNotify(header);
}

void CQX_ScanfDlg::OnDeviceListClick(NMHDR&, LRESULT& result) {
  result = 0;
  const int row = RowUnderCursor(m_list);
  if (row < 0) return;
  UpdateData(TRUE);  // keeps the check box's current state in m_useDhcp
  const std::wstring ip = m_list.GetItemText(row, kIpColumn);
  m_newIp = IpTextToDword(ip);
  m_oldIp = IpTextToDword(ip);
  m_mask = IpTextToDword(m_list.GetItemText(row, kMaskColumn));
  m_gateway = GatewayFromIpText(ip);
  m_mac = m_list.GetItemText(row, kMacColumn);
  UpdateData(FALSE);
}

void CQX_ScanfDlg::OnDhcpToggle() {
  // The member still holds the state of the last exchange: the box shows the state before this click.
  AppMessageBox(std::to_wstring(m_useDhcp));
  UpdateData(TRUE);
  const BOOL enable = m_useDhcp == 0 ? TRUE : FALSE;
  for (const int id : {IDC_NEW_IP, IDC_MASK, IDC_GATEWAY}) ::EnableWindow(Item(id), enable);
}

void CQX_ScanfDlg::OnModifyIp() {
  UpdateData(TRUE);
  const ModifyCheck check = CheckModifyFields(m_newIp, m_gateway);
  switch (check.step) {
    case ModifyStep::RejectAddress:
      AppMessageBox(kInvalidAddressText);
      return;
    case ModifyStep::SendWithGateway:
      m_gateway = check.gateway;
      UpdateData(FALSE);
      break;
    case ModifyStep::AskAboutSegment:
      if (AppMessageBox(kOutsideSegmentText, MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK) return;
      break;
    case ModifyStep::Send:
      break;
  }

  const std::string mac = ToAnsi(m_mac);
  AddressFieldValues values;
  values.oldIp = m_oldIp;
  values.newIp = m_newIp;
  values.mask = m_mask;
  values.gateway = m_gateway;
  values.macText = mac;
  values.useDhcp = m_useDhcp != 0;
  values.addressFieldsEnabled = ::IsWindowEnabled(Item(IDC_NEW_IP)) != FALSE;
  std::array<std::uint8_t, kCommandSize> command;
  BuildSetNetworkCommand(MakeSetNetworkRequest(values), command);
  // From every interface: the device may sit on any of the links, and it is named by address and MAC.
  m_sockets.BroadcastOnEverySocket(command);
}

void CQX_ScanfDlg::OnPing() {
  UpdateData(TRUE);
  const DottedText address = FormatDottedQuad(m_newIp);
  AppMessageBox(PingAddress(address.data()) ? kAddressInUseText : kAddressFreeText);
}

void CQX_ScanfDlg::OnDeviceListDoubleClick(NMHDR&, LRESULT& result) {
  result = 0;
  const int row = RowUnderCursor(m_list);
  if (row >= 0) OpenRowWebPage(m_list, row);
}

void CQX_ScanfDlg::OnOpenWeb() {
  ForEachSelectedRow(m_list, [this](int row) { OpenRowWebPage(m_list, row); });
}

void CQX_ScanfDlg::OnAdd() {
  const HWND client = FindClientWindow(ReadClientWindowTitle());
  if (client == nullptr) return;
  ForEachSelectedRow(m_list, [this, client](int row) {
    const RowData* data = m_list.GetRowData(row);
    PostAddDevice(client, IpTextToDword(m_list.GetItemText(row, kIpColumn)), data != nullptr ? data->userWord : 0);
  });
}

void CQX_ScanfDlg::PrepareAddressFieldsForTyping() {
  const auto font = reinterpret_cast<HFONT>(Send(WM_GETFONT));
  for (const int id : {IDC_OLD_IP, IDC_NEW_IP, IDC_MASK, IDC_GATEWAY}) PrepareAddressFields(Item(id), font);
}

}  // namespace quelvar
