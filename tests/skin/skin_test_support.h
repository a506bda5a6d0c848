// What the skin tests share: pixel surfaces, test faces, a GDI object count and a recording parent window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "framework/scoped_win.h"
#include "framework/window.h"

namespace quelvar::skin_test {

// A memory device context with a 32-bit top-down DIB selected, read back pixel by pixel.
class Surface {
 public:
  Surface(int width, int height, COLORREF fill);
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  HDC dc() const { return dc_.get(); }
  int width() const { return width_; }
  int height() const { return height_; }
  void Fill(COLORREF color);
  COLORREF At(int x, int y) const;
  // The smallest rectangle holding every pixel of this colour; empty when there is none.
  RECT BoundsOf(COLORREF color) const;
  int Count(COLORREF color) const;

 private:
  int width_;
  int height_;
  std::uint32_t* bits_ = nullptr;
  ScopedMemoryDC dc_;
  ScopedBitmap bitmap_;
  SelectedObject selected_;
};

// A device-dependent 32-bit bitmap of one colour whose top-left pixel has the marker colour.
HBITMAP MakeFace(int width, int height, COLORREF color, COLORREF marker);

// The description of a 32-bit top-down bitmap, so pixel (x, y) is element y * width + x.
BITMAPINFO TopDown32BitInfo(int width, int height);

// The process's GDI objects: the system's own count where it keeps one (GetGuiResources); Wine answers
// that call with "not implemented", so there the process's GDI handle table is counted instead.
long GdiObjectCount();

// Runs every message waiting for this thread, paints included.
void PumpMessages();
// Pumps until done() holds or the time is up; done()'s last answer.
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds);

// The shown, active top-level window that holds every test window, at the screen's top-left corner so
// its client coordinates are screen coordinates. One for the whole run: under Wine without a window
// manager, hiding an activated top-level window waits two seconds for the X server.
HWND Stage();
void DestroyStage();

// A test window at a fixed place on the stage whose object records the commands that reach it and
// paints its client area with a pattern. Its window is destroyed with it.
class TestParent : public Window {
 public:
  struct Command {
    UINT id;
    UINT code;
    HWND focus;  // the focus window when the command arrived
  };
  using Pattern = std::function<COLORREF(int x, int y)>;

  // Client area width x height at (left, top) of the screen.
  static std::unique_ptr<TestParent> Create(int left, int top, int width, int height, Pattern pattern = {});
  ~TestParent() override;

  HWND AddChild(const wchar_t* className, const wchar_t* text, DWORD style, int x, int y, int width, int height,
                int id) const;

  std::vector<Command> commands;
  // WM_CTLCOLORSTATIC questions that reached this window's own handler (not answered by a child).
  int ownCtlColorRequests = 0;
  // When set, those questions get this text colour and the hollow brush, as the dialog answers its labels.
  bool transparentStatics = false;
  COLORREF staticTextColor = RGB(0, 0, 0);

 protected:
  Handled OnCommand(UINT id, UINT code, HWND control) override;
  Handled OnPaint() override;
  Handled OnEraseBackground(HDC dc) override;
  Handled OnCtlColor(HDC dc, HWND control, UINT message) override;

 private:
  explicit TestParent(Pattern pattern) : pattern_(std::move(pattern)) {}
  Pattern pattern_;
};

// What a window's client area shows on the screen now.
std::unique_ptr<Surface> CaptureClient(HWND window);

}  // namespace quelvar::skin_test
