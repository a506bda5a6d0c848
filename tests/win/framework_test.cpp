// The window layer against real windows: binding, reflection order, dialog data exchange and results,
// the application's name, message boxes and profile.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/application.h"
#include "framework/dialog.h"
#include "framework/scoped_win.h"
#include "framework/window.h"
#include "res/resource.h"
#include "tests/win/window_test_support.h"

namespace quelvar {
namespace {

using testing::CreateChild;
using testing::RecordingParent;

// A child whose reflected handlers log and answer as told.
class ReflectingChild : public Window {
 public:
  explicit ReflectingChild(std::vector<std::wstring>& log, bool handles) : log_(log), handles_(handles) {}
  HWND preSubclassWindow = nullptr;

 protected:
  void PreSubclassWindow() override { preSubclassWindow = hwnd(); }
  Handled OnReflectedCommand(UINT code) override {
    log_.push_back(L"child command " + std::to_wstring(code));
    return handles_ ? Handled(0) : kNotHandled;
  }
  Handled OnReflectedCtlColor(HDC, UINT) override {
    log_.push_back(L"child ctlcolor");
    return handles_ ? Handled(reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH))) : kNotHandled;
  }

 private:
  std::vector<std::wstring>& log_;
  bool handles_;
};

struct ReflectionCase {
  bool childHandles;
  std::vector<std::wstring> expected;
};

class ReflectionTest : public ::testing::TestWithParam<ReflectionCase> {};

TEST_P(ReflectionTest, ButtonClickGoesToTheChildFirstAndOnToTheParentWhenNotHandled) {
  const ReflectionCase& c = GetParam();
  RecordingParent parent;
  ReflectingChild child(parent.log, c.childHandles);
  ASSERT_TRUE(child.SubclassWindow(CreateChild(parent, WC_BUTTONW, BS_PUSHBUTTON, 1011, L"X", 40, 20)));

  ::SendMessageW(child.hwnd(), BM_CLICK, 0, 0);

  EXPECT_EQ(parent.log, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ReflectionTest,
    ::testing::Values(ReflectionCase{false, {L"child command 0", L"parent command 1011 0"}},
                      ReflectionCase{true, {L"child command 0"}}));

TEST(ReflectionTest, StaticColourRequestGoesToTheChildFirst) {
  for (const bool handles : {true, false}) {
    RecordingParent parent;
    ReflectingChild child(parent.log, handles);
    ASSERT_TRUE(child.SubclassWindow(CreateChild(parent, WC_STATICW, SS_LEFT, 1014, L"New IP:", 80, 20)));
    parent.log.clear();

    ::RedrawWindow(child.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);

    ASSERT_FALSE(parent.log.empty()) << "the static asked for no colours";
    EXPECT_EQ(parent.log.front(), L"child ctlcolor");
    const bool parentAsked =
        std::find(parent.log.begin(), parent.log.end(), L"parent ctlcolor 1014") != parent.log.end();
    EXPECT_EQ(parentAsked, !handles);
  }
}

TEST(WindowBindingTest, PreSubclassWindowSeesTheWindowAndASecondAttachFails) {
  RecordingParent parent;
  ReflectingChild child(parent.log, false);
  HWND button = CreateChild(parent, WC_BUTTONW, BS_PUSHBUTTON, 7, L"B", 40, 20);

  ASSERT_TRUE(child.SubclassWindow(button));
  EXPECT_EQ(child.preSubclassWindow, button);
  EXPECT_EQ(Window::FromHandle(button), &child);

  ReflectingChild second(parent.log, false);
  EXPECT_FALSE(second.SubclassWindow(button));
  EXPECT_FALSE(child.SubclassWindow(button));
}

TEST(WindowBindingTest, ObjectLetsGoWhenItsWindowIsDestroyed) {
  RecordingParent parent;
  ReflectingChild child(parent.log, false);
  HWND button = CreateChild(parent, WC_BUTTONW, BS_PUSHBUTTON, 7, L"B", 40, 20);
  ASSERT_TRUE(child.SubclassWindow(button));

  ::DestroyWindow(button);

  EXPECT_EQ(child.hwnd(), nullptr);
}

TEST(WindowBindingTest, WindowKeepsWorkingAfterItsObjectIsGone) {
  RecordingParent parent;
  HWND button = CreateChild(parent, WC_BUTTONW, BS_PUSHBUTTON, 7, L"B", 40, 20);
  {
    ReflectingChild child(parent.log, true);
    ASSERT_TRUE(child.SubclassWindow(button));
  }
  EXPECT_EQ(Window::FromHandle(button), nullptr);

  ::SendMessageW(button, BM_CLICK, 0, 0);

  EXPECT_EQ(parent.log, std::vector<std::wstring>{L"parent command 7 0"});
}

// A dialog on the program's template that runs its test steps from inside its own modal loop.
class ScriptedDialog : public Dialog {
 public:
  ScriptedDialog() : Dialog(IDD_QX_SCANF_DIALOG) {}

  std::vector<std::function<void(ScriptedDialog&)>> steps;
  std::vector<std::wstring> log;
  Window listObject;
  std::uint32_t newIp = 0x0A000001;
  BOOL dhcp = TRUE;
  static constexpr UINT kNextStep = WM_APP + 1;
  static constexpr UINT kAnswered = WM_APP + 2;

  Handled WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_CLOSE) log.push_back(L"WindowProc WM_CLOSE");
    if (message == kAnswered) return 1234;
    if (message == kNextStep) {
      RunNextStep();
      return 0;
    }
    return Dialog::WindowProc(message, wParam, lParam);
  }

 protected:
  void DoDataExchange(DataExchange& exchange) override {
    exchange.Control(IDC_DEVICE_LIST, listObject);
    exchange.IpAddress(IDC_NEW_IP, newIp);
    exchange.CheckBox(IDC_DHCP, dhcp);
  }
  BOOL OnInitDialog() override {
    Dialog::OnInitDialog();
    ::PostMessageW(hwnd(), kNextStep, 0, 0);
    return TRUE;
  }
  Handled OnClose() override {
    log.push_back(L"OnClose");
    return kNotHandled;
  }
  Handled OnNotify(NMHDR& header) override {
    if (header.code != NM_CUSTOMDRAW || header.idFrom != 4242) return kNotHandled;
    return CDRF_SKIPDEFAULT;
  }

 private:
  void RunNextStep() {
    if (next_ >= steps.size()) return;
    steps[next_++](*this);
    if (next_ < steps.size() && ::IsWindow(hwnd())) ::PostMessageW(hwnd(), kNextStep, 0, 0);
  }
  std::size_t next_ = 0;
};

DWORD AddressShown(HWND control) {
  DWORD address = 0;
  ::SendMessageW(control, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
  return address;
}

TEST(DialogTest, InitialExchangeAttachesControlsAndWritesValues) {
  ScriptedDialog dialog;
  HWND list = nullptr;
  dialog.steps = {[&](ScriptedDialog& d) {
    list = d.Item(IDC_DEVICE_LIST);
    EXPECT_EQ(d.listObject.hwnd(), list);
    EXPECT_EQ(AddressShown(d.Item(IDC_NEW_IP)), 0x0A000001u);
    EXPECT_EQ(::SendMessageW(d.Item(IDC_DHCP), BM_GETCHECK, 0, 0), BST_CHECKED);
    d.EndDialog(77);
  }};

  EXPECT_EQ(dialog.DoModal(), 77);
  EXPECT_EQ(dialog.hwnd(), nullptr);
  EXPECT_EQ(dialog.listObject.hwnd(), nullptr);
  EXPECT_NE(list, nullptr);
}

TEST(DialogTest, UpdateDataReadsControlsIntoMembersAndKeepsTheAttachedControl) {
  ScriptedDialog dialog;
  dialog.steps = {[](ScriptedDialog& d) {
    const HWND attached = d.listObject.hwnd();
    ::SendMessageW(d.Item(IDC_NEW_IP), IPM_SETADDRESS, 0, static_cast<LPARAM>(0xC0A8010Au));
    ::SendMessageW(d.Item(IDC_DHCP), BM_SETCHECK, BST_UNCHECKED, 0);

    EXPECT_TRUE(d.UpdateData(TRUE));

    EXPECT_EQ(d.newIp, 0xC0A8010Au);
    EXPECT_EQ(d.dhcp, FALSE);
    EXPECT_EQ(d.listObject.hwnd(), attached);
    d.EndDialog(IDCANCEL);
  }};
  dialog.DoModal();
}

TEST(DialogTest, ResultsReachTheSenderThroughTheDialogResult) {
  ScriptedDialog dialog;
  dialog.steps = {[](ScriptedDialog& d) {
    EXPECT_EQ(::SendMessageW(d.hwnd(), ScriptedDialog::kAnswered, 0, 0), 1234);
    NMHDR header{d.Item(IDC_SEARCH), 4242, static_cast<UINT>(NM_CUSTOMDRAW)};
    EXPECT_EQ(::SendMessageW(d.hwnd(), WM_NOTIFY, 4242, reinterpret_cast<LPARAM>(&header)), CDRF_SKIPDEFAULT);
    d.EndDialog(IDCANCEL);
  }};
  dialog.DoModal();
}

TEST(DialogTest, WindowProcSeesAMessageBeforeItsHandler) {
  ScriptedDialog dialog;
  dialog.steps = {[](ScriptedDialog& d) {
    ::SendMessageW(d.hwnd(), WM_CLOSE, 0, 0);
    d.EndDialog(IDCANCEL);
  }};
  dialog.DoModal();
  ASSERT_GE(dialog.log.size(), 2u);
  EXPECT_EQ(dialog.log[0], L"WindowProc WM_CLOSE");
  EXPECT_EQ(dialog.log[1], L"OnClose");
}

TEST(DialogTest, EnterRunsOnOkWhichSavesAndEndsWithIdok) {
  ScriptedDialog dialog;
  dialog.steps = {[](ScriptedDialog& d) {
                    ::SendMessageW(d.Item(IDC_NEW_IP), IPM_SETADDRESS, 0, static_cast<LPARAM>(0x0B0C0D0Eu));
                    ::SetFocus(d.Item(IDC_DEVICE_LIST));
                    ::PostMessageW(d.Item(IDC_DEVICE_LIST), WM_KEYDOWN, VK_RETURN, 0);
                  },
                  [](ScriptedDialog& d) {
                    ADD_FAILURE() << "Enter left the dialog open";
                    d.EndDialog(-1);
                  }};
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.newIp, 0x0B0C0D0Eu);
}

TEST(DialogTest, EscapeRunsOnCancelWhichEndsWithIdcancel) {
  ScriptedDialog dialog;
  dialog.steps = {[](ScriptedDialog& d) {
                    ::SetFocus(d.Item(IDC_DEVICE_LIST));
                    ::PostMessageW(d.Item(IDC_DEVICE_LIST), WM_KEYDOWN, VK_ESCAPE, 0);
                  },
                  [](ScriptedDialog& d) {
                    ADD_FAILURE() << "Escape left the dialog open";
                    d.EndDialog(-1);
                  }};
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

struct BaseNameCase {
  const wchar_t* path;
  const wchar_t* expected;
};

class BaseNameTest : public ::testing::TestWithParam<BaseNameCase> {};

TEST_P(BaseNameTest, DropsDirectoryAndLastExtension) {
  EXPECT_EQ(BaseNameWithoutExtension(GetParam().path), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Paths, BaseNameTest,
                         ::testing::Values(BaseNameCase{L"C:\\Tools\\Quelvar.exe", L"Quelvar"},
                                           BaseNameCase{L"Quelvar", L"Quelvar"},
                                           BaseNameCase{L"C:\\a.b\\scan.v2.exe", L"scan.v2"},
                                           BaseNameCase{L"Z:/work/build/Quelvar.EXE", L"Quelvar"}));

TEST(ApplicationTest, IsNamedAfterTheExecutable) {
  EXPECT_EQ(ApplicationName(), L"framework_win_tests");
  EXPECT_EQ(ProfileFileName(), L"framework_win_tests.INI");
}

struct DecodeCase {
  const wchar_t* text;
  std::vector<std::uint8_t> expected;
};

class DecodeProfileBinaryTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeProfileBinaryTest, ReadsTwoLettersPerByteLowNibbleFirst) {
  EXPECT_EQ(DecodeProfileBinary(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, DecodeProfileBinaryTest,
    ::testing::Values(DecodeCase{L"", {}}, DecodeCase{L"JA", {0x09}}, DecodeCase{L"AJ", {0x90}},
                      DecodeCase{L"PP", {0xFF}}, DecodeCase{L"JAAAAAAADAAA", {0x09, 0, 0, 0, 0x03, 0}},
                      DecodeCase{L"JAB", {0x09}}));

// An entry of the program's private profile, removed again with its section.
class ProfileEntry {
 public:
  ProfileEntry(const wchar_t* section, const wchar_t* entry, const wchar_t* value) : section_(section) {
    ::WritePrivateProfileStringW(section, entry, value, ProfileFileName().c_str());
  }
  ~ProfileEntry() { ::WritePrivateProfileStringW(section_, nullptr, nullptr, ProfileFileName().c_str()); }

 private:
  const wchar_t* section_;
};

TEST(ProfileTest, ReadsABinaryEntryFromThePrivateProfile) {
  ProfileEntry entry(L"ListCtrls", L"1000", L"JAAAAAAAFADA");
  EXPECT_EQ(GetProfileBinary(L"ListCtrls", L"1000"), (std::vector<std::uint8_t>{0x09, 0, 0, 0, 0x05, 0x03}));
  EXPECT_EQ(GetProfileBinary(L"ListCtrls", L"1001"), std::nullopt);
  EXPECT_EQ(GetProfileBinary(L"Other", L"1000"), std::nullopt);
}

TEST(ProfileTest, AnEmptyEntryCountsAsAbsent) {
  ProfileEntry entry(L"ListCtrls", L"1000", L"");
  EXPECT_EQ(GetProfileBinary(L"ListCtrls", L"1000"), std::nullopt);
}

// The message box the thread is showing, read and closed from a timer inside its modal loop.
struct SeenBox {
  std::wstring caption;
  std::wstring text;
  bool hasOk = false;
  bool hasCancel = false;
  bool warningIcon = false;
};
SeenBox g_seenBox;

BOOL CALLBACK FindBox(HWND window, LPARAM found) {
  wchar_t className[16] = {};
  ::GetClassNameW(window, className, 16);
  if (std::wstring(className) != L"#32770" || !::IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  ::GetWindowTextW(window, text, 256);
  return text;
}

void CALLBACK InspectBox(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND box = nullptr;
  ::EnumThreadWindows(::GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&box));
  if (box == nullptr) return;  // not shown yet: the next tick looks again
  ::KillTimer(nullptr, timer);
  g_seenBox.caption = TextOf(box);
  g_seenBox.hasOk = ::GetDlgItem(box, IDOK) != nullptr;
  g_seenBox.hasCancel = ::GetDlgItem(box, IDCANCEL) != nullptr;
  const HICON warning = ::LoadIconW(nullptr, IDI_WARNING);
  for (HWND child = ::GetWindow(box, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0)) == warning) g_seenBox.warningIcon = true;
    const std::wstring text = TextOf(child);
    if (text == L"Invalid IP address") g_seenBox.text = text;
  }
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST(MessageBoxTest, HasOkOnlyTheExclamationIconAndTheApplicationNameAsCaption) {
  g_seenBox = {};
  ::SetTimer(nullptr, 0, 50, InspectBox);

  EXPECT_EQ(AppMessageBox(L"Invalid IP address"), IDOK);

  EXPECT_EQ(g_seenBox.caption, L"framework_win_tests");
  EXPECT_EQ(g_seenBox.text, L"Invalid IP address");
  EXPECT_TRUE(g_seenBox.hasOk);
  EXPECT_FALSE(g_seenBox.hasCancel);
  EXPECT_TRUE(g_seenBox.warningIcon);
}

}  // namespace
}  // namespace quelvar
