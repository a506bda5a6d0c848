// The main dialog's skin: one background picture, floating labels, a drag band and two window buttons.
#include <windows.h>

#include "app/qx_scanf_dlg.h"
#include "res/resource.h"

namespace quelvar {
namespace {

// The title band is 77 rows; the band that drags the window takes one row more.
constexpr LONG kDragBandRows = 78;
constexpr int kCaptionFontHeight = 14;
constexpr wchar_t kCaptionFontFace[] = L"\u5b8b\u4f53";  // SimSun
constexpr int kWindowButtonSize = 26;
constexpr int kWindowButtonTop = 5;
constexpr int kCloseButtonLeft = 749;
constexpr int kMinimizeButtonLeft = 720;

HBITMAP LoadFace(int id) {
  return static_cast<HBITMAP>(
      ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0));
}

}  // namespace

void CQX_ScanfDlg::SetUpSkin() {
  LOGFONTW description{};
  description.lfHeight = kCaptionFontHeight;
  ::lstrcpynW(description.lfFaceName, kCaptionFontFace, LF_FACESIZE);
  m_captionFont.reset(::CreateFontIndirectW(&description));
  m_caption.Send(WM_SETFONT, reinterpret_cast<WPARAM>(m_captionFont.get()), TRUE);
  m_caption.SetForeColor(RGB(255, 255, 255));

  ::MoveWindow(m_btnClose.hwnd(), kCloseButtonLeft, kWindowButtonTop, kWindowButtonSize, kWindowButtonSize, TRUE);
  ::MoveWindow(m_btnMin.hwnd(), kMinimizeButtonLeft, kWindowButtonTop, kWindowButtonSize, kWindowButtonSize, TRUE);

  m_btnClose.SetFaceBitmaps(LoadFace(IDB_CLOSE_NORMAL), LoadFace(IDB_CLOSE_PRESSED), LoadFace(IDB_CLOSE_HOVER),
                            nullptr);
  m_btnMin.SetFaceBitmaps(LoadFace(IDB_MINIMIZE_NORMAL), LoadFace(IDB_MINIMIZE_PRESSED),
                          LoadFace(IDB_MINIMIZE_HOVER), nullptr);
}

Handled CQX_ScanfDlg::OnPaint() {
  PaintDC paint(hwnd());
  RECT client{};
  ::GetClientRect(hwnd(), &client);
  if (::IsIconic(hwnd())) {
    PaintMinimisedIcon(paint.get(), client);
  } else {
    PaintBackground(paint.get(), client);
  }
  return 0;
}

void CQX_ScanfDlg::PaintMinimisedIcon(HDC dc, const RECT& client) {
  Send(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  const int iconWidth = ::GetSystemMetrics(SM_CXICON);
  const int iconHeight = ::GetSystemMetrics(SM_CYICON);
  const int x = (client.right - client.left - iconWidth + 1) / 2;
  const int y = (client.bottom - client.top - iconHeight + 1) / 2;
  ::DrawIcon(dc, x, y, m_hIcon);
}

// The picture is loaded for each paint and let go after it, so the dialog holds no bitmap between paints.
void CQX_ScanfDlg::PaintBackground(HDC dc, const RECT& client) const {
  const ScopedBitmap picture(::LoadBitmapW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_BACKGROUND)));
  if (!picture) return;
  BITMAP header{};
  if (::GetObjectW(picture.get(), sizeof header, &header) == 0) return;
  const ScopedMemoryDC memory(::CreateCompatibleDC(dc));
  if (!memory) return;
  const SelectedObject selected(memory.get(), picture.get());
  ::StretchBlt(dc, 0, 0, client.right - client.left, client.bottom - client.top, memory.get(), 0, 0, header.bmWidth,
               header.bmHeight, SRCCOPY);
}

// The paint covers the whole client area; erasing first would only make it flicker.
Handled CQX_ScanfDlg::OnEraseBackground(HDC) { return TRUE; }

// Labels float on the picture in black. The caption static answers for itself, through its own object.
Handled CQX_ScanfDlg::OnCtlColor(HDC dc, HWND control, UINT message) {
  if (message != WM_CTLCOLORSTATIC || ::GetDlgCtrlID(control) == IDC_CAPTION) return kNotHandled;
  ::SetTextColor(dc, RGB(0, 0, 0));
  ::SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
}

// Without a title bar the top band stands in for one: a press there is handed on as a press on a caption,
// and the system moves the window with the mouse until the button is released.
Handled CQX_ScanfDlg::OnLButtonDown(UINT, POINT point) {
  if (point.y < kDragBandRows) {
    ::PostMessageW(hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(point.x, point.y));
  }
  return kNotHandled;
}

Handled CQX_ScanfDlg::OnQueryDragIcon() { return reinterpret_cast<LRESULT>(m_hIcon); }

// The close button takes the dialog's standard OK path (exchange, then end with IDOK), not the search.
void CQX_ScanfDlg::OnCloseButton() { Dialog::OnOK(); }

void CQX_ScanfDlg::OnMinimizeButton() { ::ShowWindow(hwnd(), SW_MINIMIZE); }

}  // namespace quelvar
