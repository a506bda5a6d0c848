// Small owners for Win32 handles: each guard releases exactly what it took, when it goes out of scope.
#pragma once

#include <windows.h>

#include <utility>

namespace quelvar {

// Owns one handle and releases it with Release; movable, not copyable.
template <class Handle, auto Release>
class Scoped {
 public:
  Scoped() = default;
  explicit Scoped(Handle handle) : handle_(handle) {}
  ~Scoped() { reset(); }
  Scoped(Scoped&& other) noexcept : handle_(other.release()) {}
  Scoped& operator=(Scoped&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  Scoped(const Scoped&) = delete;
  Scoped& operator=(const Scoped&) = delete;

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  Handle release() { return std::exchange(handle_, nullptr); }
  void reset(Handle handle = nullptr) {
    if (handle_ != nullptr) Release(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = nullptr;
};

using ScopedBrush = Scoped<HBRUSH, ::DeleteObject>;
using ScopedPen = Scoped<HPEN, ::DeleteObject>;
using ScopedFont = Scoped<HFONT, ::DeleteObject>;
using ScopedBitmap = Scoped<HBITMAP, ::DeleteObject>;
using ScopedRegion = Scoped<HRGN, ::DeleteObject>;
using ScopedMemoryDC = Scoped<HDC, ::DeleteDC>;
using ScopedHandle = Scoped<HANDLE, ::CloseHandle>;
using ScopedWindow = Scoped<HWND, ::DestroyWindow>;

// Selects an object into a device context and selects the previous one back.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ~SelectedObject() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// Saves a device context's state and restores exactly that state.
class SavedDCState {
 public:
  explicit SavedDCState(HDC dc) : dc_(dc), saved_(::SaveDC(dc)) {}
  ~SavedDCState() {
    if (saved_ != 0) ::RestoreDC(dc_, saved_);
  }
  SavedDCState(const SavedDCState&) = delete;
  SavedDCState& operator=(const SavedDCState&) = delete;

 private:
  HDC dc_;
  int saved_;
};

// BeginPaint and EndPaint around one WM_PAINT.
class PaintDC {
 public:
  explicit PaintDC(HWND window) : window_(window) { dc_ = ::BeginPaint(window, &paint_); }
  ~PaintDC() { ::EndPaint(window_, &paint_); }
  PaintDC(const PaintDC&) = delete;
  PaintDC& operator=(const PaintDC&) = delete;
  HDC get() const { return dc_; }
  const PAINTSTRUCT& paint() const { return paint_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_ = nullptr;
};

// A window's client-area device context from GetDC, given back with ReleaseDC.
class WindowDC {
 public:
  explicit WindowDC(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ~WindowDC() {
    if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

}  // namespace quelvar
