// Bitmap button: face choice checked by pixels, face ownership, hover tracking, the caption and its chained
// setters, clicks reaching both the button and its parent, and GDI objects over many paints.
#include "controls/bit_button_nl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>

#include "skin_test_support.h"

namespace quelvar {
namespace {

using skin_test::GdiObjectCount;
using skin_test::MakeFace;
using skin_test::PumpMessages;
using skin_test::PumpUntil;
using skin_test::Surface;
using skin_test::TestParent;

constexpr COLORREF kBackground = RGB(255, 0, 255);
constexpr int kButtonId = 1011;
constexpr int kOtherId = 2000;
// Larger than every face, so what a face leaves unpainted shows.
constexpr int kWidth = 40;
constexpr int kHeight = 30;
constexpr POINT kButtonAt{10, 10};  // in the parent's client area
constexpr POINT kParentAt{200, 200};

// Each face has its own size and colour, and a marker colour at its top-left pixel.
struct TestFace {
  const char* name;
  int width;
  int height;
  COLORREF color;
  COLORREF marker;
};
constexpr TestFace kNormal{"normal", 26, 26, RGB(200, 0, 0), RGB(100, 0, 0)};
constexpr TestFace kPressed{"pressed", 20, 20, RGB(0, 200, 0), RGB(0, 100, 0)};
constexpr TestFace kHover{"hover", 24, 24, RGB(0, 0, 200), RGB(0, 0, 100)};
constexpr TestFace kDisabled{"disabled", 22, 22, RGB(200, 200, 0), RGB(100, 100, 0)};

HBITMAP Make(const TestFace& face) { return MakeFace(face.width, face.height, face.color, face.marker); }

bool IsBitmap(HBITMAP bitmap) { return ::GetObjectType(bitmap) == OBJ_BITMAP; }

class BitButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    parent_ = TestParent::Create(kParentAt.x, kParentAt.y, 200, 100);
    ASSERT_NE(parent_, nullptr);
    other_ = parent_->AddChild(L"Button", L"other", BS_PUSHBUTTON, 120, 10, 60, 30, kOtherId);
    window_ = parent_->AddChild(L"Button", L"X", BS_PUSHBUTTON, kButtonAt.x, kButtonAt.y, kWidth, kHeight, kButtonId);
    ASSERT_NE(window_, nullptr);
    button_ = std::make_unique<CBitButtonNL>();
    ASSERT_TRUE(button_->SubclassWindow(window_));
    // The pointer rests on the button, so the leave notification it asks for does not come at once.
    ::SetCursorPos(kParentAt.x + kButtonAt.x + kWidth / 2, kParentAt.y + kButtonAt.y + kHeight / 2);
    PumpMessages();
    // Every test starts from the plain face, whatever the pointer's arrival did.
    SetHover(false);
  }

  void TearDown() override {
    button_.reset();
    parent_.reset();
  }

  void GiveAllFaces() const {
    ASSERT_TRUE(button_->SetFaceBitmaps(Make(kNormal), Make(kPressed), Make(kHover), Make(kDisabled)));
  }

  // Draws the button into the surface as the owner-draw callback would, with this item state.
  void Render(Surface& surface, UINT itemState) const {
    surface.Fill(kBackground);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.CtlID = kButtonId;
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = itemState;
    item.hwndItem = window_;
    item.hDC = surface.dc();
    item.rcItem = RECT{0, 0, surface.width(), surface.height()};
    button_->DrawItem(item);
  }

  // Mouse moves as the system sends them, in the button's client coordinates.
  void MoveTo(int x, int y, UINT keys = 0) const {
    ::SendMessageW(window_, WM_MOUSEMOVE, keys, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
  }
  void MoveInside(UINT keys = 0) const { MoveTo(kWidth / 2, kHeight / 2, keys); }
  // A point of the parent, left of and above the button.
  void MoveOverParent(UINT keys = 0) const { MoveTo(-5, -5, keys); }
  void SetHover(bool hover) const {
    if (hover) {
      MoveInside();
    } else {
      ::SendMessageW(window_, WM_MOUSELEAVE, 0, 0);
    }
  }

  bool HasPendingRepaint() const { return ::GetUpdateRect(window_, nullptr, FALSE) != FALSE; }

  std::unique_ptr<TestParent> parent_;
  std::unique_ptr<CBitButtonNL> button_;
  HWND window_ = nullptr;
  HWND other_ = nullptr;
};

// The face at (shift, shift), whole and unstretched, and nothing else painted.
void ExpectFace(const Surface& surface, const TestFace& face, int shift) {
  SCOPED_TRACE(face.name);
  EXPECT_EQ(surface.At(shift, shift), face.marker);
  EXPECT_EQ(surface.At(shift + 1, shift + 1), face.color);
  EXPECT_EQ(surface.At(shift + face.width - 1, shift + face.height - 1), face.color);
  EXPECT_EQ(surface.At(shift + face.width, shift + face.height - 1), kBackground);
  EXPECT_EQ(surface.At(shift + face.width - 1, shift + face.height), kBackground);
  if (shift != 0) {
    EXPECT_EQ(surface.At(0, 0), kBackground);
    EXPECT_EQ(surface.At(face.width / 2, 0), kBackground);
    EXPECT_EQ(surface.At(0, face.height / 2), kBackground);
  }
  EXPECT_EQ(surface.Count(face.color), face.width * face.height - 1);
  EXPECT_EQ(surface.Count(kBackground), surface.width() * surface.height() - face.width * face.height);
}

// The normal face in the platform's disabled look: no pixel of its own colours left, grey where it was,
// the rest of the button untouched.
void ExpectGreyedNormalFace(const Surface& surface) {
  const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
  EXPECT_EQ(surface.Count(kNormal.color), 0);
  EXPECT_EQ(surface.Count(kNormal.marker), 0);
  EXPECT_EQ(surface.At(5, 5), shadow);
  EXPECT_EQ(surface.At(kNormal.width - 1, kNormal.height - 1), shadow);
  EXPECT_EQ(surface.At(kNormal.width + 2, 5), kBackground);
  EXPECT_EQ(surface.At(5, kNormal.height + 2), kBackground);
  EXPECT_EQ(surface.At(kWidth - 1, kHeight - 1), kBackground);
}

TEST_F(BitButtonTest, FaceFollowsStateWithDisabledBeforePressedBeforeHover) {
  struct Case {
    const char* name;
    UINT itemState;
    bool hover;
    bool hasPressed, hasHover, hasDisabled;
    const TestFace* expected;  // nullptr: the greyed normal face
    int shift;
  };
  const Case cases[] = {
      {"normal", 0, false, true, true, true, &kNormal, 0},
      {"hover", 0, true, true, true, true, &kHover, 0},
      {"hover without a hover face", 0, true, true, false, true, &kNormal, 0},
      {"pressed", ODS_SELECTED, false, true, true, true, &kPressed, 0},
      {"pressed without a pressed face", ODS_SELECTED, false, false, true, true, &kNormal, 1},
      {"disabled", ODS_DISABLED, false, true, true, true, &kDisabled, 0},
      {"disabled without a disabled face", ODS_DISABLED, false, true, true, false, nullptr, 0},
      {"disabled, pressed and hover", ODS_DISABLED | ODS_SELECTED, true, true, true, true, &kDisabled, 0},
      {"disabled and hover without a disabled face", ODS_DISABLED, true, true, true, false, nullptr, 0},
      {"pressed and hover", ODS_SELECTED, true, true, true, true, &kPressed, 0},
      {"pressed and hover without a pressed face", ODS_SELECTED, true, false, true, true, &kNormal, 1},
      {"focus only", ODS_FOCUS, false, true, true, true, &kNormal, 0},
  };
  Surface surface(kWidth, kHeight, kBackground);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(button_->SetFaceBitmaps(Make(kNormal), c.hasPressed ? Make(kPressed) : nullptr,
                                        c.hasHover ? Make(kHover) : nullptr,
                                        c.hasDisabled ? Make(kDisabled) : nullptr));
    SetHover(c.hover);
    ASSERT_EQ(button_->IsHovering(), c.hover);
    Render(surface, c.itemState);
    if (c.expected != nullptr) {
      ExpectFace(surface, *c.expected, c.shift);
    } else {
      ExpectGreyedNormalFace(surface);
    }
  }
}

TEST_F(BitButtonTest, AttachedPushButtonBecomesOwnerDrawnAndPaintsThroughItsParent) {
  EXPECT_EQ(::GetWindowLongW(window_, GWL_STYLE) & 0x1F, BS_OWNERDRAW);
  GiveAllFaces();
  Surface surface(kWidth, kHeight, kBackground);
  // The button's own paint asks the parent, which hands WM_DRAWITEM back to the button's object.
  const auto print = [&] {
    surface.Fill(kBackground);
    ::SendMessageW(window_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(surface.dc()), PRF_CLIENT);
  };
  print();
  ExpectFace(surface, kNormal, 0);

  ::SendMessageW(window_, BM_SETSTATE, TRUE, 0);
  print();
  ExpectFace(surface, kPressed, 0);
  ::SendMessageW(window_, BM_SETSTATE, FALSE, 0);

  ::EnableWindow(window_, FALSE);
  print();
  ExpectFace(surface, kDisabled, 0);
  ::EnableWindow(window_, TRUE);
}

TEST(BitButtonAttach, AnyButtonTypeBecomesOwnerDrawnKeepingItsOtherStyles) {
  const auto parent = TestParent::Create(kParentAt.x, kParentAt.y, 200, 100);
  ASSERT_NE(parent, nullptr);
  const DWORD types[] = {BS_PUSHBUTTON, BS_DEFPUSHBUTTON, BS_CHECKBOX, BS_AUTORADIOBUTTON, BS_OWNERDRAW};
  for (const DWORD type : types) {
    SCOPED_TRACE(type);
    const HWND window = parent->AddChild(L"Button", L"-", type | BS_FLAT | WS_TABSTOP, 0, 0, 26, 26, kButtonId);
    CBitButtonNL button;
    ASSERT_TRUE(button.SubclassWindow(window));
    const LONG style = ::GetWindowLongW(window, GWL_STYLE);
    EXPECT_EQ(style & 0x1F, BS_OWNERDRAW);
    EXPECT_EQ(style & (BS_FLAT | WS_TABSTOP | WS_VISIBLE | WS_CHILD),
              static_cast<LONG>(BS_FLAT | WS_TABSTOP | WS_VISIBLE | WS_CHILD));
    ::DestroyWindow(window);
  }
}

TEST(BitButtonAttach, CaptionFontStartsAsAPrivateCopyOfTheButtonsFont) {
  const auto parent = TestParent::Create(kParentAt.x, kParentAt.y, 200, 100);
  ASSERT_NE(parent, nullptr);
  LOGFONTW description{};
  description.lfHeight = -13;
  description.lfItalic = TRUE;
  description.lfWeight = FW_BOLD;
  ::lstrcpyW(description.lfFaceName, L"Tahoma");
  const ScopedFont font(::CreateFontIndirectW(&description));
  const HWND window = parent->AddChild(L"Button", L"X", BS_PUSHBUTTON, 0, 0, 26, 26, kButtonId);
  ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);

  CBitButtonNL button;
  ASSERT_TRUE(button.SubclassWindow(window));
  ASSERT_NE(button.CaptionFont(), nullptr);
  EXPECT_NE(button.CaptionFont(), font.get());
  LOGFONTW copy{};
  ASSERT_EQ(::GetObjectW(button.CaptionFont(), sizeof copy, &copy), static_cast<int>(sizeof copy));
  EXPECT_EQ(copy.lfHeight, -13);
  EXPECT_EQ(copy.lfItalic, TRUE);
  EXPECT_EQ(copy.lfWeight, FW_BOLD);
  EXPECT_STREQ(copy.lfFaceName, L"Tahoma");
}

TEST_F(BitButtonTest, FacesHandedOverBelongToTheButtonUntilReplacedOrDestroyed) {
  const HBITMAP first[] = {Make(kNormal), Make(kPressed), Make(kHover), Make(kDisabled)};
  ASSERT_TRUE(button_->SetFaceBitmaps(first[0], first[1], first[2], first[3]));
  for (const HBITMAP face : first) EXPECT_TRUE(IsBitmap(face));

  const HBITMAP second[] = {Make(kNormal), Make(kPressed)};
  ASSERT_TRUE(button_->SetFaceBitmaps(second[0], second[1], nullptr, nullptr));
  for (const HBITMAP face : first) EXPECT_FALSE(IsBitmap(face));
  for (const HBITMAP face : second) EXPECT_TRUE(IsBitmap(face));

  button_.reset();
  for (const HBITMAP face : second) EXPECT_FALSE(IsBitmap(face));
  // The window outlives the object and still works.
  EXPECT_TRUE(::IsWindow(window_));
}

TEST_F(BitButtonTest, NullNormalFaceClearsEveryFaceAndLeavesTheOthersWithTheCaller) {
  GiveAllFaces();
  const HBITMAP pressed = Make(kPressed);
  const HBITMAP hover = Make(kHover);
  const HBITMAP disabled = Make(kDisabled);
  EXPECT_TRUE(button_->SetFaceBitmaps(nullptr, pressed, hover, disabled));

  Surface surface(kWidth, kHeight, kBackground);
  for (const UINT state : {0u, static_cast<UINT>(ODS_SELECTED), static_cast<UINT>(ODS_DISABLED)}) {
    Render(surface, state);
    EXPECT_EQ(surface.Count(kBackground), kWidth * kHeight) << state;
  }
  for (const HBITMAP face : {pressed, hover, disabled}) {
    EXPECT_TRUE(IsBitmap(face));
    ::DeleteObject(face);
  }
}

TEST_F(BitButtonTest, UnreadableFaceDeletesWhatWasTakenAndLeavesNoFaces) {
  GiveAllFaces();
  const HBITMAP normal = Make(kNormal);
  const HBITMAP pressed = Make(kPressed);
  // A region is a GDI object but has no bitmap header.
  const auto unreadable = reinterpret_cast<HBITMAP>(::CreateRectRgn(0, 0, 4, 4));
  const HBITMAP disabled = Make(kDisabled);
  ASSERT_NE(::GetObjectType(unreadable), 0u);

  ::ValidateRect(window_, nullptr);
  EXPECT_FALSE(button_->SetFaceBitmaps(normal, pressed, unreadable, disabled));
  EXPECT_FALSE(HasPendingRepaint());
  EXPECT_EQ(::GetObjectType(normal), 0u);
  EXPECT_EQ(::GetObjectType(pressed), 0u);
  EXPECT_EQ(::GetObjectType(unreadable), 0u);
  // Handles after the failing one are not touched.
  EXPECT_TRUE(IsBitmap(disabled));
  ::DeleteObject(disabled);

  Surface surface(kWidth, kHeight, kBackground);
  for (const UINT state : {0u, static_cast<UINT>(ODS_SELECTED), static_cast<UINT>(ODS_DISABLED)}) {
    Render(surface, state);
    EXPECT_EQ(surface.Count(kBackground), kWidth * kHeight) << state;
  }
}

TEST_F(BitButtonTest, HoverStartsOnEnteringAndEndsOnLeaving) {
  enum class Event { kMoveInside, kMoveInsideHeld, kMoveOverParent, kMoveOverParentHeld, kMouseLeave, kKillFocus };
  struct Case {
    const char* name;
    bool hoveringBefore;
    Event event;
    bool hoveringAfter;
    std::optional<bool> repaints;  // unset where the button's own processing repaints anyway
  };
  const Case cases[] = {
      {"entering", false, Event::kMoveInside, true, true},
      {"entering with the mouse button held", false, Event::kMoveInsideHeld, false, false},
      {"moving inside", true, Event::kMoveInside, true, false},
      {"pressing inside", true, Event::kMoveInsideHeld, true, false},
      {"moving onto another window", true, Event::kMoveOverParent, false, true},
      {"dragging onto another window", true, Event::kMoveOverParentHeld, false, true},
      {"leave notification", true, Event::kMouseLeave, false, true},
      {"leave notification without hover", false, Event::kMouseLeave, false, false},
      {"moving over another window without hover", false, Event::kMoveOverParent, false, false},
      {"losing the focus", true, Event::kKillFocus, false, std::nullopt},
  };
  GiveAllFaces();
  Surface surface(kWidth, kHeight, kBackground);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.event == Event::kKillFocus) ::SetFocus(window_);
    SetHover(c.hoveringBefore);
    ASSERT_EQ(button_->IsHovering(), c.hoveringBefore);
    ::ValidateRect(window_, nullptr);
    switch (c.event) {
      case Event::kMoveInside: MoveInside(); break;
      case Event::kMoveInsideHeld: MoveInside(MK_LBUTTON); break;
      case Event::kMoveOverParent: MoveOverParent(); break;
      case Event::kMoveOverParentHeld: MoveOverParent(MK_LBUTTON); break;
      case Event::kMouseLeave: ::SendMessageW(window_, WM_MOUSELEAVE, 0, 0); break;
      case Event::kKillFocus: ::SetFocus(other_); break;
    }
    if (c.repaints) {
      EXPECT_EQ(HasPendingRepaint(), *c.repaints);
    }
    Render(surface, 0);
    ExpectFace(surface, c.hoveringAfter ? kHover : kNormal, 0);
  }
}

TEST_F(BitButtonTest, EnteringWithTheMouseButtonHeldLightsOnlyAfterReleaseAndANewMove) {
  GiveAllFaces();
  MoveInside(MK_LBUTTON);
  MoveInside(MK_LBUTTON);
  EXPECT_FALSE(button_->IsHovering());
  MoveInside();
  EXPECT_TRUE(button_->IsHovering());
}

TEST_F(BitButtonTest, PointerArrivingOnTheButtonLightsIt) {
  GiveAllFaces();
  ::SetCursorPos(kParentAt.x + 150, kParentAt.y + 80);
  PumpMessages();
  ASSERT_FALSE(button_->IsHovering());
  ::SetCursorPos(kParentAt.x + kButtonAt.x + 5, kParentAt.y + kButtonAt.y + 5);
  EXPECT_TRUE(PumpUntil([&] { return button_->IsHovering(); }, 3000));
  Surface surface(kWidth, kHeight, kBackground);
  Render(surface, 0);
  ExpectFace(surface, kHover, 0);
}

TEST_F(BitButtonTest, PointerLeavingEndsHoverThroughTheRequestedLeaveNotification) {
  GiveAllFaces();
  MoveInside();
  ASSERT_TRUE(button_->IsHovering());
  ::SetCursorPos(kParentAt.x + 150, kParentAt.y + 80);  // over the parent, away from both buttons
  EXPECT_TRUE(PumpUntil([&] { return !button_->IsHovering(); }, 3000));
  Surface surface(kWidth, kHeight, kBackground);
  Render(surface, 0);
  ExpectFace(surface, kNormal, 0);
}

TEST_F(BitButtonTest, ClickGivesTheButtonTheFocusThenRunsTheParentsHandler) {
  struct Case {
    UINT code;
    bool focusMoves;
  };
  for (const Case c : {Case{BN_CLICKED, true}, Case{BN_DBLCLK, false}}) {
    SCOPED_TRACE(c.code);
    ::SetFocus(other_);
    ASSERT_EQ(::GetFocus(), other_);
    parent_->commands.clear();
    ::SendMessageW(parent_->hwnd(), WM_COMMAND, MAKEWPARAM(kButtonId, c.code), reinterpret_cast<LPARAM>(window_));
    ASSERT_EQ(parent_->commands.size(), 1u);
    EXPECT_EQ(parent_->commands[0].id, static_cast<UINT>(kButtonId));
    EXPECT_EQ(parent_->commands[0].code, c.code);
    const HWND expectedFocus = c.focusMoves ? window_ : other_;
    EXPECT_EQ(parent_->commands[0].focus, expectedFocus);
    EXPECT_EQ(::GetFocus(), expectedFocus);
  }
}

TEST_F(BitButtonTest, RealClickReachesTheParentOnce) {
  GiveAllFaces();
  ::SetFocus(other_);
  parent_->commands.clear();
  ::SendMessageW(window_, BM_CLICK, 0, 0);
  PumpMessages();
  int clicks = 0;
  for (const TestParent::Command& command : parent_->commands) {
    if (command.code == BN_CLICKED && command.id == static_cast<UINT>(kButtonId)) ++clicks;
  }
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(::GetFocus(), window_);
}

TEST_F(BitButtonTest, SettersChainAndRepaintOnlyWhenAsked) {
  ::ValidateRect(window_, nullptr);
  const HFONT before = button_->CaptionFont();
  CBitButtonNL& chained = button_->SetCaptionVisible(true, false)
                              .SetCaptionBold(true, false)
                              .SetCaptionItalic(true, false)
                              .SetCaptionUnderline(true, false)
                              .SetCaptionFontName(L"Tahoma", ANSI_CHARSET, false)
                              .SetCaptionPointSize(12, false)
                              .SetCaptionShadow(true, 4, 1, false)
                              .SetCaptionShadowColor(RGB(1, 2, 3), false)
                              .SetEmbossWhenDisabled(false, false);
  EXPECT_EQ(&chained, button_.get());
  EXPECT_FALSE(HasPendingRepaint());
  // Each remade font replaced the one before it.
  EXPECT_EQ(::GetObjectType(before), 0u);

  LOGFONTW font{};
  ASSERT_EQ(::GetObjectW(button_->CaptionFont(), sizeof font, &font), static_cast<int>(sizeof font));
  int pixelsPerInch = 0;
  {
    const WindowDC screen(nullptr);
    pixelsPerInch = ::GetDeviceCaps(screen.get(), LOGPIXELSY);
  }
  EXPECT_EQ(font.lfWeight, FW_BOLD);
  EXPECT_EQ(font.lfItalic, 1);
  EXPECT_EQ(font.lfUnderline, 1);
  EXPECT_EQ(font.lfCharSet, ANSI_CHARSET);
  EXPECT_STREQ(font.lfFaceName, L"Tahoma");
  EXPECT_EQ(font.lfHeight, -::MulDiv(pixelsPerInch, 120, 720));
  EXPECT_EQ(font.lfWidth, 0);

  button_->SetCaptionBold(false, true);
  EXPECT_TRUE(HasPendingRepaint());
  ASSERT_EQ(::GetObjectW(button_->CaptionFont(), sizeof font, &font), static_cast<int>(sizeof font));
  EXPECT_EQ(font.lfWeight, FW_NORMAL);
  EXPECT_EQ(font.lfItalic, 1);

  const std::wstring tooLong(40, L'A');
  button_->SetCaptionFontName(tooLong, DEFAULT_CHARSET, false);
  ASSERT_EQ(::GetObjectW(button_->CaptionFont(), sizeof font, &font), static_cast<int>(sizeof font));
  EXPECT_EQ(std::wstring(font.lfFaceName), std::wstring(31, L'A'));

  LOGFONTW whole{};
  whole.lfHeight = -20;
  whole.lfWeight = FW_THIN;
  ::lstrcpyW(whole.lfFaceName, L"Courier New");
  ::ValidateRect(window_, nullptr);
  EXPECT_EQ(&button_->SetCaptionFont(whole, true), button_.get());
  EXPECT_TRUE(HasPendingRepaint());
  ASSERT_EQ(::GetObjectW(button_->CaptionFont(), sizeof font, &font), static_cast<int>(sizeof font));
  EXPECT_EQ(font.lfHeight, -20);
  EXPECT_EQ(font.lfWeight, FW_THIN);
  EXPECT_EQ(font.lfItalic, 0);
  EXPECT_STREQ(font.lfFaceName, L"Courier New");
}

// The caption drawn over faces that fill the whole button, in a font without smoothing so each colour
// drawn is exact.
class BitButtonCaptionTest : public BitButtonTest {
 protected:
  static constexpr COLORREF kFace = RGB(0, 128, 128);

  void SetUp() override {
    BitButtonTest::SetUp();
    if (HasFatalFailure()) return;
    const auto whole = [] { return MakeFace(kWidth, kHeight, kFace, kFace); };
    ASSERT_TRUE(button_->SetFaceBitmaps(whole(), whole(), nullptr, whole()));
    LOGFONTW font{};
    font.lfHeight = -16;
    font.lfWeight = FW_BOLD;
    font.lfQuality = NONANTIALIASED_QUALITY;
    ::lstrcpyW(font.lfFaceName, L"Tahoma");
    button_->SetCaptionFont(font, false);
    ::SetWindowTextW(window_, L"Go");
  }

  const COLORREF text_ = ::GetSysColor(COLOR_BTNTEXT);
};

TEST_F(BitButtonCaptionTest, CaptionIsPaintedOnlyWhenSwitchedOnAndNotEmpty) {
  Surface surface(kWidth, kHeight, kBackground);
  Render(surface, 0);
  EXPECT_EQ(surface.Count(kFace), kWidth * kHeight);

  button_->SetCaptionVisible(true, false);
  Render(surface, 0);
  const int textPixels = surface.Count(text_);
  EXPECT_GT(textPixels, 20);
  EXPECT_EQ(surface.Count(kFace) + textPixels, kWidth * kHeight);
  // Centred across the button: the text's box is, and the letters lie in that box, which a font may
  // make wider than the letters themselves (Wine's Tahoma Bold advances one pixel more per letter).
  const RECT text = surface.BoundsOf(text_);
  SIZE box{};
  {
    const SelectedObject font(surface.dc(), button_->CaptionFont());
    ::GetTextExtentPoint32W(surface.dc(), L"Go", 2, &box);
  }
  const LONG slack = std::max<LONG>(0, box.cx - (text.right - text.left));
  EXPECT_NEAR(text.left, kWidth - text.right, slack + 2);

  ::SetWindowTextW(window_, L"");
  Render(surface, 0);
  EXPECT_EQ(surface.Count(kFace), kWidth * kHeight);
}

TEST_F(BitButtonCaptionTest, PressedCaptionMovesOnePixelRightAndDown) {
  button_->SetCaptionVisible(true, false);
  Surface surface(kWidth, kHeight, kBackground);
  Render(surface, 0);
  RECT normal = surface.BoundsOf(text_);
  Render(surface, ODS_SELECTED);
  const RECT pressed = surface.BoundsOf(text_);
  ASSERT_FALSE(::IsRectEmpty(&normal));
  ::OffsetRect(&normal, 1, 1);
  EXPECT_TRUE(::EqualRect(&normal, &pressed));
}

TEST_F(BitButtonCaptionTest, ShadowLiesBehindTheCaptionAtItsShiftExceptWhilePressed) {
  constexpr COLORREF kShadow = RGB(255, 255, 0);
  button_->SetCaptionVisible(true, false).SetCaptionShadow(true, 3, 2, false).SetCaptionShadowColor(kShadow, false);
  Surface surface(kWidth, kHeight, kBackground);
  Render(surface, 0);
  const RECT text = surface.BoundsOf(text_);
  const RECT shadow = surface.BoundsOf(kShadow);
  ASSERT_FALSE(::IsRectEmpty(&text));
  ASSERT_FALSE(::IsRectEmpty(&shadow));
  EXPECT_EQ(shadow.right, text.right + 3);
  EXPECT_EQ(shadow.bottom, text.bottom + 2);

  Render(surface, ODS_SELECTED);
  EXPECT_EQ(surface.Count(kShadow), 0);
  EXPECT_GT(surface.Count(text_), 0);
}

TEST_F(BitButtonCaptionTest, DisabledCaptionIsEmbossedUnlessSwitchedOff) {
  const COLORREF highlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
  const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
  button_->SetCaptionVisible(true, false);
  Surface surface(kWidth, kHeight, kBackground);
  Render(surface, ODS_DISABLED);
  EXPECT_EQ(surface.Count(text_), 0);
  const RECT light = surface.BoundsOf(highlight);
  const RECT dark = surface.BoundsOf(shadow);
  ASSERT_FALSE(::IsRectEmpty(&light));
  ASSERT_FALSE(::IsRectEmpty(&dark));
  EXPECT_EQ(light.right, dark.right + 1);
  EXPECT_EQ(light.bottom, dark.bottom + 1);

  button_->SetEmbossWhenDisabled(false, false);
  Render(surface, ODS_DISABLED);
  EXPECT_GT(surface.Count(text_), 0);
  EXPECT_EQ(surface.Count(highlight), 0);
}

TEST(BitButtonResources, ThousandPaintsAndFontChangesLeaveTheGdiObjectCountWhereItWas) {
  // The count itself must see a new object, or the comparisons below would prove nothing.
  const long empty = GdiObjectCount();
  ASSERT_GT(empty, 0);
  {
    const ScopedBrush brush(::CreateSolidBrush(RGB(1, 2, 3)));
    ASSERT_EQ(GdiObjectCount(), empty + 1);
  }
  ASSERT_EQ(GdiObjectCount(), empty);

  const auto parent = TestParent::Create(kParentAt.x, kParentAt.y, 200, 100);
  ASSERT_NE(parent, nullptr);
  const HWND window = parent->AddChild(L"Button", L"Go", BS_PUSHBUTTON, kButtonAt.x, kButtonAt.y, kWidth, kHeight,
                                       kButtonId);
  Surface surface(kWidth, kHeight, kBackground);
  const auto render = [&](CBitButtonNL& button, UINT state) {
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.itemState = state;
    item.hwndItem = window;
    item.hDC = surface.dc();
    item.rcItem = RECT{0, 0, kWidth, kHeight};
    button.DrawItem(item);
  };
  const UINT states[] = {0, ODS_SELECTED, ODS_DISABLED, ODS_DISABLED | ODS_SELECTED};
  // A first round lets the platform make whatever it keeps for good (stock objects, caches).
  {
    CBitButtonNL warmUp;
    ASSERT_TRUE(warmUp.SubclassWindow(window));
    warmUp.SetFaceBitmaps(Make(kNormal), Make(kPressed), Make(kHover), nullptr);
    warmUp.SetCaptionVisible(true, false).SetCaptionShadow(true, 3, 2, false);
    for (const UINT state : states) render(warmUp, state);
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  }
  const long withoutButton = GdiObjectCount();
  {
    CBitButtonNL button;
    ASSERT_TRUE(button.SubclassWindow(window));
    // No disabled face: every disabled paint makes and deletes a greyed copy.
    ASSERT_TRUE(button.SetFaceBitmaps(Make(kNormal), Make(kPressed), Make(kHover), nullptr));
    button.SetCaptionVisible(true, false).SetCaptionShadow(true, 3, 2, false);
    for (const UINT state : states) render(button, state);
    const long painting = GdiObjectCount();

    for (int round = 0; round < 1000; ++round) {
      ::SendMessageW(window, round % 2 == 0 ? WM_MOUSEMOVE : WM_MOUSELEAVE, 0, MAKELPARAM(kWidth / 2, kHeight / 2));
      render(button, states[round % 4]);
      if (round % 10 == 0) ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    EXPECT_EQ(GdiObjectCount(), painting);

    for (int round = 0; round < 1000; ++round) button.SetCaptionBold(round % 2 == 0, false);
    EXPECT_EQ(GdiObjectCount(), painting);
  }
  // The button's faces and caption font went with it.
  EXPECT_EQ(GdiObjectCount(), withoutButton);
}

}  // namespace
}  // namespace quelvar
