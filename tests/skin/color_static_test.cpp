// Colour static on a real display: text in its own colour over the parent's picture, and no trace of old
// text or an old font once the parent has repainted under it.
#include "controls/color_static.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "skin_test_support.h"

namespace quelvar {
namespace {

using skin_test::CaptureClient;
using skin_test::PumpMessages;
using skin_test::Surface;
using skin_test::TestParent;

constexpr int kCaptionId = 1012;
constexpr RECT kStaticRect{10, 10, 290, 60};  // in the parent's client area
constexpr COLORREF kText = RGB(220, 0, 0);
constexpr COLORREF kPatternA = RGB(40, 120, 200);
constexpr COLORREF kPatternB = RGB(230, 230, 210);
constexpr wchar_t kLongText[] = L"WWWWWWWWWWWWWWWWWWWW";
constexpr wchar_t kShortText[] = L"Wi";

// A small checkerboard, so any fill or leftover stands out from the parent's own painting.
COLORREF Pattern(int x, int y) { return ((x / 3 + y / 5) % 2) != 0 ? kPatternA : kPatternB; }

ScopedFont MakeFont(int height) {
  LOGFONTW description{};
  description.lfHeight = height;
  description.lfWeight = FW_BOLD;
  description.lfQuality = NONANTIALIASED_QUALITY;
  ::lstrcpyW(description.lfFaceName, L"Tahoma");
  return ScopedFont(::CreateFontIndirectW(&description));
}

// Where text in this font can put ink, in the parent's client coordinates: the text's extent from the
// static's top-left corner with a margin for overhangs.
RECT TextArea(HFONT font, const std::wstring& text) {
  const ScopedMemoryDC dc(::CreateCompatibleDC(nullptr));
  const SelectedObject selected(dc.get(), font);
  SIZE extent{};
  ::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
  return RECT{kStaticRect.left, kStaticRect.top, kStaticRect.left + extent.cx + 3, kStaticRect.top + extent.cy + 1};
}

int TextPixelsOutside(const Surface& screen, const RECT& area) {
  int count = 0;
  for (int y = kStaticRect.top; y < kStaticRect.bottom; ++y) {
    for (int x = kStaticRect.left; x < kStaticRect.right; ++x) {
      const POINT point{x, y};
      if (!::PtInRect(&area, point) && screen.At(x, y) == kText) ++count;
    }
  }
  return count;
}

// Inside the control: the parent's pattern everywhere, and text pixels of exactly the text colour only
// inside the text area, at least some of them.
void ExpectOnlyPatternAndText(const Surface& screen, const RECT& textArea) {
  int textPixels = 0;
  int wrong = 0;
  for (int y = kStaticRect.top; y < kStaticRect.bottom; ++y) {
    for (int x = kStaticRect.left; x < kStaticRect.right; ++x) {
      const COLORREF pixel = screen.At(x, y);
      const POINT point{x, y};
      if (pixel == kText && ::PtInRect(&textArea, point)) {
        ++textPixels;
      } else if (pixel != Pattern(x, y)) {
        if (++wrong <= 5) ADD_FAILURE() << "pixel " << x << "," << y << " is " << std::hex << pixel;
      }
    }
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_GT(textPixels, 10);
}

class ColorStaticTest : public ::testing::Test {
 protected:
  void SetUp() override {
    parent_ = TestParent::Create(200, 350, 300, 80, Pattern);
    ASSERT_NE(parent_, nullptr);
    window_ = parent_->AddChild(L"Static", L"", SS_LEFT, kStaticRect.left, kStaticRect.top,
                                kStaticRect.right - kStaticRect.left, kStaticRect.bottom - kStaticRect.top, kCaptionId);
    ASSERT_NE(window_, nullptr);
    caption_ = std::make_unique<CColorStatic>();
    ASSERT_TRUE(caption_->SubclassWindow(window_));
    caption_->SetForeColor(kText);
    ::SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
    PumpMessages();
  }

  void TearDown() override {
    caption_.reset();
    parent_.reset();
  }

  void SetText(const wchar_t* text) const {
    ::SetWindowTextW(window_, text);
    PumpMessages();
  }

  ScopedFont font_ = MakeFont(-24);
  std::unique_ptr<TestParent> parent_;
  std::unique_ptr<CColorStatic> caption_;
  HWND window_ = nullptr;
};

TEST_F(ColorStaticTest, ShorterTextLeavesNoTraceOfTheLongerOne) {
  SetText(kLongText);
  const RECT shortArea = TextArea(font_.get(), kShortText);
  {
    const auto screen = CaptureClient(parent_->hwnd());
    ExpectOnlyPatternAndText(*screen, TextArea(font_.get(), kLongText));
    // The long text reaches well past where the short one ends: that is where a trace would show.
    ASSERT_GT(TextPixelsOutside(*screen, shortArea), 50);
  }
  SetText(kShortText);
  const auto screen = CaptureClient(parent_->hwnd());
  ExpectOnlyPatternAndText(*screen, shortArea);
  EXPECT_EQ(TextPixelsOutside(*screen, shortArea), 0);
}

// Without the parent repaint a transparent static keeps the old letters: the fault the control prevents,
// and proof that the check above can see it.
TEST(ColorStaticFixture, PlainTransparentStaticKeepsTheOldLetters) {
  const auto parent = TestParent::Create(200, 350, 300, 80, Pattern);
  ASSERT_NE(parent, nullptr);
  parent->transparentStatics = true;
  parent->staticTextColor = kText;
  const ScopedFont font = MakeFont(-24);
  const HWND window = parent->AddChild(L"Static", L"", SS_LEFT, kStaticRect.left, kStaticRect.top,
                                       kStaticRect.right - kStaticRect.left, kStaticRect.bottom - kStaticRect.top,
                                       kCaptionId);
  ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
  ::SetWindowTextW(window, kLongText);
  PumpMessages();
  ::SetWindowTextW(window, kShortText);
  PumpMessages();
  const auto screen = CaptureClient(parent->hwnd());
  EXPECT_GT(TextPixelsOutside(*screen, TextArea(font.get(), kShortText)), 50);
}

TEST_F(ColorStaticTest, SmallerFontLeavesNoTraceOfTheLargerOne) {
  const ScopedFont large = MakeFont(-36);
  const ScopedFont small = MakeFont(-12);
  ::SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(large.get()), TRUE);
  SetText(L"Quelvar");
  const RECT smallArea = TextArea(small.get(), L"Quelvar");
  ASSERT_GT(TextPixelsOutside(*CaptureClient(parent_->hwnd()), smallArea), 50);

  ::SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(small.get()), TRUE);
  PumpMessages();
  const auto screen = CaptureClient(parent_->hwnd());
  ExpectOnlyPatternAndText(*screen, smallArea);
  EXPECT_EQ(TextPixelsOutside(*screen, smallArea), 0);
  ::SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
}

TEST_F(ColorStaticTest, NewColourRepaintsTheControlOnlyAndKeepsTheLetters) {
  SetText(L"Quelvar");
  const auto before = CaptureClient(parent_->hwnd());
  ::ValidateRect(parent_->hwnd(), nullptr);
  ::ValidateRect(window_, nullptr);

  constexpr COLORREF kWhite = RGB(255, 255, 255);
  caption_->SetForeColor(kWhite);
  EXPECT_EQ(caption_->GetForeColor(), kWhite);
  EXPECT_FALSE(::GetUpdateRect(parent_->hwnd(), nullptr, FALSE));
  EXPECT_TRUE(::GetUpdateRect(window_, nullptr, FALSE));
  PumpMessages();

  const auto after = CaptureClient(parent_->hwnd());
  int letters = 0;
  for (int y = kStaticRect.top; y < kStaticRect.bottom; ++y) {
    for (int x = kStaticRect.left; x < kStaticRect.right; ++x) {
      const bool wasText = before->At(x, y) == kText;
      EXPECT_EQ(after->At(x, y), wasText ? kWhite : Pattern(x, y)) << x << "," << y;
      letters += wasText ? 1 : 0;
    }
  }
  EXPECT_GT(letters, 10);
}

TEST_F(ColorStaticTest, ColourQuestionIsAnsweredByTheControlNotTheParent) {
  const Surface surface(4, 4, RGB(0, 0, 0));
  ::SetBkMode(surface.dc(), OPAQUE);
  ::SetTextColor(surface.dc(), RGB(1, 2, 3));
  parent_->ownCtlColorRequests = 0;
  const LRESULT brush = ::SendMessageW(parent_->hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(surface.dc()),
                                       reinterpret_cast<LPARAM>(window_));
  EXPECT_EQ(reinterpret_cast<HGDIOBJ>(brush), ::GetStockObject(NULL_BRUSH));
  EXPECT_EQ(::GetTextColor(surface.dc()), kText);
  EXPECT_EQ(::GetBkMode(surface.dc()), TRANSPARENT);
  EXPECT_EQ(parent_->ownCtlColorRequests, 0);
}

TEST(ColorStaticAlone, WithoutParentTextAndFontStillChange) {
  const HWND window = ::CreateWindowExW(0, L"Static", L"old", WS_POPUP | SS_LEFT, 0, 0, 100, 20, nullptr, nullptr,
                                        ::GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  ASSERT_EQ(::GetParent(window), nullptr);
  const ScopedFont font = MakeFont(-12);
  {
    CColorStatic caption;
    ASSERT_TRUE(caption.SubclassWindow(window));
    EXPECT_EQ(caption.GetForeColor(), ::GetSysColor(COLOR_BTNTEXT));
    EXPECT_TRUE(::SetWindowTextW(window, L"new text"));
    ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    wchar_t text[32] = {};
    ::GetWindowTextW(window, text, 32);
    EXPECT_STREQ(text, L"new text");
    EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0)), font.get());
  }
  ::DestroyWindow(window);
}

}  // namespace
}  // namespace quelvar
