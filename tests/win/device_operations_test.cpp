// The dialog's device operations inside its own modal loop: the DHCP box, the row click, Modify IP's
// questions and Ping, with the message boxes read and answered as a user would.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/qx_scanf_dlg.h"
#include "discovery/socket_api.h"
#include "framework/application.h"
#include "res/resource.h"
#include "tests/win/reply_builder.h"

namespace quelvar {
namespace {

using testing::BuildReply;
using testing::ReplyFields;

std::vector<LocalAddress> NoInterfaces() { return {}; }

// Reads and answers the message boxes this thread shows, from inside their own modal loops.
class MessageBoxAnswerer {
 public:
  struct Seen {
    std::wstring caption;
    std::wstring text;
    bool hasCancel = false;
  };

  MessageBoxAnswerer() {
    current_ = this;
    timer_ = ::SetTimer(nullptr, 0, 50, &MessageBoxAnswerer::OnTimer);
  }
  ~MessageBoxAnswerer() {
    ::KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
  MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

  // Buttons for the coming boxes, in order; OK when none is left.
  std::deque<int> answers;
  std::vector<Seen> seen;

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (current_ == nullptr) return;
    ::EnumThreadWindows(::GetCurrentThreadId(), &MessageBoxAnswerer::Answer, 0);
  }

  static BOOL CALLBACK Answer(HWND window, LPARAM) {
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    HWND text = ::GetDlgItem(window, 0xFFFF);
    if (std::wstring(className) != L"#32770" || text == nullptr || !::IsWindowVisible(window)) return TRUE;
    MessageBoxAnswerer& self = *current_;
    Seen seen;
    wchar_t buffer[512] = {};
    ::GetWindowTextW(window, buffer, 512);
    seen.caption = buffer;
    ::GetWindowTextW(text, buffer, 512);
    seen.text = buffer;
    seen.hasCancel = ::GetDlgItem(window, IDCANCEL) != nullptr;
    self.seen.push_back(seen);
    int answer = IDOK;
    if (!self.answers.empty()) {
      answer = self.answers.front();
      self.answers.pop_front();
    }
    ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
    return FALSE;
  }

  static inline MessageBoxAnswerer* current_ = nullptr;
  UINT_PTR timer_ = 0;
};

class OperationsDialog : public CQX_ScanfDlg {
 public:
  OperationsDialog() : CQX_ScanfDlg(NoInterfaces) {}

  std::function<void(OperationsDialog&)> script;

  void Queue(const ReplyFields& fields) {
    {
      std::lock_guard lock(m_receiver.m_queueLock);
      m_receiver.m_replyQueue.push_back(std::make_unique<ReplyRecord>(BuildReply(fields)));
    }
    ::SendMessageW(hwnd(), WM_SEARCH_REPLY, 0, 0);
  }

  void Click(int id) { ::SendMessageW(Item(id), BM_CLICK, 0, 0); }

  std::uint32_t Field(int id) {
    DWORD address = 0;
    ::SendMessageW(Item(id), IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
    return address;
  }
  void SetField(int id, std::uint32_t address) { ::SendMessageW(Item(id), IPM_SETADDRESS, 0, address); }

  // The list's click notification with the mouse pointer over `point` (list client coordinates).
  void ClickListAt(POINT point) {
    POINT screen = point;
    ::ClientToScreen(m_list.hwnd(), &screen);
    ::SetCursorPos(screen.x, screen.y);
    NMITEMACTIVATE click{};
    click.hdr.hwndFrom = m_list.hwnd();
    click.hdr.idFrom = IDC_DEVICE_LIST;
    click.hdr.code = NM_CLICK;
    click.ptAction = point;
    const LRESULT result = ::SendMessageW(hwnd(), WM_NOTIFY, IDC_DEVICE_LIST, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(result, 0);
  }

  POINT RowPoint(int row) {
    RECT rect{};
    rect.left = LVIR_LABEL;
    m_list.Send(LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect));
    return POINT{rect.left + 5, (rect.top + rect.bottom) / 2};
  }

  POINT BelowLastRow() {
    RECT client{};
    ::GetClientRect(m_list.hwnd(), &client);
    return POINT{20, client.bottom - 8};
  }

  bool FieldsEnabled() {
    const bool newIp = ::IsWindowEnabled(Item(IDC_NEW_IP)) != FALSE;
    EXPECT_EQ(::IsWindowEnabled(Item(IDC_MASK)) != FALSE, newIp);
    EXPECT_EQ(::IsWindowEnabled(Item(IDC_GATEWAY)) != FALSE, newIp);
    return newIp;
  }

 protected:
  BOOL OnInitDialog() override {
    const BOOL result = CQX_ScanfDlg::OnInitDialog();
    ::PostMessageW(hwnd(), kRun, 0, 0);
    return result;
  }

  Handled WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kRun) {
      if (script) script(*this);
      ::SendMessageW(hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
      return 0;
    }
    return CQX_ScanfDlg::WindowProc(message, wParam, lParam);
  }

 private:
  static constexpr UINT kRun = WM_APP + 7;
};

constexpr std::uint32_t Address(unsigned a, unsigned b, unsigned c, unsigned d) {
  return (a << 24) | (b << 16) | (c << 8) | d;
}

ReplyFields Device(std::uint8_t last, const char* ip, const char* mask) {
  ReplyFields fields;
  fields.mac = {0x00, 0x1a, 0x2b, 0x3c, 0x4d, last};
  fields.ip = ip;
  fields.mask = mask;
  return fields;
}

TEST(DeviceOperationsTest, DhcpBoxShowsTheStateBeforeTheClickAndSwitchesTheFields) {
  OperationsDialog dialog;
  dialog.script = [](OperationsDialog& d) {
    MessageBoxAnswerer boxes;
    ASSERT_TRUE(d.FieldsEnabled());
    d.Click(IDC_DHCP);
    EXPECT_EQ(d.m_useDhcp, TRUE);
    EXPECT_FALSE(d.FieldsEnabled());
    d.Click(IDC_DHCP);
    EXPECT_EQ(d.m_useDhcp, FALSE);
    EXPECT_TRUE(d.FieldsEnabled());
    ASSERT_EQ(boxes.seen.size(), 2u);
    EXPECT_EQ(boxes.seen[0].text, L"0");
    EXPECT_EQ(boxes.seen[1].text, L"1");
    EXPECT_EQ(boxes.seen[0].caption, ApplicationName());
    EXPECT_FALSE(boxes.seen[0].hasCancel);
    EXPECT_FALSE(::IsWindowVisible(d.Item(IDC_DHCP)));
  };
  dialog.DoModal();
}

TEST(DeviceOperationsTest, RowClickFillsTheFieldsFromTheRowUnderThePointer) {
  OperationsDialog dialog;
  dialog.script = [](OperationsDialog& d) {
    MessageBoxAnswerer boxes;
    d.Queue(Device(0x5e, "192.168.1.64", "255.255.255.0"));
    d.Queue(Device(0x01, "10.0.0.1", "255.0.0.0"));
    d.Queue(Device(0x02, "", ""));
    ASSERT_EQ(d.m_list.GetItemCount(), 3);
    // Selection does not matter: the fields follow the row clicked.
    ListView_SetItemState(d.m_list.hwnd(), 2, LVIS_SELECTED, LVIS_SELECTED);

    d.ClickListAt(d.RowPoint(0));
    EXPECT_EQ(d.Field(IDC_NEW_IP), Address(192, 168, 1, 64));
    EXPECT_EQ(d.Field(IDC_OLD_IP), Address(192, 168, 1, 64));
    EXPECT_EQ(d.Field(IDC_MASK), Address(255, 255, 255, 0));
    EXPECT_EQ(d.Field(IDC_GATEWAY), Address(192, 168, 1, 1));
    EXPECT_EQ(d.m_mac, L"00:1A:2B:3C:4D:5E");

    d.ClickListAt(d.RowPoint(1));
    EXPECT_EQ(d.Field(IDC_GATEWAY), Address(10, 0, 0, 1));
    EXPECT_EQ(d.Field(IDC_MASK), Address(255, 0, 0, 0));

    // Empty space below the rows changes nothing, not even what was typed meanwhile.
    d.SetField(IDC_NEW_IP, Address(10, 0, 0, 99));
    d.ClickListAt(d.BelowLastRow());
    EXPECT_EQ(d.Field(IDC_NEW_IP), Address(10, 0, 0, 99));
    EXPECT_EQ(d.m_mac, L"00:1A:2B:3C:4D:01");

    // Disabled by the DHCP box, the fields are filled all the same and stay disabled.
    d.Click(IDC_DHCP);
    d.ClickListAt(d.RowPoint(2));
    EXPECT_FALSE(d.FieldsEnabled());
    EXPECT_EQ(d.Field(IDC_NEW_IP), 0u);
    EXPECT_EQ(d.Field(IDC_MASK), 0u);
    EXPECT_EQ(d.Field(IDC_GATEWAY), Address(0, 0, 0, 1));
    EXPECT_EQ(d.m_useDhcp, TRUE);  // the row click read the box before writing the fields back
  };
  dialog.DoModal();
}

TEST(DeviceOperationsTest, ModifyIpChecksTheFieldsBeforeSending) {
  OperationsDialog dialog;
  dialog.script = [](OperationsDialog& d) {
    MessageBoxAnswerer boxes;
    d.SetField(IDC_NEW_IP, Address(192, 168, 1, 0));
    d.Click(IDC_MODIFY_IP);
    d.SetField(IDC_NEW_IP, Address(192, 168, 1, 255));
    d.Click(IDC_MODIFY_IP);
    ASSERT_EQ(boxes.seen.size(), 2u);
    EXPECT_EQ(boxes.seen[0].text, L"Invalid IP address");
    EXPECT_EQ(boxes.seen[1].text, L"Invalid IP address");
    EXPECT_FALSE(boxes.seen[1].hasCancel);

    // An empty gateway is made from the new address, shown, and not asked about.
    d.SetField(IDC_NEW_IP, Address(10, 1, 2, 3));
    d.SetField(IDC_GATEWAY, 0);
    d.Click(IDC_MODIFY_IP);
    EXPECT_EQ(d.Field(IDC_GATEWAY), Address(10, 1, 2, 1));
    EXPECT_EQ(boxes.seen.size(), 2u);

    // Only the first three octets count, whatever the mask says.
    boxes.answers = {IDCANCEL};
    d.SetField(IDC_NEW_IP, Address(192, 168, 5, 5));
    d.SetField(IDC_MASK, Address(255, 255, 0, 0));
    d.SetField(IDC_GATEWAY, Address(192, 168, 1, 1));
    d.Click(IDC_MODIFY_IP);
    ASSERT_EQ(boxes.seen.size(), 3u);
    EXPECT_EQ(boxes.seen[2].text, L"IP address and gate way are not in the same network segment! are you sure modify?");
    EXPECT_TRUE(boxes.seen[2].hasCancel);
    EXPECT_EQ(boxes.seen[2].caption, ApplicationName());
  };
  dialog.DoModal();
}

TEST(DeviceOperationsTest, PingReadsTheNewIpFieldAsItIsNow) {
  SocketLibrary sockets;
  ASSERT_TRUE(sockets.ok());
  OperationsDialog dialog;
  dialog.script = [](OperationsDialog& d) {
    MessageBoxAnswerer boxes;
    d.SetField(IDC_NEW_IP, Address(127, 0, 0, 1));  // loopback: answers, and never leaves the machine
    d.Click(IDC_PING);
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, L"Warnning!! This IP address is  existed!");
    EXPECT_EQ(d.m_newIp, Address(127, 0, 0, 1));
  };
  dialog.DoModal();
}

}  // namespace
}  // namespace quelvar
