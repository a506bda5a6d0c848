// The main dialog's skin on the real dialog: background picture by pixels, erase, label colours, the drag
// band, the window buttons, the icon while minimised, and GDI objects over a thousand paints.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "app/qx_scanf_dlg.h"
#include "res/resource.h"
#include "skin_test_support.h"

namespace quelvar {
namespace {

using skin_test::GdiObjectCount;
using skin_test::Surface;

std::vector<LocalAddress> NoInterfaces() { return {}; }

// The dialog running one test body from inside its own modal loop, then closing.
class SkinDialog : public CQX_ScanfDlg {
 public:
  explicit SkinDialog(std::function<void(SkinDialog&)> body) : CQX_ScanfDlg(NoInterfaces), body_(std::move(body)) {}

  using CQX_ScanfDlg::PaintBackground;
  using CQX_ScanfDlg::PaintMinimisedIcon;

  int iconErases = 0;
  HDC lastIconEraseDc = nullptr;

  Handled WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kRunBody) {
      body_(*this);
      ::SendMessageW(hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
      return 0;
    }
    // Answered here without drawing: the system's answer paints the desktop, which is not the dialog's.
    if (message == WM_ICONERASEBKGND) {
      ++iconErases;
      lastIconEraseDc = reinterpret_cast<HDC>(wParam);
      return 1;
    }
    return CQX_ScanfDlg::WindowProc(message, wParam, lParam);
  }

  // Paints the whole window, child controls included, and waits until it is done.
  void Repaint() const { ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN); }
  // The dialog's own paint only.
  void RepaintBackground() const { ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }

  RECT Client() const {
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    return client;
  }

  // A child's rectangle in the dialog's client coordinates.
  RECT ChildRect(int id) const {
    RECT rect{};
    ::GetWindowRect(Item(id), &rect);
    ::MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }

 protected:
  BOOL OnInitDialog() override {
    const BOOL result = CQX_ScanfDlg::OnInitDialog();
    ::PostMessageW(hwnd(), kRunBody, 0, 0);
    return result;
  }

 private:
  static constexpr UINT kRunBody = WM_APP + 7;
  std::function<void(SkinDialog&)> body_;
};

void RunDialog(std::function<void(SkinDialog&)> body) {
  SkinDialog dialog(std::move(body));
  dialog.DoModal();
}

// A bitmap resource's pixels as the program's own resources hold them, read top row first.
class ResourcePicture {
 public:
  explicit ResourcePicture(int id) {
    const ScopedBitmap bitmap(static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                                                IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP header{};
    if (!bitmap || ::GetObjectW(bitmap.get(), sizeof header, &header) == 0) return;
    width_ = header.bmWidth;
    height_ = header.bmHeight;
    pixels_.resize(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
    BITMAPINFO info = skin_test::TopDown32BitInfo(width_, height_);
    const WindowDC screen(nullptr);
    ::GetDIBits(screen.get(), bitmap.get(), 0, static_cast<UINT>(height_), pixels_.data(), &info, DIB_RGB_COLORS);
  }
  int width() const { return width_; }
  int height() const { return height_; }
  COLORREF At(int x, int y) const {
    const std::uint32_t pixel = pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
  }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t> pixels_;
};

// Places the art has: the band with the title, the light strip, the dark rule, the panel, the corners.
constexpr POINT kArtPoints[] = {{0, 0},     {300, 40},  {100, 30},  {400, 76}, {400, 77}, {300, 90},
                                {300, 102}, {300, 103}, {515, 200}, {600, 270}, {779, 0}, {0, 508},
                                {779, 508}, {10, 495},  {770, 104}};

TEST(SkinDialogTest, TheTemplateComesToTheSizeOfItsArtWithWindowsDialogUnits) {
  const ResourcePicture art(IDB_BACKGROUND);
  ASSERT_EQ(art.width(), 780);
  ASSERT_EQ(art.height(), 509);
  RunDialog([&](SkinDialog& d) {
    const RECT client = d.Client();
    EXPECT_EQ(client.right, art.width());
    EXPECT_EQ(client.bottom, art.height());
  });
}

TEST(SkinDialogTest, PaintShowsTheWholeBackgroundOneToOneOnTheScreen) {
  const ResourcePicture art(IDB_BACKGROUND);
  ASSERT_EQ(art.width(), 780);
  RunDialog([&](SkinDialog& d) {
    ASSERT_EQ(d.Client().right, art.width()) << "the dialog's size depends on the dialog font";
    d.Repaint();
    const auto shown = skin_test::CaptureClient(d.hwnd());
    for (const POINT& p : kArtPoints) {
      EXPECT_EQ(shown->At(p.x, p.y), art.At(p.x, p.y)) << p.x << "," << p.y;
    }
    // The picture's rows really differ there, so the comparison above tells the band from the panel.
    EXPECT_NE(art.At(300, 40), art.At(300, 90));
    EXPECT_NE(art.At(300, 90), art.At(300, 102));
  });
}

// Twice the art's size in each direction: every picture pixel becomes a block of 2 x 2, whatever the
// stretch mode, and the picture's last pixel lands in the client area's last corner.
TEST(SkinDialogTest, PaintStretchesTheWholePictureOverAnyClientArea) {
  const ResourcePicture art(IDB_BACKGROUND);
  ASSERT_GT(art.width(), 0);
  RunDialog([&](SkinDialog& d) {
    Surface twice(art.width() * 2, art.height() * 2, RGB(255, 0, 255));
    d.PaintBackground(twice.dc(), RECT{0, 0, twice.width(), twice.height()});
    for (const POINT& p : kArtPoints) {
      EXPECT_EQ(twice.At(2 * p.x, 2 * p.y), art.At(p.x, p.y)) << p.x << "," << p.y;
      EXPECT_EQ(twice.At(2 * p.x + 1, 2 * p.y + 1), art.At(p.x, p.y)) << p.x << "," << p.y;
    }
    EXPECT_EQ(twice.Count(RGB(255, 0, 255)), 0);

    // Narrower and taller: the picture still covers it all (the default stretch mode merges the columns
    // it drops, so single pixels are not compared here).
    Surface odd(390, 1018, RGB(255, 0, 255));
    d.PaintBackground(odd.dc(), RECT{0, 0, odd.width(), odd.height()});
    EXPECT_EQ(odd.Count(RGB(255, 0, 255)), 0);
  });
}

TEST(SkinDialogTest, EraseReportsTheBackgroundErasedAndDrawsNothing) {
  RunDialog([](SkinDialog& d) {
    Surface surface(200, 100, RGB(255, 0, 255));
    EXPECT_NE(d.Send(WM_ERASEBKGND, reinterpret_cast<WPARAM>(surface.dc())), 0);
    EXPECT_EQ(surface.Count(RGB(255, 0, 255)), 200 * 100);
  });
}

TEST(SkinDialogTest, AThousandPaintsLeaveTheGdiObjectCountWhereItWas) {
  RunDialog([](SkinDialog& d) {
    d.Repaint();  // anything made once, by the system or a control, is made now
    const long before = GdiObjectCount();
    ASSERT_GT(before, 0);
    for (int paint = 0; paint < 1000; ++paint) d.RepaintBackground();
    EXPECT_EQ(GdiObjectCount(), before);
    // With every control painting over it, labels asking for their colours included.
    for (int paint = 0; paint < 100; ++paint) d.Repaint();
    EXPECT_EQ(GdiObjectCount(), before);

    // And while minimised.
    ::ShowWindow(d.hwnd(), SW_MINIMIZE);
    const long minimised = GdiObjectCount();
    for (int paint = 0; paint < 200; ++paint) d.Send(WM_PAINT);
    EXPECT_EQ(GdiObjectCount(), minimised);
    ::ShowWindow(d.hwnd(), SW_RESTORE);
  });
}

// The labels show black letters on the picture; the caption static keeps its own white.
TEST(SkinDialogTest, LabelsAskingForColoursGetBlackTransparentTextAndNoBrush) {
  RunDialog([](SkinDialog& d) {
    Surface surface(10, 10, RGB(255, 255, 255));
    const auto ask = [&](UINT message, int id) {
      ::SetTextColor(surface.dc(), RGB(255, 0, 0));
      ::SetBkMode(surface.dc(), OPAQUE);
      return reinterpret_cast<HBRUSH>(
          d.Send(message, reinterpret_cast<WPARAM>(surface.dc()), reinterpret_cast<LPARAM>(d.Item(id))));
    };
    const HBRUSH hollow = static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
    for (const int id : {IDC_LABEL_NEW_IP, IDC_LABEL_MASK, IDC_LABEL_GATEWAY, IDC_LABEL_OLD_IP}) {
      EXPECT_EQ(ask(WM_CTLCOLORSTATIC, id), hollow) << id;
      EXPECT_EQ(::GetTextColor(surface.dc()), RGB(0, 0, 0)) << id;
      EXPECT_EQ(::GetBkMode(surface.dc()), TRANSPARENT) << id;
    }

    EXPECT_EQ(ask(WM_CTLCOLORSTATIC, IDC_CAPTION), hollow);
    EXPECT_EQ(::GetTextColor(surface.dc()), RGB(255, 255, 255));
    EXPECT_EQ(::GetBkMode(surface.dc()), TRANSPARENT);

    // Only the static kind: a button's question gets the system's answer.
    EXPECT_NE(ask(WM_CTLCOLORBTN, IDC_SEARCH), hollow);
    EXPECT_EQ(::GetBkMode(surface.dc()), OPAQUE);
  });
}

// On the screen: every pixel of a label is the picture behind it or its black letters.
TEST(SkinDialogTest, LabelTextIsBlackOnThePictureBehindIt) {
  const ResourcePicture art(IDB_BACKGROUND);
  RunDialog([&](SkinDialog& d) {
    ASSERT_EQ(d.Client().right, art.width()) << "the dialog's size depends on the dialog font";
    d.Repaint();
    const auto shown = skin_test::CaptureClient(d.hwnd());
    for (const int id : {IDC_LABEL_NEW_IP, IDC_LABEL_MASK, IDC_LABEL_GATEWAY}) {
      const RECT label = d.ChildRect(id);
      int black = 0, picture = 0, other = 0;
      for (int y = label.top; y < label.bottom; ++y) {
        for (int x = label.left; x < label.right; ++x) {
          const COLORREF pixel = shown->At(x, y);
          if (pixel == RGB(0, 0, 0)) {
            ++black;
          } else if (pixel == art.At(x, y)) {
            ++picture;
          } else {
            ++other;
          }
        }
      }
      EXPECT_GT(black, 20) << id;
      EXPECT_GT(picture, black) << id;
      EXPECT_EQ(other, 0) << id;
    }
  });
}

TEST(SkinDialogTest, SetUpGivesTheCaptionItsFontAndColourAndPlacesTheWindowButtons) {
  RunDialog([](SkinDialog& d) {
    LOGFONTW font{};
    const auto captionFont = reinterpret_cast<HFONT>(d.m_caption.Send(WM_GETFONT));
    ASSERT_NE(captionFont, nullptr);
    ASSERT_NE(::GetObjectW(captionFont, sizeof font, &font), 0);
    EXPECT_EQ(font.lfHeight, 14);
    EXPECT_STREQ(font.lfFaceName, L"\u5b8b\u4f53");
    EXPECT_EQ(font.lfWeight, 0);
    EXPECT_EQ(d.m_caption.GetForeColor(), RGB(255, 255, 255));
    EXPECT_FALSE(::IsWindowVisible(d.m_caption.hwnd()));

    EXPECT_EQ(d.m_btnClose.hwnd(), d.Item(IDC_CLOSE));
    EXPECT_EQ(d.m_btnMin.hwnd(), d.Item(IDC_MINIMIZE));
    const RECT close = d.ChildRect(IDC_CLOSE);
    const RECT minimise = d.ChildRect(IDC_MINIMIZE);
    EXPECT_EQ((std::vector<LONG>{close.left, close.top, close.right, close.bottom}),
              (std::vector<LONG>{749, 5, 775, 31}));
    EXPECT_EQ((std::vector<LONG>{minimise.left, minimise.top, minimise.right, minimise.bottom}),
              (std::vector<LONG>{720, 5, 746, 31}));
  });
}

// The buttons show their plain faces, pixel for pixel the resources 144 and 150.
TEST(SkinDialogTest, WindowButtonsShowTheirPlainFaces) {
  const ResourcePicture closeFace(IDB_CLOSE_NORMAL);
  const ResourcePicture minimiseFace(IDB_MINIMIZE_NORMAL);
  const ResourcePicture closeLit(IDB_CLOSE_HOVER);
  RunDialog([&](SkinDialog& d) {
    // The pointer away from both buttons, so neither lights up.
    ::SetCursorPos(400, 300);
    d.Repaint();
    const auto shown = skin_test::CaptureClient(d.hwnd());
    int closeDiffers = 0, minimiseDiffers = 0, litDiffers = 0;
    for (int y = 0; y < 26; ++y) {
      for (int x = 0; x < 26; ++x) {
        closeDiffers += shown->At(749 + x, 5 + y) != closeFace.At(x, y) ? 1 : 0;
        minimiseDiffers += shown->At(720 + x, 5 + y) != minimiseFace.At(x, y) ? 1 : 0;
        litDiffers += closeLit.At(x, y) != closeFace.At(x, y) ? 1 : 0;
      }
    }
    EXPECT_EQ(closeDiffers, 0);
    EXPECT_EQ(minimiseDiffers, 0);
    EXPECT_GT(litDiffers, 100) << "the lit face must differ from the plain one for the hover checks";
  });
}

TEST(SkinDialogTest, DragIconIsTheDialogsIcon) {
  RunDialog([](SkinDialog& d) {
    ASSERT_NE(d.m_hIcon, nullptr);
    EXPECT_EQ(reinterpret_cast<HICON>(d.Send(WM_QUERYDRAGICON)), d.m_hIcon);
  });
}

// A press in the band is handed on as a press on a caption; one row lower it is not.
TEST(SkinDialogTest, APressAboveRow78StartsAMoveAndOneAtRow78DoesNot) {
  struct Case {
    int y;
    bool moves;
  };
  RunDialog([](SkinDialog& d) {
    for (const Case c : {Case{77, true}, Case{78, false}, Case{0, true}, Case{300, false}}) {
      d.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, c.y));
      MSG posted{};
      const bool found = ::PeekMessageW(&posted, d.hwnd(), WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE) != FALSE;
      EXPECT_EQ(found, c.moves) << "y " << c.y;
      if (found) {
        EXPECT_EQ(posted.wParam, static_cast<WPARAM>(HTCAPTION));
        EXPECT_EQ(posted.lParam, MAKELPARAM(300, c.y));
      }
      d.Send(WM_LBUTTONUP, 0, MAKELPARAM(300, c.y));
    }
  });
}

// While minimised the paint takes the icon branch: it asks for the icon background with its own device
// context and draws nothing of the picture.
TEST(SkinDialogTest, MinimisedPaintErasesTheIconBackgroundInsteadOfDrawingThePicture) {
  RunDialog([](SkinDialog& d) {
    d.Send(WM_PAINT);
    EXPECT_EQ(d.iconErases, 0);

    ::SendMessageW(d.Item(IDC_MINIMIZE), BM_CLICK, 0, 0);
    ASSERT_TRUE(::IsIconic(d.hwnd()));
    d.Send(WM_PAINT);
    EXPECT_EQ(d.iconErases, 1);
    EXPECT_NE(d.lastIconEraseDc, nullptr);
    ::ShowWindow(d.hwnd(), SW_RESTORE);
  });
}

// The icon lands centred, the odd pixel going right and down; nothing else of the client area changes.
TEST(SkinDialogTest, MinimisedPaintDrawsTheIconCentred) {
  RunDialog([](SkinDialog& d) {
    const int iconWidth = ::GetSystemMetrics(SM_CXICON);
    const int iconHeight = ::GetSystemMetrics(SM_CYICON);
    constexpr COLORREF kMarker = RGB(255, 0, 255);
    Surface reference(iconWidth, iconHeight, kMarker);
    ASSERT_TRUE(::DrawIcon(reference.dc(), 0, 0, d.m_hIcon));
    ASSERT_LT(reference.Count(kMarker), iconWidth * iconHeight / 2) << "the icon is mostly opaque";

    for (const SIZE client : {SIZE{100, 80}, SIZE{101, 81}, SIZE{iconWidth, iconHeight}}) {
      SCOPED_TRACE(::testing::Message() << client.cx << "x" << client.cy);
      Surface surface(client.cx, client.cy, kMarker);
      d.PaintMinimisedIcon(surface.dc(), RECT{0, 0, client.cx, client.cy});
      const int left = (client.cx - iconWidth + 1) / 2;
      const int top = (client.cy - iconHeight + 1) / 2;
      int differs = 0;
      for (int y = 0; y < iconHeight; ++y) {
        for (int x = 0; x < iconWidth; ++x) differs += surface.At(left + x, top + y) != reference.At(x, y) ? 1 : 0;
      }
      EXPECT_EQ(differs, 0);
      EXPECT_EQ(surface.Count(kMarker), client.cx * client.cy - (iconWidth * iconHeight - reference.Count(kMarker)));
    }
  });
}

}  // namespace
}  // namespace quelvar
