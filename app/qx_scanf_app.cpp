// Start-up and shutdown around the one modal dialog.
#include "app/qx_scanf_app.h"

#include <winsock2.h>
#include <commctrl.h>

#include "app/qx_scanf_dlg.h"

namespace quelvar {

CQX_ScanfApp theApp;

std::wstring_view CommandLineArguments(std::wstring_view commandLine) {
  std::size_t at = 0;
  bool quoted = false;
  while (at < commandLine.size() && (commandLine[at] > L' ' || quoted)) {
    if (commandLine[at] == L'"') quoted = !quoted;
    ++at;
  }
  while (at < commandLine.size() && commandLine[at] <= L' ') ++at;
  return commandLine.substr(at);
}

bool IsSoftModeArgument(std::wstring_view arguments) { return arguments == L"-Soft"; }

BOOL CQX_ScanfApp::InitInstance() {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_WIN95_CLASSES;
  ::InitCommonControlsEx(&controls);

  WSADATA sockets{};
  if (::WSAStartup(MAKEWORD(2, 2), &sockets) != 0) return FALSE;
  if (LOBYTE(sockets.wVersion) != 2 || HIBYTE(sockets.wVersion) != 2) {
    ::WSACleanup();
    return FALSE;
  }

  m_softMode = IsSoftModeArgument(CommandLineArguments(::GetCommandLineW())) ? TRUE : FALSE;
  {
    CQX_ScanfDlg dialog;
    SetMainWindow(&dialog);
    dialog.DoModal();
    ::WSACleanup();
    SetMainWindow(nullptr);
  }
  return FALSE;
}

}  // namespace quelvar
