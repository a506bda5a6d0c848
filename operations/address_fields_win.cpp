// Font, margins and focus selection of an IP address control's fields.
#include "operations/address_fields_win.h"

#include <commctrl.h>

#include <algorithm>

#include "framework/scoped_win.h"

namespace quelvar {
namespace {

constexpr int kOctetDigits = 3;
constexpr UINT_PTR kSelectOnAdvanceId = 0x51A7;

bool IsEditField(HWND window) {
  wchar_t className[16] = {};
  ::GetClassNameW(window, className, 16);
  return ::lstrcmpiW(className, L"Edit") == 0;
}

// Width of three of the font's widest digits, in the field's pixels.
int ThreeDigitWidth(HWND field) {
  const auto font = reinterpret_cast<HFONT>(::SendMessageW(field, WM_GETFONT, 0, 0));
  const WindowDC dc(field);
  const SelectedObject selected(dc.get(), font != nullptr ? static_cast<HGDIOBJ>(font) : ::GetStockObject(SYSTEM_FONT));
  int widest = 0;
  for (wchar_t digit = L'0'; digit <= L'9'; ++digit) {
    SIZE size{};
    if (::GetTextExtentPoint32W(dc.get(), &digit, 1, &size)) widest = std::max(widest, static_cast<int>(size.cx));
  }
  return widest * kOctetDigits;
}

int ClientWidth(HWND window) {
  RECT client{};
  ::GetClientRect(window, &client);
  return client.right - client.left;
}

void FitField(HWND field, HFONT font) {
  ::SendMessageW(field, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (FieldTakesThreeDigits(field)) return;
  const int margin = std::max(0, (ClientWidth(field) - ThreeDigitWidth(field)) / 2);
  ::SendMessageW(field, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(margin, margin));
}

// Sees the fields' notifications before the control does. The control sets the caret itself after
// moving by an arrow key or backspace, which comes after this and so still wins.
LRESULT CALLBACK SelectOnAdvance(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
  if (message == WM_NCDESTROY) {
    ::RemoveWindowSubclass(control, &SelectOnAdvance, id);
    return ::DefSubclassProc(control, message, wParam, lParam);
  }
  const auto field = reinterpret_cast<HWND>(lParam);
  const bool fieldGotFocus = message == WM_COMMAND && HIWORD(wParam) == EN_SETFOCUS && field != nullptr &&
                             ::GetParent(field) == control;
  const bool byMouse = ::GetKeyState(VK_LBUTTON) < 0;
  const LRESULT result = ::DefSubclassProc(control, message, wParam, lParam);
  if (fieldGotFocus && !byMouse) ::SendMessageW(field, EM_SETSEL, 0, -1);
  return result;
}

}  // namespace

bool FieldTakesThreeDigits(HWND field) {
  const auto margins = static_cast<DWORD>(::SendMessageW(field, EM_GETMARGINS, 0, 0));
  return ThreeDigitWidth(field) <= ClientWidth(field) - LOWORD(margins) - HIWORD(margins);
}

void PrepareAddressFields(HWND addressControl, HFONT font) {
  if (addressControl == nullptr) return;
  for (HWND field = ::GetWindow(addressControl, GW_CHILD); field != nullptr; field = ::GetWindow(field, GW_HWNDNEXT)) {
    // Sent to the fields only: a control that keeps the font it is given may also delete it.
    if (IsEditField(field)) FitField(field, font);
  }
  ::SetWindowSubclass(addressControl, &SelectOnAdvance, kSelectOnAdvanceId, 0);
}

}  // namespace quelvar
