// Handing devices to the client application: its window title from the configuration file, and the
// message it receives per device. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace quelvar {

// Posted to the client's window once per device: wParam the address (first octet in bits 31..24),
// lParam the row's packed word (RTSP port, kind and DVS value).
inline constexpr UINT WM_ADDDEVICE = WM_USER + 200;

// The file in the working directory (not the program's folder), section and key of the client title.
inline constexpr wchar_t kClientConfigFile[] = L".\\config.ini";
inline constexpr wchar_t kClientSection[] = L"STRING";
inline constexpr wchar_t kClientKey[] = L"client";
// Used when the file, the section or the key is missing or the value is empty.
inline constexpr wchar_t kDefaultClientTitle[] = L" Pelko";

// Reads the title afresh through the system's profile-file rules: names match in any case, blanks
// around the value go, and surrounding quotation marks are dropped (the only way to keep a leading
// blank). At most 254 characters are used.
std::wstring ReadClientWindowTitle(const wchar_t* configFile = kClientConfigFile);

// The top-level window with exactly this title, of any class, or nullptr.
HWND FindClientWindow(const std::wstring& title);

// Posts one WM_ADDDEVICE; the result is not looked at, as the client owes no answer.
void PostAddDevice(HWND client, std::uint32_t address, std::uint32_t packedInfo);

}  // namespace quelvar
