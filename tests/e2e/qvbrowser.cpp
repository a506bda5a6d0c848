// Test helper: stands in for the desktop's web browser, registered as the handler of http addresses.
// Appends one line per start to a log file: its creation time, which orders the starts as the shell
// made them, and the address exactly as it was handed over. A windows-subsystem program, so that no
// console window comes up and takes the focus from the program under test.
//
//   qvbrowser LOGFILE ADDRESS
#include <windows.h>

#include <cstdlib>
#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const int argc = __argc;
  wchar_t** const argv = __wargv;
  if (argc != 3 || argv == nullptr) return 2;
  FILETIME created{}, exited{}, kernel{}, user{};
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  const unsigned long long start = (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;

  std::wstring line = std::to_wstring(start) + L"\t" + argv[2] + L"\n";
  const int size = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), bytes.data(), size, nullptr, nullptr);

  // One write in append mode, so that browsers started together do not mix their lines.
  HANDLE log = CreateFileW(argv[1], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) return 3;
  DWORD written = 0;
  const BOOL ok = WriteFile(log, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(log);
  return ok ? 0 : 3;
}
