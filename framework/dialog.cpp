// Modal dialog: the dialog procedure binds the object at WM_INITDIALOG and answers through DWLP_MSGRESULT.
#include "framework/dialog.h"

namespace quelvar {
namespace {

// Messages whose result a dialog procedure returns itself instead of through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
  switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
      return true;
    default:
      return false;
  }
}

}  // namespace

HWND DataExchange::Item(int id) const { return ::GetDlgItem(dialog_.hwnd(), id); }

void DataExchange::Control(int id, Window& control) {
  if (control.hwnd() == nullptr) control.SubclassWindow(Item(id));
}

void DataExchange::IpAddress(int id, std::uint32_t& value) {
  if (saving_) {
    DWORD address = 0;
    ::SendMessageW(Item(id), IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
    value = address;
  } else {
    ::SendMessageW(Item(id), IPM_SETADDRESS, 0, static_cast<LPARAM>(value));
  }
}

void DataExchange::CheckBox(int id, BOOL& value) {
  if (saving_) {
    value = static_cast<BOOL>(::SendMessageW(Item(id), BM_GETCHECK, 0, 0));
  } else {
    ::SendMessageW(Item(id), BM_SETCHECK, static_cast<WPARAM>(value), 0);
  }
}

INT_PTR Dialog::DoModal() {
  return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), parent_,
                           &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

void Dialog::EndDialog(INT_PTR result) { ::EndDialog(hwnd(), result); }

BOOL Dialog::UpdateData(BOOL saveAndValidate) {
  DataExchange exchange(*this, saveAndValidate != FALSE);
  DoDataExchange(exchange);
  return TRUE;
}

BOOL Dialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void Dialog::OnOK() {
  if (UpdateData(TRUE)) EndDialog(IDOK);
}

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

Handled Dialog::OnCommand(UINT id, UINT code, HWND) {
  if (code != BN_CLICKED) return kNotHandled;
  if (id == IDOK) {
    OnOK();
    return 0;
  }
  if (id == IDCANCEL) {
    OnCancel();
    return 0;
  }
  return kNotHandled;
}

Handled Dialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return OnInitDialog();
  return Window::WindowProc(message, wParam, lParam);
}

INT_PTR CALLBACK Dialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Dialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lParam);
    self->Bind(window);
  } else {
    self = static_cast<Dialog*>(FromHandle(window));
  }
  if (self == nullptr) return FALSE;  // messages before WM_INITDIALOG: the dialog manager's own processing

  const Handled result = self->WindowProc(message, wParam, lParam);
  if (message == WM_NCDESTROY) self->Unbind();
  if (!result) return FALSE;
  if (ReturnsResultDirectly(message)) return static_cast<INT_PTR>(*result);
  ::SetWindowLongPtrW(window, DWLP_MSGRESULT, *result);
  return TRUE;
}

}  // namespace quelvar
