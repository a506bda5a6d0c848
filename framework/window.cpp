// Window binding and dispatch: one property names a window's object, one subclass procedure feeds it.
#include "framework/window.h"

namespace quelvar {
namespace {

constexpr wchar_t kObjectProperty[] = L"Quelvar.WindowObject";
constexpr UINT_PTR kSubclassId = 1;

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
  return static_cast<Window*>(::GetPropW(window, kObjectProperty));
}

void Window::Bind(HWND window) {
  hwnd_ = window;
  ::SetPropW(window, kObjectProperty, this);
}

void Window::Unbind() {
  if (hwnd_ == nullptr) return;
  if (subclassed_) ::RemoveWindowSubclass(hwnd_, &Window::SubclassProc, kSubclassId);
  if (FromHandle(hwnd_) == this) ::RemovePropW(hwnd_, kObjectProperty);
  subclassed_ = false;
  hwnd_ = nullptr;
}

bool Window::SubclassWindow(HWND window) {
  if (hwnd_ != nullptr || window == nullptr || FromHandle(window) != nullptr) return false;
  Bind(window);
  PreSubclassWindow();
  if (!::SetWindowSubclass(window, &Window::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
    Unbind();
    return false;
  }
  subclassed_ = true;
  return true;
}

LRESULT CALLBACK Window::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR self) {
  auto* object = reinterpret_cast<Window*>(self);
  const Handled result = object->WindowProc(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    object->Unbind();
    return ::DefSubclassProc(window, message, wParam, lParam);
  }
  return result ? *result : ::DefSubclassProc(window, message, wParam, lParam);
}

LRESULT Window::DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefSubclassProc(hwnd_, message, wParam, lParam);
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
