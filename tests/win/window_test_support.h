// Shared pieces of the window tests: a recording parent window, real header clicks, message pumping.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/scoped_win.h"
#include "framework/window.h"

namespace quelvar::testing {

// A top-level window of the tests' own class whose object records what reaches its handlers.
class RecordingParent : public Window {
 public:
  RecordingParent();
  ~RecordingParent() override;

  std::vector<std::wstring> log;
  bool recording = true;  // off where a test counts this thread's allocations

 protected:
  Handled OnCommand(UINT id, UINT code, HWND control) override;
  Handled OnNotify(NMHDR& header) override;
  Handled OnCtlColor(HDC dc, HWND control, UINT message) override;
  Handled OnDrawItem(DRAWITEMSTRUCT& item) override;
};

// A child control of the given class inside `parent`.
HWND CreateChild(const Window& parent, const wchar_t* className, DWORD style, int id, const wchar_t* text = L"",
                 int width = 600, int height = 300);

// Presses and releases the left button over a header item, as a user's click reaches the control.
void ClickHeaderItem(HWND header, int index);

// Dispatches every message already waiting for this thread; never waits for new ones.
void PumpWaitingMessages();

// Records the messages of one window (added in front of its other subclasses) until it is destroyed.
class MessageRecorder {
 public:
  MessageRecorder(HWND window, std::vector<UINT> watched);
  ~MessageRecorder();
  MessageRecorder(const MessageRecorder&) = delete;
  MessageRecorder& operator=(const MessageRecorder&) = delete;

  struct Entry {
    UINT message;
    WPARAM wParam;
  };
  std::vector<Entry> entries;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                               DWORD_PTR self);
  HWND window_;
  std::vector<UINT> watched_;
};

}  // namespace quelvar::testing
