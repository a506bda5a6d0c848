// The application object: named after the executable, runs InitInstance, owns the profile and message boxes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelvar {

class Window;

class Application {
 public:
  // The one instance registers itself; it is built during static initialisation.
  Application();
  virtual ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  static Application* Current();

  // The program's whole life: the program ends when it returns, whatever it returns.
  virtual BOOL InitInstance() { return FALSE; }
  // The program's entry: InitInstance, then the process exit code. There is no message loop of the
  // application's own; a dialog's modal loop is the program's.
  int Run();

  // The window that owns the program's message boxes.
  void SetMainWindow(Window* window) { mainWindow_ = window; }
  Window* MainWindow() const { return mainWindow_; }

 private:
  Window* mainWindow_ = nullptr;
};

// The executable's file name without directory and extension: the application's name and the caption of
// its message boxes.
const std::wstring& ApplicationName();

// The file name without its directory and its last extension.
std::wstring BaseNameWithoutExtension(std::wstring_view path);

// A modal box captioned with the application's name, owned by the main window; returns the button pressed.
int AppMessageBox(std::wstring_view text, UINT type = MB_OK | MB_ICONEXCLAMATION);

// The private profile file "<application name>.INI" (no directory: the system looks in the Windows folder).
std::wstring ProfileFileName();

// A binary profile value: two letters per byte, low nibble first, 'A' standing for 0 and 'P' for 15.
// An odd last letter is ignored.
std::vector<std::uint8_t> DecodeProfileBinary(std::wstring_view text);

// The decoded value of an entry, or nothing when the entry is absent or empty.
std::optional<std::vector<std::uint8_t>> GetProfileBinary(std::wstring_view section, std::wstring_view entry);

}  // namespace quelvar
