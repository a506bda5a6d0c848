// Test helper: looks into the running Quelvar from another process, as a technician's eyes would.
//
//   qvprobe list                 the device list's rows, one line each, cells separated by tabs
//   qvprobe header               each column's title and header format bits (sort marks, alignment)
//   qvprobe rect ID              screen rectangle of the dialog's control ID: left top width height
//   qvprobe row-rect ROW         screen rectangle of a list row
//   qvprobe header-rect COLUMN   screen rectangle of a header item
//   qvprobe post MESSAGE [W L]   posts a message to the main window
//   qvprobe command ID           sends the dialog a click notification of control ID
//   qvprobe sync                 returns once the window has handled every message posted before
//   qvprobe window               main window: handle, visible, minimised, rectangle, client size
//   qvprobe messagebox           the text of the message box Quelvar shows, if any
//   qvprobe press-messagebox ID  answers that message box with button ID (1 OK, 2 Cancel)
//   qvprobe fields ID            the four fields of IP address control ID as shown, joined by full stops
//   qvprobe field-rect ID N      screen rectangle of field N (0..3) of IP address control ID
//   qvprobe enabled ID           1 when control ID is enabled, else 0
//   qvprobe focus                id of the dialog control with the keyboard focus (an address field
//                                counts as its address control), 0 when none has it
//   qvprobe click ID             posts BM_CLICK to button ID (hidden ones too), as a click would
//   qvprobe select ROW...        selects exactly these rows of the list
//   qvprobe close-window TITLE   posts WM_CLOSE to the top-level window with this title
//
// Exit status 0 on success, 3 when the window or item is not there.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr int kListId = 1000;

// The dialog titled "Quelvar" that holds the device list: its message boxes bear the same title, and a
// closed one may linger hidden for a moment.
HWND MainWindow() {
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window, nullptr, L"Quelvar")) != nullptr) {
    if (GetDlgItem(window, kListId) != nullptr) return window;
  }
  return nullptr;
}

void PrintUtf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

// Memory inside the window's process, where the list view can read and write what a message points to.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND window, std::size_t size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_ != nullptr) address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  }
  ~RemoteBuffer() {
    if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_ != nullptr) CloseHandle(process_);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  bool ok() const { return address_ != nullptr; }
  char* at(std::size_t offset) const { return static_cast<char*>(address_) + offset; }
  bool Write(std::size_t offset, const void* data, std::size_t size) const {
    return WriteProcessMemory(process_, at(offset), data, size, nullptr) != 0;
  }
  bool Read(std::size_t offset, void* data, std::size_t size) const {
    return ReadProcessMemory(process_, at(offset), data, size, nullptr) != 0;
  }

 private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
  std::size_t size_;
};

constexpr std::size_t kTextChars = 1024;

std::wstring CellText(HWND list, const RemoteBuffer& remote, int row, int column) {
  LVITEMW item{};
  item.iSubItem = column;
  item.cchTextMax = kTextChars;
  item.pszText = reinterpret_cast<LPWSTR>(remote.at(sizeof(LVITEMW)));
  remote.Write(0, &item, sizeof item);
  const LRESULT length = SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote.at(0)));
  std::wstring text(static_cast<std::size_t>(length), L'\0');
  if (length > 0) remote.Read(sizeof(LVITEMW), text.data(), static_cast<std::size_t>(length) * sizeof(wchar_t));
  return text;
}

int List(HWND dialog) {
  HWND list = GetDlgItem(dialog, kListId);
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  const int columns = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
  RemoteBuffer remote(list, sizeof(LVITEMW) + kTextChars * sizeof(wchar_t));
  if (!remote.ok()) return 3;
  for (int row = 0; row < rows; ++row) {
    std::wstring line;
    for (int column = 0; column < columns; ++column) {
      if (column > 0) line += L'\t';
      line += CellText(list, remote, row, column);
    }
    line += L'\n';
    PrintUtf8(line);
  }
  return 0;
}

int Header(HWND dialog) {
  HWND list = GetDlgItem(dialog, kListId);
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  const int columns = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
  RemoteBuffer remote(header, sizeof(HDITEMW) + kTextChars * sizeof(wchar_t));
  if (!remote.ok()) return 3;
  for (int column = 0; column < columns; ++column) {
    HDITEMW item{};
    item.mask = HDI_FORMAT | HDI_TEXT | HDI_WIDTH;
    item.cchTextMax = kTextChars;
    item.pszText = reinterpret_cast<LPWSTR>(remote.at(sizeof(HDITEMW)));
    remote.Write(0, &item, sizeof item);
    SendMessageW(header, HDM_GETITEMW, column, reinterpret_cast<LPARAM>(remote.at(0)));
    remote.Read(0, &item, sizeof item);
    wchar_t title[kTextChars] = {};
    remote.Read(sizeof(HDITEMW), title, sizeof title - sizeof(wchar_t));
    wchar_t line[kTextChars + 64];
    std::swprintf(line, kTextChars + 64, L"%d\t%ls\t0x%04X\t%d\n", column, title, item.fmt, item.cxy);
    PrintUtf8(line);
  }
  return 0;
}

void PrintRect(RECT rect) {
  std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

int RemoteRect(HWND target, UINT message, WPARAM index, LONG firstField) {
  RemoteBuffer remote(target, sizeof(RECT));
  if (!remote.ok()) return 3;
  RECT rect{firstField, 0, 0, 0};
  remote.Write(0, &rect, sizeof rect);
  if (SendMessageW(target, message, index, reinterpret_cast<LPARAM>(remote.at(0))) == 0) return 3;
  remote.Read(0, &rect, sizeof rect);
  MapWindowPoints(target, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  PrintRect(rect);
  return 0;
}

struct MessageBoxSearch {
  DWORD pid;
  HWND found;
};

// A message box of Quelvar's: a dialog of the system's dialog class in Quelvar's process, visible.
HWND FindMessageBox(HWND dialog) {
  MessageBoxSearch search{0, nullptr};
  GetWindowThreadProcessId(dialog, &search.pid);
  EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto* s = reinterpret_cast<MessageBoxSearch*>(context);
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        wchar_t className[16] = {};
        GetClassNameW(window, className, 16);
        if (pid == s->pid && std::wcscmp(className, L"#32770") == 0 && IsWindowVisible(window) &&
            GetDlgItem(window, 0xFFFF) != nullptr) {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int MessageBoxText(HWND dialog) {
  HWND box = FindMessageBox(dialog);
  if (box == nullptr) return 3;
  wchar_t caption[256] = {}, text[1024] = {};
  GetWindowTextW(box, caption, 256);
  GetDlgItemTextW(box, 0xFFFF, text, 1024);  // the message box's text static
  PrintUtf8(std::wstring(caption) + L"\t" + text + L"\n");
  return 0;
}

// The edit windows of an IP address control, in their order from left to right.
std::vector<HWND> AddressFields(HWND control) {
  std::vector<HWND> fields;
  for (HWND child = GetWindow(control, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    fields.push_back(child);
  }
  std::sort(fields.begin(), fields.end(), [](HWND a, HWND b) {
    RECT ra, rb;
    GetWindowRect(a, &ra);
    GetWindowRect(b, &rb);
    return ra.left < rb.left;
  });
  return fields;
}

int Fields(HWND control) {
  if (control == nullptr) return 3;
  std::wstring line;
  for (HWND field : AddressFields(control)) {
    if (!line.empty()) line += L'.';
    wchar_t text[16] = {};
    // GetWindowText does not read a control of another process; the message does.
    SendMessageW(field, WM_GETTEXT, 16, reinterpret_cast<LPARAM>(text));
    line += text;
  }
  PrintUtf8(line + L"\n");
  return 0;
}

int SelectRows(HWND dialog, int argc, wchar_t** argv) {
  HWND list = GetDlgItem(dialog, kListId);
  RemoteBuffer remote(list, sizeof(LVITEMW));
  if (!remote.ok()) return 3;
  const auto setState = [&](int row, UINT state) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    item.state = state;
    remote.Write(0, &item, sizeof item);
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.at(0)));
  };
  setState(-1, 0);
  for (int i = 2; i < argc; ++i) setState(static_cast<int>(std::wcstol(argv[i], nullptr, 10)), LVIS_SELECTED);
  return 0;
}

}  // namespace

int Run(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const std::wstring verb = argv[1];
  const auto number = [&](int index) { return argc > index ? static_cast<long>(std::wcstol(argv[index], nullptr, 0)) : 0L; };
  HWND dialog = MainWindow();
  if (dialog == nullptr) return 3;
  if (verb == L"list") return List(dialog);
  if (verb == L"header") return Header(dialog);
  if (verb == L"rect") {
    HWND control = GetDlgItem(dialog, static_cast<int>(number(2)));
    if (control == nullptr) return 3;
    RECT rect;
    GetWindowRect(control, &rect);
    PrintRect(rect);
    return 0;
  }
  if (verb == L"row-rect") return RemoteRect(GetDlgItem(dialog, kListId), LVM_GETITEMRECT, number(2), LVIR_BOUNDS);
  if (verb == L"header-rect") {
    HWND header = reinterpret_cast<HWND>(SendMessageW(GetDlgItem(dialog, kListId), LVM_GETHEADER, 0, 0));
    return RemoteRect(header, HDM_GETITEMRECT, number(2), 0);
  }
  if (verb == L"post") return PostMessageW(dialog, static_cast<UINT>(number(2)), number(3), number(4)) ? 0 : 3;
  if (verb == L"command") {
    const int id = static_cast<int>(number(2));
    return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id))) ? 0 : 3;
  }
  if (verb == L"sync") {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result) != 0 ? 0 : 3;
  }
  if (verb == L"window") {
    RECT rect, client;
    GetWindowRect(dialog, &rect);
    GetClientRect(dialog, &client);
    std::printf("visible=%d iconic=%d rect=%ld,%ld,%ld,%ld client=%ldx%ld\n", IsWindowVisible(dialog) ? 1 : 0,
                IsIconic(dialog) ? 1 : 0, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                client.right, client.bottom);
    return 0;
  }
  if (verb == L"fields") return Fields(GetDlgItem(dialog, static_cast<int>(number(2))));
  if (verb == L"field-rect") {
    const std::vector<HWND> fields = AddressFields(GetDlgItem(dialog, static_cast<int>(number(2))));
    const long index = number(3);
    if (index < 0 || static_cast<std::size_t>(index) >= fields.size()) return 3;
    RECT rect;
    GetWindowRect(fields[static_cast<std::size_t>(index)], &rect);
    PrintRect(rect);
    return 0;
  }
  if (verb == L"enabled") {
    HWND control = GetDlgItem(dialog, static_cast<int>(number(2)));
    if (control == nullptr) return 3;
    std::printf("%d\n", IsWindowEnabled(control) ? 1 : 0);
    return 0;
  }
  if (verb == L"focus") {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    HWND control = info.hwndFocus;
    while (control != nullptr && GetParent(control) != dialog) control = GetParent(control);
    std::printf("%d\n", control != nullptr ? GetDlgCtrlID(control) : 0);
    return 0;
  }
  if (verb == L"click") {
    HWND control = GetDlgItem(dialog, static_cast<int>(number(2)));
    return control != nullptr && PostMessageW(control, BM_CLICK, 0, 0) ? 0 : 3;
  }
  if (verb == L"select") return SelectRows(dialog, argc, argv);
  if (verb == L"close-window") {
    HWND window = argc > 2 ? FindWindowW(nullptr, argv[2]) : nullptr;
    return window != nullptr && PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 3;
  }
  if (verb == L"messagebox") return MessageBoxText(dialog);
  if (verb == L"press-messagebox") {
    HWND box = FindMessageBox(dialog);
    if (box == nullptr) return 3;
    return PostMessageW(box, WM_COMMAND, MAKEWPARAM(number(2), BN_CLICKED), 0) ? 0 : 3;
  }
  return 2;
}

int wmain(int argc, wchar_t** argv) {
  const int status = Run(argc, argv);
  // Flushed here, not at exit: the reader must see every line even if the process is torn down hard.
  std::fflush(stdout);
  return status;
}
