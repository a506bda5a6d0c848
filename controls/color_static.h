// A static text drawn in a colour of its own over whatever its parent paints behind it.
#pragma once

#include <windows.h>

#include "framework/window.h"

namespace quelvar {

class CColorStatic : public Window {
 public:
  CColorStatic();

  // Repaints the control only: the text keeps its place and changes colour.
  void SetForeColor(COLORREF color);
  COLORREF GetForeColor() const { return m_textColor; }

  // The answer to the colour question the static asks its parent before painting: its own text colour
  // and a hollow brush, so nothing is filled behind the text.
  virtual HBRUSH CtlColor(HDC dc, UINT kind);

  // Takes WM_SETTEXT and WM_SETFONT before the handlers.
  Handled WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 protected:
  Handled OnReflectedCtlColor(HDC dc, UINT message) override;

 private:
  // Nothing fills the control's background, so the parent repaints under it before its text or font
  // changes; otherwise the old letters would stay visible.
  LRESULT OnTextOrFontChange(UINT message, WPARAM wParam, LPARAM lParam);
  void RepaintParentUnder() const;

  COLORREF m_textColor;
};

}  // namespace quelvar
