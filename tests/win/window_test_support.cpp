// The window tests' recording parent, header click and message pump.
#include "tests/win/window_test_support.h"

#include <algorithm>

namespace quelvar::testing {
namespace {

constexpr wchar_t kParentClass[] = L"QuelvarTestParent";

// The program starts the common controls the same way before its dialog exists.
[[maybe_unused]] const bool kCommonControlsStarted = [] {
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
  return ::InitCommonControlsEx(&controls) != FALSE;
}();

ATOM RegisterParentClass() {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = ::DefWindowProcW;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kParentClass;
  return ::RegisterClassW(&windowClass);
}

}  // namespace

RecordingParent::RecordingParent() {
  static const ATOM registered = RegisterParentClass();
  (void)registered;
  // A pop-up shown without activation is left alone by the window manager, so closing it costs no wait.
  HWND window = ::CreateWindowExW(0, kParentClass, L"Quelvar test", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 800, 500,
                                  nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  ::ShowWindow(window, SW_SHOWNOACTIVATE);
  SubclassWindow(window);
}

RecordingParent::~RecordingParent() {
  if (HWND window = hwnd()) ::DestroyWindow(window);
}

Handled RecordingParent::OnCommand(UINT id, UINT code, HWND) {
  if (!recording) return kNotHandled;
  log.push_back(L"parent command " + std::to_wstring(id) + L" " + std::to_wstring(code));
  return kNotHandled;
}

Handled RecordingParent::OnNotify(NMHDR& header) {
  if (!recording) return kNotHandled;
  log.push_back(L"parent notify " + std::to_wstring(header.idFrom) + L" " +
                std::to_wstring(static_cast<int>(header.code)));
  return kNotHandled;
}

Handled RecordingParent::OnCtlColor(HDC, HWND control, UINT) {
  if (!recording) return kNotHandled;
  log.push_back(L"parent ctlcolor " + std::to_wstring(::GetDlgCtrlID(control)));
  return kNotHandled;
}

Handled RecordingParent::OnDrawItem(DRAWITEMSTRUCT& item) {
  if (!recording) return kNotHandled;
  log.push_back(L"parent drawitem " + std::to_wstring(item.CtlID));
  return kNotHandled;
}

HWND CreateChild(const Window& parent, const wchar_t* className, DWORD style, int id, const wchar_t* text, int width,
                 int height) {
  return ::CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, width, height, parent.hwnd(),
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
}

void ClickHeaderItem(HWND header, int index) {
  RECT item{};
  ::SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
  ::SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::SendMessageW(header, WM_LBUTTONUP, 0, at);
}

void PumpWaitingMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

MessageRecorder::MessageRecorder(HWND window, std::vector<UINT> watched) : window_(window), watched_(std::move(watched)) {
  ::SetWindowSubclass(window_, &MessageRecorder::Proc, 0, reinterpret_cast<DWORD_PTR>(this));
}

MessageRecorder::~MessageRecorder() {
  if (window_ != nullptr) ::RemoveWindowSubclass(window_, &MessageRecorder::Proc, 0);
}

LRESULT CALLBACK MessageRecorder::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR self) {
  auto* recorder = reinterpret_cast<MessageRecorder*>(self);
  if (std::find(recorder->watched_.begin(), recorder->watched_.end(), message) != recorder->watched_.end()) {
    recorder->entries.push_back(Entry{message, wParam});
  }
  if (message == WM_NCDESTROY) {
    ::RemoveWindowSubclass(window, &MessageRecorder::Proc, 0);
    recorder->window_ = nullptr;
  }
  return ::DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace quelvar::testing
