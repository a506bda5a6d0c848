// Colour static: its own text colour, a transparent background and a parent repaint on text or font changes.
#include "controls/color_static.h"

namespace quelvar {

CColorStatic::CColorStatic() : m_textColor(::GetSysColor(COLOR_BTNTEXT)) {}

void CColorStatic::SetForeColor(COLORREF color) {
  m_textColor = color;
  if (hwnd() != nullptr) ::InvalidateRect(hwnd(), nullptr, TRUE);
}

HBRUSH CColorStatic::CtlColor(HDC dc, UINT /*kind*/) {
  ::SetTextColor(dc, m_textColor);
  ::SetBkMode(dc, TRANSPARENT);
  return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

Handled CColorStatic::OnReflectedCtlColor(HDC dc, UINT message) {
  return reinterpret_cast<LRESULT>(CtlColor(dc, message));
}

Handled CColorStatic::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETTEXT || message == WM_SETFONT) return OnTextOrFontChange(message, wParam, lParam);
  return Window::WindowProc(message, wParam, lParam);
}

void CColorStatic::RepaintParentUnder() const {
  const HWND parent = ::GetParent(hwnd());
  if (parent == nullptr) return;
  RECT area{};
  ::GetWindowRect(hwnd(), &area);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
  ::InvalidateRect(parent, &area, TRUE);
}

LRESULT CColorStatic::OnTextOrFontChange(UINT message, WPARAM wParam, LPARAM lParam) {
  RepaintParentUnder();
  const LRESULT result = DefaultProcessing(message, wParam, lParam);
  // A static may paint the change at once (a redrawing WM_SETFONT does), and a child painted before its
  // parent takes the parent's pending repaint under it away; asking again keeps the parent first.
  RepaintParentUnder();
  return result;
}

}  // namespace quelvar
