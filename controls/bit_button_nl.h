// A push button painted from bitmaps, one face per state, that lights up while the mouse is over it.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "framework/scoped_win.h"
#include "framework/window.h"

namespace quelvar {

class CBitButtonNL : public Window {
 public:
  enum Face { kNormalFace = 0, kPressedFace = 1, kHoverFace = 2, kDisabledFace = 3 };

  CBitButtonNL();
  ~CBitButtonNL() override;

  // Replaces every face; a null handle leaves that state without a face of its own. The button owns and
  // deletes every handle it stores. A null normal face clears every face and leaves the other three with
  // the caller. False, and no faces at all, when a handle is not a readable bitmap: the handles taken up
  // to it, itself included, are deleted, the ones after it stay with the caller.
  bool SetFaceBitmaps(HBITMAP normal, HBITMAP pressed, HBITMAP hover, HBITMAP disabled);

  // Caption setters: each returns the button so calls chain; only repaint true invalidates it.
  virtual CBitButtonNL& SetCaptionVisible(bool show, bool repaint = true);
  virtual CBitButtonNL& SetCaptionBold(bool bold, bool repaint = true);
  // At most 31 characters; a longer name is cut there.
  virtual CBitButtonNL& SetCaptionFontName(const std::wstring& face, BYTE charSet = DEFAULT_CHARSET,
                                           bool repaint = true);
  virtual CBitButtonNL& SetCaptionUnderline(bool on, bool repaint = true);
  virtual CBitButtonNL& SetCaptionItalic(bool on, bool repaint = true);
  virtual CBitButtonNL& SetCaptionPointSize(int points, bool repaint = true);
  virtual CBitButtonNL& SetCaptionFont(LOGFONTW font, bool repaint = true);
  virtual CBitButtonNL& SetCaptionShadow(bool on, int dx = 3, int dy = 2, bool repaint = true);
  virtual CBitButtonNL& SetCaptionShadowColor(COLORREF color, bool repaint = true);
  virtual CBitButtonNL& SetEmbossWhenDisabled(bool on, bool repaint = true);

  // Paints the face for the state: disabled, then pressed, then hover, then normal. A pressed button
  // without a pressed face of its own shows the normal face one pixel right and down.
  virtual void PaintFace(HDC dc, bool hasCaption, const RECT& item, RECT& caption, bool pressed, bool disabled);
  // Paints the caption centred in the caption rectangle, which it moves to where the text went.
  virtual void PaintCaption(HDC dc, const std::wstring& text, const RECT& item, RECT& caption, bool pressed,
                            bool disabled);
  // The owner-draw callback: face, then caption when it is switched on.
  virtual void DrawItem(const DRAWITEMSTRUCT& item);

  bool IsHovering() const { return m_hover; }
  HFONT CaptionFont() const { return m_captionFont.get(); }

 protected:
  void PreSubclassWindow() override;
  Handled OnMouseMove(UINT keys, POINT point) override;
  Handled OnReflectedCommand(UINT code) override;
  Handled OnKillFocus(HWND next) override;
  Handled OnMouseLeave() override;
  Handled OnReflectedDrawItem(DRAWITEMSTRUCT& item) override;

 private:
  struct FaceEntry {
    ScopedBitmap bitmap;
    LONG width = 0;
    LONG height = 0;
  };

  void ClearFaces();
  void RemakeCaptionFont();
  void LeaveHover();
  void InvalidateIf(bool repaint);
  CBitButtonNL& Repainted(bool repaint) {
    InvalidateIf(repaint);
    return *this;
  }

  bool m_captionVisible = false;
  bool m_hover = false;
  bool m_pressed = false;
  bool m_disabled = false;
  bool m_embossWhenDisabled = true;
  POINT m_pressedShift{1, 1};
  std::array<FaceEntry, 4> m_faces;
  // Nothing sets these; they are read only when the caption is switched on.
  COLORREF m_captionNormalColor;
  COLORREF m_captionPressedColor;
  COLORREF m_captionHoverColor;
  LOGFONTW m_captionFontDesc{};
  ScopedFont m_captionFont;
  bool m_shadowOn = false;
  COLORREF m_shadowColor = RGB(0, 0, 0);
  POINT m_shadowShift{3, 2};
};

}  // namespace quelvar
