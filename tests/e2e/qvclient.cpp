// Test helper: stands in for the client application. A top-level window with the title given that
// writes every WM_ADDDEVICE it receives to a log file, one line each, until it is closed.
//
//   qvclient TITLE LOGFILE
//
// Each line is "wParam lParam" in hexadecimal, at least eight digits each; a line "ready" comes first.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr UINT kAddDevice = WM_USER + 200;
std::FILE* logFile = nullptr;

void Log(const char* line) {
  std::fputs(line, logFile);
  std::fputc('\n', logFile);
  std::fflush(logFile);
}

LRESULT CALLBACK ClientProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kAddDevice) {
    char line[64];
    std::snprintf(line, sizeof line, "%08llX %08llX", static_cast<unsigned long long>(wParam),
                  static_cast<unsigned long long>(lParam));
    Log(line);
    return 0;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  logFile = _wfopen(argv[2], L"a");
  if (logFile == nullptr) return 2;

  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = ClientProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"QuelvarTestClient";
  if (RegisterClassW(&windowClass) == 0) return 2;
  // Never shown: the title is all the sender looks for, and the desktop's focus stays where it is.
  HWND window = CreateWindowExW(0, windowClass.lpszClassName, argv[1], WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                nullptr, windowClass.hInstance, nullptr);
  if (window == nullptr) return 2;
  Log("ready");

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  std::fclose(logFile);
  return 0;
}
