// The object behind a window: binding, subclassing of existing controls, typed message handlers and
// reflection of child notifications to the child's own object.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <optional>

namespace quelvar {

// A handler's answer: the message's result, or nothing when the default processing should run.
using Handled = std::optional<LRESULT>;
inline constexpr std::nullopt_t kNotHandled = std::nullopt;

class Window {
 public:
  Window() = default;
  // Lets go of a window that outlives its object; the window keeps working with its own procedure.
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND hwnd() const { return hwnd_; }
  // The object bound to a window of this process, or nullptr.
  static Window* FromHandle(HWND window);

  // Attaches this object to an existing control window: PreSubclassWindow runs with hwnd() set, then
  // every message of the window passes through WindowProc. Fails when the object already has a window.
  bool SubclassWindow(HWND window);

  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendMessageW(hwnd_, message, wParam, lParam);
  }

  // Sees every message before the handlers. The base reflects child notifications, then calls the
  // typed handler; kNotHandled lets the window's default processing run.
  virtual Handled WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

 protected:
  virtual void PreSubclassWindow() {}

  // The subclassed control's own processing of a message, for handlers that need it first.
  LRESULT DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam);

  // Messages of this window.
  virtual Handled OnCommand(UINT /*id*/, UINT /*code*/, HWND /*control*/) { return kNotHandled; }
  virtual Handled OnNotify(NMHDR& /*header*/) { return kNotHandled; }
  virtual Handled OnCtlColor(HDC /*dc*/, HWND /*control*/, UINT /*message*/) { return kNotHandled; }
  virtual Handled OnDrawItem(DRAWITEMSTRUCT& /*item*/) { return kNotHandled; }
  virtual Handled OnPaint() { return kNotHandled; }
  virtual Handled OnEraseBackground(HDC /*dc*/) { return kNotHandled; }
  virtual Handled OnQueryDragIcon() { return kNotHandled; }
  virtual Handled OnLButtonDown(UINT /*keys*/, POINT /*point*/) { return kNotHandled; }
  virtual Handled OnMouseMove(UINT /*keys*/, POINT /*point*/) { return kNotHandled; }
  virtual Handled OnMouseLeave() { return kNotHandled; }
  virtual Handled OnKillFocus(HWND /*next*/) { return kNotHandled; }
  virtual Handled OnClose() { return kNotHandled; }
  virtual Handled OnDestroy() { return kNotHandled; }

  // Notifications this window sent to its parent, offered here first. kNotHandled passes them on to
  // the parent's own handler.
  virtual Handled OnReflectedCommand(UINT /*code*/) { return kNotHandled; }
  virtual Handled OnReflectedNotify(NMHDR& /*header*/) { return kNotHandled; }
  virtual Handled OnReflectedCtlColor(HDC /*dc*/, UINT /*message*/) { return kNotHandled; }
  virtual Handled OnReflectedDrawItem(DRAWITEMSTRUCT& /*item*/) { return kNotHandled; }

  // The one place where an object and its window meet; Unbind runs at WM_NCDESTROY at the latest.
  void Bind(HWND window);
  void Unbind();

 private:
  Handled ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam);
  Handled CallHandler(UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
  WNDPROC previousProc_ = nullptr;  // the control's own procedure while we stand in front of it
};

// Command and notification routing by control id: a table of member functions per owner class.
template <class Owner>
struct CommandRoute {
  UINT id;
  void (Owner::*handler)();
};

template <class Owner>
struct NotifyRoute {
  UINT id;
  UINT code;
  void (Owner::*handler)(NMHDR& header, LRESULT& result);
};

// Runs the route for a button click (or a menu or Enter command, which share code 0).
template <class Owner, std::size_t N>
Handled RouteCommand(Owner& owner, const CommandRoute<Owner> (&routes)[N], UINT id, UINT code) {
  if (code != BN_CLICKED) return kNotHandled;
  for (const CommandRoute<Owner>& route : routes) {
    if (route.id != id) continue;
    (owner.*route.handler)();
    return 0;
  }
  return kNotHandled;
}

template <class Owner, std::size_t N>
Handled RouteNotify(Owner& owner, const NotifyRoute<Owner> (&routes)[N], NMHDR& header) {
  for (const NotifyRoute<Owner>& route : routes) {
    if (route.id != header.idFrom || route.code != header.code) continue;
    LRESULT result = 0;
    (owner.*route.handler)(header, result);
    return result;
  }
  return kNotHandled;
}

}  // namespace quelvar
