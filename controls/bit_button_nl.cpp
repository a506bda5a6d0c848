// Bitmap button: face choice and painting, the optional caption, hover tracking and face ownership.
#include "controls/bit_button_nl.h"

#include <commctrl.h>

#include <cstdlib>

namespace quelvar {
namespace {

// The button-type bits that the owner-draw type replaces.
constexpr LONG kButtonTypeBits = 0x1F;

std::wstring WindowTextOf(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = ::GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

LONG WidthOf(const RECT& rect) { return rect.right - rect.left; }
LONG HeightOf(const RECT& rect) { return rect.bottom - rect.top; }

}  // namespace

CBitButtonNL::CBitButtonNL()
    : m_captionNormalColor(::GetSysColor(COLOR_BTNTEXT)),
      m_captionPressedColor(::GetSysColor(COLOR_BTNTEXT)),
      m_captionHoverColor(::GetSysColor(COLOR_BTNTEXT)) {}

CBitButtonNL::~CBitButtonNL() {
  ClearFaces();
  m_captionFont.reset();
}

void CBitButtonNL::PreSubclassWindow() {
  const LONG style = ::GetWindowLongW(hwnd(), GWL_STYLE);
  if ((style & kButtonTypeBits) != BS_OWNERDRAW) {
    ::SetWindowLongW(hwnd(), GWL_STYLE, (style & ~kButtonTypeBits) | BS_OWNERDRAW);
    ::SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
  auto font = reinterpret_cast<HFONT>(Send(WM_GETFONT));
  if (font == nullptr) font = static_cast<HFONT>(::GetStockObject(SYSTEM_FONT));
  ::GetObjectW(font, sizeof m_captionFontDesc, &m_captionFontDesc);
  RemakeCaptionFont();
}

void CBitButtonNL::ClearFaces() {
  for (FaceEntry& face : m_faces) {
    face.bitmap.reset();
    face.width = 0;
    face.height = 0;
  }
}

bool CBitButtonNL::SetFaceBitmaps(HBITMAP normal, HBITMAP pressed, HBITMAP hover, HBITMAP disabled) {
  ClearFaces();
  // Without a normal face the others would never be drawn: they are not taken, so the caller keeps them.
  if (normal != nullptr) {
    const HBITMAP handles[] = {normal, pressed, hover, disabled};
    for (std::size_t index = 0; index < m_faces.size(); ++index) {
      if (handles[index] == nullptr) continue;
      FaceEntry& face = m_faces[index];
      face.bitmap.reset(handles[index]);
      BITMAP header{};
      if (::GetObjectW(handles[index], sizeof header, &header) != static_cast<int>(sizeof header)) {
        ClearFaces();
        return false;
      }
      face.width = header.bmWidth;
      face.height = header.bmHeight;
    }
  }
  InvalidateIf(true);
  return true;
}

void CBitButtonNL::RemakeCaptionFont() {
  m_captionFont.reset();
  m_captionFont.reset(::CreateFontIndirectW(&m_captionFontDesc));
}

void CBitButtonNL::InvalidateIf(bool repaint) {
  // A null window would mean every window on the desktop.
  if (repaint && hwnd() != nullptr) ::InvalidateRect(hwnd(), nullptr, TRUE);
}

CBitButtonNL& CBitButtonNL::SetCaptionVisible(bool show, bool repaint) {
  m_captionVisible = show;
  return Repainted(repaint);
}

CBitButtonNL& CBitButtonNL::SetCaptionBold(bool bold, bool repaint) {
  m_captionFontDesc.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  RemakeCaptionFont();
  return Repainted(repaint);
}

CBitButtonNL& CBitButtonNL::SetCaptionFontName(const std::wstring& face, BYTE charSet, bool repaint) {
  m_captionFontDesc.lfCharSet = charSet;
  const std::size_t length = face.size() < LF_FACESIZE ? face.size() : LF_FACESIZE - 1;
  face.copy(m_captionFontDesc.lfFaceName, length);
  m_captionFontDesc.lfFaceName[length] = L'\0';
  RemakeCaptionFont();
  return Repainted(repaint);
}

CBitButtonNL& CBitButtonNL::SetCaptionUnderline(bool on, bool repaint) {
  m_captionFontDesc.lfUnderline = static_cast<BYTE>(on);
  RemakeCaptionFont();
  return Repainted(repaint);
}

CBitButtonNL& CBitButtonNL::SetCaptionItalic(bool on, bool repaint) {
  m_captionFontDesc.lfItalic = static_cast<BYTE>(on);
  RemakeCaptionFont();
  return Repainted(repaint);
}

CBitButtonNL& CBitButtonNL::SetCaptionPointSize(int points, bool repaint) {
  // Points on the screen: the height in pixels for the screen's vertical resolution, any width.
  int pixelsPerInch = 96;
  {
    WindowDC screen(nullptr);
    if (screen.get() != nullptr) pixelsPerInch = ::GetDeviceCaps(screen.get(), LOGPIXELSY);
  }
  m_captionFontDesc.lfHeight = -std::abs(::MulDiv(pixelsPerInch, points * 10, 720));
  m_captionFontDesc.lfWidth = 0;
  RemakeCaptionFont();
  return Repainted(repaint);
}

CBitButtonNL& CBitButtonNL::SetCaptionFont(LOGFONTW font, bool repaint) {
  m_captionFontDesc = font;
  RemakeCaptionFont();
  return Repainted(repaint);
}

CBitButtonNL& CBitButtonNL::SetCaptionShadow(bool on, int dx, int dy, bool repaint) {
  m_shadowOn = on;
  m_shadowShift = POINT{dx, dy};
  return Repainted(repaint);
}

CBitButtonNL& CBitButtonNL::SetCaptionShadowColor(COLORREF color, bool repaint) {
  m_shadowColor = color;
  return Repainted(repaint);
}

CBitButtonNL& CBitButtonNL::SetEmbossWhenDisabled(bool on, bool repaint) {
  m_embossWhenDisabled = on;
  return Repainted(repaint);
}

void CBitButtonNL::DrawItem(const DRAWITEMSTRUCT& item) {
  const HDC dc = item.hDC;
  m_pressed = (item.itemState & ODS_SELECTED) != 0;
  m_disabled = (item.itemState & ODS_DISABLED) != 0;
  ::SetBkMode(dc, TRANSPARENT);
  const std::wstring caption = WindowTextOf(hwnd());
  RECT captionRect = item.rcItem;
  if (m_faces[kNormalFace].bitmap) {
    // A greyed face treats white as background.
    ::SetBkColor(dc, RGB(255, 255, 255));
    PaintFace(dc, !caption.empty(), item.rcItem, captionRect, m_pressed, m_disabled);
  }
  if (!caption.empty() && m_captionVisible) PaintCaption(dc, caption, item.rcItem, captionRect, m_pressed, m_disabled);
}

void CBitButtonNL::PaintFace(HDC dc, bool /*hasCaption*/, const RECT& item, RECT& /*caption*/, bool pressed,
                             bool disabled) {
  const auto has = [this](Face face) { return static_cast<bool>(m_faces[face].bitmap); };
  Face chosen = kNormalFace;
  if (disabled) {
    if (has(kDisabledFace)) chosen = kDisabledFace;
  } else if (pressed) {
    if (has(kPressedFace)) chosen = kPressedFace;
  } else if (m_hover) {
    if (has(kHoverFace)) chosen = kHoverFace;
  }
  const FaceEntry& face = m_faces[chosen];
  if (!face.bitmap) return;

  POINT at{item.left, item.top};
  if (pressed && chosen == kNormalFace) {
    at.x += m_pressedShift.x;
    at.y += m_pressedShift.y;
  }

  const ScopedMemoryDC memory(::CreateCompatibleDC(dc));
  if (!memory) return;
  const SelectedObject faceSelected(memory.get(), face.bitmap.get());
  if (disabled && chosen == kNormalFace) {
    // DrawStateW selects the bitmap into a context of its own, so it greys a copy, not the selected face.
    const ScopedBitmap copy(::CreateCompatibleBitmap(dc, face.width, face.height));
    if (!copy) return;
    {
      const ScopedMemoryDC copyContext(::CreateCompatibleDC(dc));
      if (!copyContext) return;
      const SelectedObject copySelected(copyContext.get(), copy.get());
      ::BitBlt(copyContext.get(), 0, 0, face.width, face.height, memory.get(), 0, 0, SRCCOPY);
    }
    ::DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(copy.get()), 0, at.x, at.y, face.width, face.height,
                 DST_BITMAP | DSS_DISABLED);
  } else {
    ::BitBlt(dc, at.x, at.y, face.width, face.height, memory.get(), 0, 0, SRCCOPY);
  }
}

void CBitButtonNL::PaintCaption(HDC dc, const std::wstring& text, const RECT& /*item*/, RECT& caption,
                                bool /*pressed*/, bool /*disabled*/) {
  constexpr UINT kLayout = DT_WORDBREAK | DT_CENTER;
  if (m_pressed) ::OffsetRect(&caption, m_pressedShift.x, m_pressedShift.y);
  const RECT whole = caption;

  const int oldMode = ::SetBkMode(dc, TRANSPARENT);
  const COLORREF oldText = ::SetTextColor(dc, m_captionPressedColor);
  const COLORREF oldBack = ::SetBkColor(dc, m_captionPressedColor);
  {
    const SelectedObject fontSelected(dc, m_captionFont.get());
    ::DrawTextW(dc, text.c_str(), -1, &caption, DT_CALCRECT | kLayout);
    // Truncating halves; the text sits one pixel above the exact centre.
    const LONG dW = WidthOf(whole) - WidthOf(caption);
    const LONG dH = HeightOf(whole) - HeightOf(caption);
    ::OffsetRect(&caption, dW / 2, dH / 2 - 1);

    const auto draw = [&](COLORREF color, RECT& where) {
      ::SetTextColor(dc, color);
      ::DrawTextW(dc, text.c_str(), -1, &where, kLayout);
    };
    if (m_disabled && m_embossWhenDisabled) {
      ::OffsetRect(&caption, 1, 1);
      draw(::GetSysColor(COLOR_BTNHIGHLIGHT), caption);
      ::OffsetRect(&caption, -1, -1);
      draw(::GetSysColor(COLOR_BTNSHADOW), caption);
    } else if (m_pressed) {
      ::SetBkColor(dc, m_captionPressedColor);
      draw(m_captionPressedColor, caption);
    } else {
      if (m_shadowOn) {
        RECT shadow = caption;
        ::OffsetRect(&shadow, m_shadowShift.x, m_shadowShift.y);
        draw(m_shadowColor, shadow);
      }
      const COLORREF color = m_hover ? m_captionHoverColor : m_captionNormalColor;
      ::SetBkColor(dc, color);
      draw(color, caption);
    }
  }
  ::SetBkMode(dc, oldMode);
  ::SetTextColor(dc, oldText);
  ::SetBkColor(dc, oldBack);
}

Handled CBitButtonNL::OnReflectedDrawItem(DRAWITEMSTRUCT& item) {
  if (item.CtlType != ODT_BUTTON) return kNotHandled;
  DrawItem(item);
  return TRUE;
}

Handled CBitButtonNL::OnMouseMove(UINT keys, POINT point) {
  DefaultProcessing(WM_MOUSEMOVE, keys, MAKELPARAM(point.x, point.y));
  POINT screen = point;
  ::ClientToScreen(hwnd(), &screen);
  const HWND under = ::WindowFromPoint(screen);
  // Dragging onto the button with the button held does not light it up.
  if ((keys & MK_LBUTTON) != 0 && !m_hover) return 0;
  if (under == hwnd()) {
    if (m_hover) return 0;
    m_hover = true;
    InvalidateIf(true);
    TRACKMOUSEEVENT leave{};
    leave.cbSize = sizeof leave;
    leave.dwFlags = TME_LEAVE;
    leave.hwndTrack = hwnd();
    ::_TrackMouseEvent(&leave);
  } else {
    LeaveHover();
  }
  return 0;
}

void CBitButtonNL::LeaveHover() {
  if (!m_hover) return;
  m_hover = false;
  InvalidateIf(true);
}

Handled CBitButtonNL::OnReflectedCommand(UINT code) {
  // Not handled, so the parent's own click handler for this button runs next.
  if (code == BN_CLICKED) ::SetFocus(hwnd());
  return kNotHandled;
}

Handled CBitButtonNL::OnKillFocus(HWND next) {
  DefaultProcessing(WM_KILLFOCUS, reinterpret_cast<WPARAM>(next), 0);
  LeaveHover();
  return 0;
}

Handled CBitButtonNL::OnMouseLeave() {
  LeaveHover();
  return 0;
}

}  // namespace quelvar
