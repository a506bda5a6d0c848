// The configuration file read and the window messages of the hand-off to the client application.
#include "operations/client_handoff_win.h"

namespace quelvar {
namespace {

constexpr DWORD kTitleBufferChars = 256;
// One less than the buffer, as the title has always been read.
constexpr DWORD kTitleReadLimit = kTitleBufferChars - 1;

}  // namespace

std::wstring ReadClientWindowTitle(const wchar_t* configFile) {
  wchar_t title[kTitleBufferChars] = {};
  const DWORD length = ::GetPrivateProfileStringW(kClientSection, kClientKey, L"", title, kTitleReadLimit, configFile);
  if (length == 0) return kDefaultClientTitle;
  return std::wstring(title, length);
}

HWND FindClientWindow(const std::wstring& title) { return ::FindWindowW(nullptr, title.c_str()); }

void PostAddDevice(HWND client, std::uint32_t address, std::uint32_t packedInfo) {
  ::PostMessageW(client, WM_ADDDEVICE, static_cast<WPARAM>(address), static_cast<LPARAM>(packedInfo));
}

}  // namespace quelvar
