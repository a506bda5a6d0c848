// Window binding and dispatch: one table names a window's object, one subclass procedure feeds it.
#include "framework/window.h"

#include <unordered_map>

namespace quelvar {
namespace {

// The objects of the windows made on this thread. A window's messages arrive on the thread that made
// it, so the table needs no lock; and the look-up runs for every message of a dialog and every
// reflected notification, so it must not be a window property, which costs a trip to the window
// server on some systems.
std::unordered_map<HWND, Window*>& BoundObjects() {
  thread_local std::unordered_map<HWND, Window*> objects;
  return objects;
}

bool IsControlColorMessage(UINT message) { return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC; }

// Mouse positions are signed: a point left of or above a window is negative.
POINT PointOf(LPARAM lParam) {
  return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

}  // namespace

Window::~Window() {
  if (hwnd_ != nullptr) Unbind();
}

Window* Window::FromHandle(HWND window) {
  if (window == nullptr) return nullptr;
  const auto& objects = BoundObjects();
  const auto found = objects.find(window);
  return found == objects.end() ? nullptr : found->second;
}

void Window::Bind(HWND window) {
  hwnd_ = window;
  BoundObjects()[window] = this;
}

void Window::Unbind() {
  if (hwnd_ == nullptr) return;
  // Give the window its own procedure back, unless someone has subclassed it after us.
  if (previousProc_ != nullptr &&
      ::GetWindowLongPtrW(hwnd_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&Window::SubclassProc)) {
    ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
  }
  if (FromHandle(hwnd_) == this) BoundObjects().erase(hwnd_);
  previousProc_ = nullptr;
  hwnd_ = nullptr;
}

bool Window::SubclassWindow(HWND window) {
  if (hwnd_ != nullptr || window == nullptr || FromHandle(window) != nullptr) return false;
  Bind(window);
  PreSubclassWindow();
  // The window procedure is replaced directly: the common controls' subclass helper looks up a window
  // property for every message, which on some systems is a trip to the window server each time.
  ::SetLastError(0);
  const auto previous = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::SubclassProc)));
  if (previous == nullptr && ::GetLastError() != 0) {
    Unbind();
    return false;
  }
  previousProc_ = previous;
  return true;
}

LRESULT CALLBACK Window::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* object = FromHandle(window);
  if (object == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  const WNDPROC previous = object->previousProc_;
  const Handled result = object->WindowProc(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    object->Unbind();
    return ::CallWindowProcW(previous, window, message, wParam, lParam);
  }
  return result ? *result : ::CallWindowProcW(previous, window, message, wParam, lParam);
}

LRESULT Window::DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::CallWindowProcW(previousProc_, hwnd_, message, wParam, lParam);
}

Handled Window::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (Handled reflected = ReflectToChild(message, wParam, lParam)) return reflected;
  return CallHandler(message, wParam, lParam);
}

Handled Window::ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND child = nullptr;
  if (message == WM_COMMAND || IsControlColorMessage(message)) {
    child = reinterpret_cast<HWND>(lParam);  // 0 for menus and accelerators
  } else if (message == WM_NOTIFY && lParam != 0) {
    child = reinterpret_cast<NMHDR*>(lParam)->hwndFrom;
  } else if (message == WM_DRAWITEM && lParam != 0) {
    const auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    if (item->CtlType != ODT_MENU) child = item->hwndItem;
  }
  Window* target = FromHandle(child);
  if (target == nullptr || target == this) return kNotHandled;
  switch (message) {
    case WM_COMMAND:
      return target->OnReflectedCommand(HIWORD(wParam));
    case WM_NOTIFY:
      return target->OnReflectedNotify(*reinterpret_cast<NMHDR*>(lParam));
    case WM_DRAWITEM:
      return target->OnReflectedDrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    default:
      return target->OnReflectedCtlColor(reinterpret_cast<HDC>(wParam), message);
  }
}

Handled Window::CallHandler(UINT message, WPARAM wParam, LPARAM lParam) {
  const POINT point = PointOf(lParam);
  switch (message) {
    case WM_COMMAND:
      return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY:
      return lParam != 0 ? OnNotify(*reinterpret_cast<NMHDR*>(lParam)) : kNotHandled;
    case WM_DRAWITEM:
      return lParam != 0 ? OnDrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam)) : kNotHandled;
    case WM_PAINT:
      return OnPaint();
    case WM_ERASEBKGND:
      return OnEraseBackground(reinterpret_cast<HDC>(wParam));
    case WM_QUERYDRAGICON:
      return OnQueryDragIcon();
    case WM_LBUTTONDOWN:
      return OnLButtonDown(static_cast<UINT>(wParam), point);
    case WM_MOUSEMOVE:
      return OnMouseMove(static_cast<UINT>(wParam), point);
    case WM_MOUSELEAVE:
      return OnMouseLeave();
    case WM_KILLFOCUS:
      return OnKillFocus(reinterpret_cast<HWND>(wParam));
    case WM_CLOSE:
      return OnClose();
    case WM_DESTROY:
      return OnDestroy();
    default:
      if (IsControlColorMessage(message)) {
        return OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), message);
      }
      return kNotHandled;
  }
}

}  // namespace quelvar
