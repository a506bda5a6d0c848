// The application object: starts the common controls and Windows Sockets, reads "-Soft", runs the dialog.
#pragma once

#include <windows.h>

#include <string_view>

#include "framework/application.h"

namespace quelvar {

// What follows the program name on a command line, as WinMain receives it: the program name (which may
// be quoted) and the blanks after it are dropped; everything else, trailing blanks included, stays.
std::wstring_view CommandLineArguments(std::wstring_view commandLine);

// Soft mode is on only for exactly "-Soft": case, blanks and further arguments all count.
bool IsSoftModeArgument(std::wstring_view arguments);

class CQX_ScanfApp : public Application {
 public:
  // Runs the main dialog once and returns FALSE: the program ends when the dialog has ended.
  BOOL InitInstance() override;

  // Read by the main dialog: WM_SOFT_EXIT ends the program only when this is TRUE.
  BOOL m_softMode = FALSE;
};

extern CQX_ScanfApp theApp;

}  // namespace quelvar
