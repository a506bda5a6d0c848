// GUI benchmark, run beside Quelvar under the same wineserver: time from a Search click until N devices
// are listed and painted, and the floor of inserting N rows into a list view with redraw off once.
//
//   qvbench list N     clicks Search and waits until N rows are listed. The list paints them once the
//                      reply queue has stayed empty for the dialog's settle time (100 ms).
//   qvbench floor N    inserts N rows of 9 cells into a report list of its own, redraw off once
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr int kSearchId = 1001;
constexpr int kListId = 1000;
constexpr int kColumns = 9;

double NowMs() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// How long the window takes to answer a message: a stand-in for how quickly it would take input.
double RoundTripMs(HWND window) {
  const double start = NowMs();
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
  return NowMs() - start;
}

int List(long expected) {
  HWND dialog = FindWindowW(nullptr, L"Quelvar");
  if (dialog == nullptr) return 3;
  HWND list = GetDlgItem(dialog, kListId);
  const double clicked = NowMs();
  // Sent, not posted: when it returns the list has been emptied and the probe is out.
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(dialog, WM_COMMAND, MAKEWPARAM(kSearchId, BN_CLICKED),
                      reinterpret_cast<LPARAM>(GetDlgItem(dialog, kSearchId)), SMTO_NORMAL, 10000, &ignored);
  double slowest = 0, listedAt = -1;
  long rows = 0;
  while (NowMs() - clicked < 30000) {
    slowest = std::max(slowest, RoundTripMs(dialog));
    DWORD_PTR count = 0;
    SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 10000, &count);
    rows = static_cast<long>(count);
    if (rows >= expected) {
      listedAt = NowMs() - clicked;
      break;
    }
    Sleep(20);
  }
  std::printf("listed %ld of %ld, all of them %.0f ms after the click; slowest answer to a message %.0f ms\n", rows,
              expected, listedAt, slowest);
  return rows >= expected ? 0 : 1;
}

int Floor(long rows) {
  INITCOMMONCONTROLSEX init{sizeof init, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&init);
  HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS,
                              0, 0, 492, 362, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (list == nullptr) return 3;
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  for (int column = 0; column < kColumns; ++column) {
    LVCOLUMNW spec{};
    spec.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    spec.fmt = LVCFMT_LEFT;
    spec.cx = 80;
    spec.pszText = const_cast<wchar_t*>(L"Column");
    SendMessageW(list, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&spec));
  }
  const double start = NowMs();
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  for (long row = 0; row < rows; ++row) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%ld", row + 1);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(row);
    item.pszText = text;
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    for (int column = 1; column < kColumns; ++column) {
      item.iSubItem = column;
      item.pszText = const_cast<wchar_t*>(L"192.168.100.200");
      SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    }
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  UpdateWindow(list);
  const double took = NowMs() - start;
  DestroyWindow(list);
  std::printf("floor: %ld rows inserted with redraw off once and painted in %.0f ms\n", rows, took);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  const std::wstring verb = argv[1];
  const long n = std::wcstol(argv[2], nullptr, 10);
  const int status = verb == L"list" ? List(n) : verb == L"floor" ? Floor(n) : 2;
  std::fflush(stdout);
  return status;
}
