// The shell's default handler for http addresses, reached through ShellExecuteW.
#include "operations/web_page_win.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace quelvar {

void OpenWebAddress(std::u16string_view address) {
  const std::wstring file(address.begin(), address.end());
  ::ShellExecuteW(nullptr, nullptr, file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace quelvar
