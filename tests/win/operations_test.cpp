// The Windows side of the device operations on the real platform: the client title through real profile
// files, the ICMP echo and its reply buffer, and typing into a real IP address control's fields.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "discovery/socket_api.h"
#include "framework/scoped_win.h"
#include "operations/address_check_win.h"
#include "operations/address_fields_win.h"
#include "operations/client_handoff_win.h"

namespace quelvar {
namespace {

// A folder of its own under the temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder() {
    wchar_t base[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, base);
    path_ = std::wstring(base) + L"qv-ops-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
            std::to_wstring(::GetTickCount64());
    ::CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~TempFolder() {
    for (const std::wstring& file : files_) ::DeleteFileW(file.c_str());
    ::RemoveDirectoryW(path_.c_str());
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::wstring& path() const { return path_; }

  // Writes UTF-8 bytes; the profile functions read an ANSI file, and the tests keep to ASCII.
  std::wstring Write(const std::wstring& name, const std::string& content) {
    const std::wstring file = path_ + L"\\" + name;
    const ScopedHandle handle(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    ::WriteFile(handle.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    files_.push_back(file);
    return file;
  }

 private:
  std::wstring path_;
  std::vector<std::wstring> files_;
};

struct TitleCase {
  const char* name;
  std::string file;  // empty: no file at all
  std::wstring title;
};

TEST(ClientWindowTitleTest, ProfileFileRules) {
  const TitleCase cases[] = {
      {"no file", "", L" Pelko"},
      {"plain value", "[STRING]\r\nclient=Pelko Pro\r\n", L"Pelko Pro"},
      {"names in any case", "[string]\r\nCLIENT=Other\r\n", L"Other"},
      {"blanks around dropped", "[STRING]\r\nclient =   Spaced title   \r\n", L"Spaced title"},
      {"double quotes stripped", "[STRING]\r\nclient=\" Quoted \"\r\n", L" Quoted "},
      {"single quotes stripped", "[STRING]\r\nclient=' Single'\r\n", L" Single"},
      {"empty value", "[STRING]\r\nclient=\r\n", L" Pelko"},
      {"empty quotes", "[STRING]\r\nclient=\"\"\r\n", L" Pelko"},
      {"other key", "[STRING]\r\nserver=x\r\n", L" Pelko"},
      {"other section", "[STRINGS]\r\nclient=x\r\n", L" Pelko"},
      {"first of two sections", "[OTHER]\r\nclient=no\r\n[STRING]\r\nclient=yes\r\n", L"yes"},
      {"long value", "[STRING]\r\nclient=" + std::string(300, 'a') + "\r\n", std::wstring(254, L'a')},
  };
  for (const TitleCase& c : cases) {
    TempFolder folder;
    const std::wstring file = c.file.empty() ? folder.path() + L"\\config.ini" : folder.Write(L"config.ini", c.file);
    EXPECT_EQ(ReadClientWindowTitle(file.c_str()), c.title) << c.name;
  }
}

// The default file is config.ini in the working directory, and each Add reads it again.
TEST(ClientWindowTitleTest, ReadsTheWorkingDirectoryFileAfreshEachTime) {
  TempFolder folder;
  wchar_t previous[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(::SetCurrentDirectoryW(folder.path().c_str()));

  EXPECT_EQ(ReadClientWindowTitle(), L" Pelko");
  folder.Write(L"config.ini", "[STRING]\r\nclient=First\r\n");
  EXPECT_EQ(ReadClientWindowTitle(), L"First");
  folder.Write(L"config.ini", "[STRING]\r\nclient=Second, longer\r\n");
  EXPECT_EQ(ReadClientWindowTitle(), L"Second, longer");
  folder.Write(L"config.ini", "[STRING]\r\n");
  EXPECT_EQ(ReadClientWindowTitle(), L" Pelko");

  ::SetCurrentDirectoryW(previous);
}

TEST(AddressCheckTest, OnlyAReplyWithSuccessStatusIsAnAnswer) {
  ICMP_ECHO_REPLY reply{};
  reply.Status = IP_SUCCESS;
  EXPECT_TRUE(IsEchoAnswer(1, reply));
  EXPECT_FALSE(IsEchoAnswer(0, reply));
  // A router's report comes back as a stored record too; it says nothing about the address.
  for (const ULONG status : {IP_DEST_HOST_UNREACHABLE, IP_DEST_NET_UNREACHABLE, IP_TTL_EXPIRED_TRANSIT,
                             IP_REQ_TIMED_OUT, IP_GENERAL_FAILURE}) {
    reply.Status = status;
    EXPECT_FALSE(IsEchoAnswer(1, reply)) << status;
  }
}

// Loopback answers inside any network namespace and never leaves it.
TEST(AddressCheckTest, LoopbackAnswersWithTheBufferThisBuildNeeds) {
  SocketLibrary sockets;
  ASSERT_TRUE(sockets.ok());
  EXPECT_TRUE(PingAddress("127.0.0.1"));
  EXPECT_TRUE(PingAddress("127.0.0.1"));  // each check opens and closes its own handle

  // The buffer the check once used: big enough for the 32-bit reply record only. In a 64-bit process
  // the echo call then fails every time, which read as a free address.
  EXPECT_GE(sizeof(EchoReplyBuffer), sizeof(ICMP_ECHO_REPLY) + kEchoPayloadSize + 8);
  const HANDLE icmp = ::IcmpCreateFile();
  ASSERT_NE(icmp, INVALID_HANDLE_VALUE);
  char payload[kEchoPayloadSize];
  std::memcpy(payload, kEchoPayload, kEchoPayloadSize);
  alignas(ICMP_ECHO_REPLY) unsigned char small[48] = {};
  const DWORD loopback = 0x0100007F;
  const DWORD smallReplies = ::IcmpSendEcho2(icmp, nullptr, nullptr, nullptr, loopback, payload, kEchoPayloadSize,
                                             nullptr, small, sizeof small, kEchoTimeoutMs);
  EchoReplyBuffer fitting{};
  const DWORD fittingReplies = ::IcmpSendEcho2(icmp, nullptr, nullptr, nullptr, loopback, payload, kEchoPayloadSize,
                                               nullptr, &fitting, sizeof fitting, kEchoTimeoutMs);
  ::IcmpCloseHandle(icmp);
  if (sizeof(void*) == 8) {
    EXPECT_EQ(smallReplies, 0u) << "48 bytes hold a 64-bit reply after all";
  }
  EXPECT_EQ(fittingReplies, 1u);
  EXPECT_EQ(fitting.reply.Status, static_cast<ULONG>(IP_SUCCESS));
  EXPECT_EQ(fitting.reply.DataSize, kEchoPayloadSize);
}

// A top-level window holding one IP address control as wide as the dialog's fields.
class AddressControlWindow {
 public:
  explicit AddressControlWindow(int width) {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_INTERNET_CLASSES};
    ::InitCommonControlsEx(&classes);
    frame_.reset(::CreateWindowExW(0, L"STATIC", L"address test", WS_OVERLAPPEDWINDOW, 0, 0, width + 40, 80, nullptr,
                                   nullptr, ::GetModuleHandleW(nullptr), nullptr));
    control_ = ::CreateWindowExW(0, WC_IPADDRESSW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 10, width, 24,
                                 frame_.get(), reinterpret_cast<HMENU>(1005), ::GetModuleHandleW(nullptr), nullptr);
  }
  HWND control() const { return control_; }

  std::vector<HWND> Fields() const {
    std::vector<HWND> fields;
    for (HWND child = ::GetWindow(control_, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
      fields.push_back(child);
    }
    std::sort(fields.begin(), fields.end(), [](HWND a, HWND b) {
      RECT ra, rb;
      ::GetWindowRect(a, &ra);
      ::GetWindowRect(b, &rb);
      return ra.left < rb.left;
    });
    return fields;
  }

  static std::wstring Text(HWND field) {
    wchar_t text[16] = {};
    ::GetWindowTextW(field, text, 16);
    return text;
  }

  // Characters as a keyboard delivers them to the field that has the focus.
  void Type(const std::wstring& keys) const {
    for (const wchar_t key : keys) ::SendMessageW(::GetFocus(), WM_CHAR, key, 1);
  }

 private:
  ScopedWindow frame_;
  HWND control_ = nullptr;
};

// A scalable face, so that every height asked for is the height drawn; Wine ships Tahoma.
ScopedFont MakeFont(int height) {
  return ScopedFont(::CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS,
                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma"));
}

int ThreeDigits(HWND field, HFONT font) {
  HDC dc = ::GetDC(field);
  const HGDIOBJ previous = ::SelectObject(dc, font);
  int widest = 0;
  for (wchar_t digit = L'0'; digit <= L'9'; ++digit) {
    SIZE size{};
    ::GetTextExtentPoint32W(dc, &digit, 1, &size);
    widest = std::max(widest, static_cast<int>(size.cx));
  }
  ::SelectObject(dc, previous);
  ::ReleaseDC(field, dc);
  return 3 * widest;
}

int ClientWidth(HWND window) {
  RECT client{};
  ::GetClientRect(window, &client);
  return client.right;
}

// A field whose font is wide for it loses the third digit; prepared with the dialog's font it keeps it.
TEST(AddressFieldsTest, ThreeDigitsFitOncePrepared) {
  const ScopedFont wide = MakeFont(-18);
  for (const int dialogFontHeight : {-8, -11, -12, -13, -15}) {
    AddressControlWindow window(152);
    const ScopedFont dialogFont = MakeFont(dialogFontHeight);
    const std::vector<HWND> fields = window.Fields();
    ASSERT_EQ(fields.size(), 4u);

    for (HWND field : fields) ::SendMessageW(field, WM_SETFONT, reinterpret_cast<WPARAM>(wide.get()), FALSE);
    ::SetFocus(fields[0]);
    window.Type(L"192");
    ASSERT_FALSE(FieldTakesThreeDigits(fields[0]));
    EXPECT_EQ(AddressControlWindow::Text(fields[0]), L"19") << "the fault this mends did not show";

    PrepareAddressFields(window.control(), dialogFont.get());
    ::SendMessageW(window.control(), IPM_CLEARADDRESS, 0, 0);
    for (HWND field : fields) {
      EXPECT_TRUE(FieldTakesThreeDigits(field)) << dialogFontHeight;
      EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(field, WM_GETFONT, 0, 0)), dialogFont.get());
    }
    ::SetFocus(fields[0]);
    window.Type(L"198.255.100.254");
    std::wstring typed;
    for (HWND field : fields) typed += AddressControlWindow::Text(field) + L".";
    EXPECT_EQ(typed, L"198.255.100.254.") << "font height " << dialogFontHeight;
  }
}

// Margins give way when the font alone does not leave room for three digits.
TEST(AddressFieldsTest, MarginsNarrowWhenTheFontFillsTheField) {
  AddressControlWindow window(152);
  HWND first = window.Fields()[0];
  // The largest font whose three digits fit the field only without the margins it brings along.
  ScopedFont font;
  for (int height = -24; height <= -8 && !font; ++height) {
    ScopedFont candidate = MakeFont(height);
    ::SendMessageW(first, WM_SETFONT, reinterpret_cast<WPARAM>(candidate.get()), FALSE);
    if (!FieldTakesThreeDigits(first) && ThreeDigits(first, candidate.get()) <= ClientWidth(first)) {
      font = std::move(candidate);
    }
  }
  ASSERT_TRUE(font) << "no font here brings margins that crowd out a third digit";
  PrepareAddressFields(window.control(), font.get());
  for (HWND field : window.Fields()) EXPECT_TRUE(FieldTakesThreeDigits(field));
  ::SetFocus(window.Fields()[0]);
  window.Type(L"123");
  EXPECT_EQ(AddressControlWindow::Text(window.Fields()[0]), L"123");
}

// After a third digit the next field's old text is selected, so the next octet replaces it.
TEST(AddressFieldsTest, TypingOverAFilledInAddressReplacesEachOctet) {
  AddressControlWindow window(152);
  const ScopedFont font = MakeFont(-11);
  PrepareAddressFields(window.control(), font.get());
  ::SendMessageW(window.control(), IPM_SETADDRESS, 0, MAKEIPADDRESS(192, 168, 1, 64));
  const std::vector<HWND> fields = window.Fields();
  ::SetFocus(fields[0]);
  ::SendMessageW(fields[0], EM_SETSEL, 0, -1);
  window.Type(L"172.116.100.200");
  DWORD address = 0;
  ::SendMessageW(window.control(), IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
  EXPECT_EQ(address, static_cast<DWORD>(MAKEIPADDRESS(172, 116, 100, 200)));

  // The arrow keys still leave the caret where the control puts it: at the start of the next field.
  ::SetFocus(fields[1]);
  ::SendMessageW(fields[1], EM_SETSEL, 3, 3);
  ::SendMessageW(fields[1], WM_KEYDOWN, VK_RIGHT, 0);
  EXPECT_EQ(::GetFocus(), fields[2]);
  DWORD start = 99, end = 99;
  ::SendMessageW(fields[2], EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 0u);
}

}  // namespace
}  // namespace quelvar
