// The main dialog under its own modal loop, without a network: replies injected into its queue, the
// device table, Enter and Escape, soft mode, and the teardown on every way out.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/device_row.h"
#include "app/qx_scanf_app.h"
#include "app/qx_scanf_dlg.h"
#include "res/resource.h"
#include "tests/win/reply_builder.h"
#include "tests/win/window_test_support.h"

namespace quelvar {
namespace {

using testing::BuildReply;
using testing::MessageRecorder;
using testing::ReplyFields;

std::vector<LocalAddress> NoInterfaces() { return {}; }

// The dialog with test steps run one by one from inside its modal loop; posted messages (keys) that a step
// leaves behind are handled before the next step runs.
class ScriptedMainDialog : public CQX_ScanfDlg {
 public:
  explicit ScriptedMainDialog(InterfaceSockets::AddressSource addressSource = NoInterfaces) : CQX_ScanfDlg(std::move(addressSource)) {}

  using Step = std::function<void(ScriptedMainDialog&)>;
  std::vector<Step> steps;
  // Runs at WM_DESTROY before the dialog's own handling (true) and after it (false).
  std::function<void(ScriptedMainDialog&, bool before)> onDestroy;
  std::size_t stepsRun = 0;

  Handled WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kNextStep) {
      RunNextStep();
      return 0;
    }
    if (message == WM_TIMER && wParam == kWatchdog) {
      ADD_FAILURE() << "the dialog was still open after its last step";
      EndDialog(-1);
      return 0;
    }
    if (message == WM_DESTROY && onDestroy) {
      onDestroy(*this, true);
      const Handled result = CQX_ScanfDlg::WindowProc(message, wParam, lParam);
      onDestroy(*this, false);
      return result;
    }
    return CQX_ScanfDlg::WindowProc(message, wParam, lParam);
  }

  void Queue(const ReplyRecord& record) {
    std::lock_guard lock(m_receiver.m_queueLock);
    m_receiver.m_replyQueue.push_back(std::make_unique<ReplyRecord>(record));
  }

  LRESULT AnnounceReply() { return ::SendMessageW(hwnd(), WM_SEARCH_REPLY, 0, 0); }

  std::vector<std::wstring> Row(int row) const {
    std::vector<std::wstring> cells;
    for (int column = 0; column < kDeviceColumns; ++column) cells.push_back(m_list.GetItemText(row, column));
    return cells;
  }

  void PressKey(int id, WPARAM key) {
    ::SetFocus(Item(id));
    ::PostMessageW(Item(id), WM_KEYDOWN, key, 0);
  }

 protected:
  BOOL OnInitDialog() override {
    const BOOL result = CQX_ScanfDlg::OnInitDialog();
    ::SetTimer(hwnd(), kWatchdog, 30000, nullptr);
    ::PostMessageW(hwnd(), kNextStep, 0, 0);
    return result;
  }

 private:
  static constexpr UINT kNextStep = WM_APP + 1;
  static constexpr UINT_PTR kWatchdog = 99;

  void RunNextStep() {
    if (stepsRun >= steps.size()) return;
    steps[stepsRun++](*this);
    if (stepsRun < steps.size() && ::IsWindow(hwnd())) ::PostMessageW(hwnd(), kNextStep, 0, 0);
  }
};

void CloseWithAltF4(ScriptedMainDialog& dialog) { ::SendMessageW(dialog.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0); }

std::vector<std::wstring> Cells(const std::array<std::wstring, kDeviceColumns>& cells) {
  return std::vector<std::wstring>(cells.begin(), cells.end());
}

ReplyFields Device(std::uint8_t last, const char* ip, const char* model = "IPCAMERA") {
  ReplyFields fields;
  fields.mac[5] = last;
  fields.ip = ip;
  fields.model = model;
  return fields;
}

std::wstring TextOf(HWND window) {
  wchar_t text[128] = {};
  ::GetWindowTextW(window, text, 128);
  return text;
}

TEST(MainDialogTest, OpensWithItsTitleCaptionsColumnsAndFields) {
  ScriptedMainDialog dialog;
  dialog.steps = {[](ScriptedMainDialog& d) {
    EXPECT_EQ(TextOf(d.hwnd()), L"Quelvar");
    const std::pair<int, const wchar_t*> captions[] = {
        {IDC_SEARCH, L"Search"},   {IDC_MODIFY_IP, L"Modify IP"},    {IDC_LABEL_GATEWAY, L"GateWay:"},
        {IDC_LABEL_MASK, L"Subnet Mask:"}, {IDC_LABEL_NEW_IP, L"New IP:"}, {IDC_LABEL_OLD_IP, L"Old IP:"},
        {IDC_ADD, L"\u6dfb\u52a0"}, {IDC_DHCP, L"\u4f7f\u7528DHCP"},  {IDC_CLOSE, L"X"},
        {IDC_MINIMIZE, L"-"},      {IDC_CAPTION, L"Quelvar"}};
    for (const auto& [id, caption] : captions) EXPECT_EQ(TextOf(d.Item(id)), caption) << id;

    for (const int id : {IDC_ADD, IDC_OLD_IP, IDC_OPEN_WEB, IDC_LABEL_OLD_IP, IDC_DHCP, IDC_PING, IDC_CAPTION}) {
      EXPECT_FALSE(::IsWindowVisible(d.Item(id))) << id;
    }
    for (const int id : {IDC_SEARCH, IDC_NEW_IP, IDC_MASK, IDC_GATEWAY, IDC_MODIFY_IP, IDC_DEVICE_LIST, IDC_CLOSE,
                         IDC_MINIMIZE}) {
      EXPECT_TRUE(::IsWindowVisible(d.Item(id))) << id;
    }
    EXPECT_EQ(::GetWindowLongW(d.hwnd(), GWL_STYLE) & (WS_POPUP | WS_CAPTION | WS_SYSMENU), WS_POPUP | WS_SYSMENU);
    EXPECT_EQ(::GetWindowLongW(d.hwnd(), GWL_EXSTYLE) & WS_EX_APPWINDOW, WS_EX_APPWINDOW);

    const std::pair<const wchar_t*, int> columns[kDeviceColumns] = {
        {L"Index", 50},       {L"Model", 80},     {L"Device Name", 100}, {L"IP address", 100}, {L"Subnet Mask", 100},
        {L"MAC", 100},        {L"HTTP Port", 80}, {L"RTSP Port", 80},    {L"Channels", 80}};
    for (int column = 0; column < kDeviceColumns; ++column) {
      wchar_t title[32] = {};
      LVCOLUMNW info{};
      info.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
      info.pszText = title;
      info.cchTextMax = 32;
      ASSERT_TRUE(d.m_list.Send(LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info)));
      EXPECT_STREQ(title, columns[column].first);
      EXPECT_EQ(info.cx, columns[column].second) << column;
      EXPECT_EQ(info.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT) << column;
    }
    EXPECT_EQ(d.m_list.Send(LVM_GETEXTENDEDLISTVIEWSTYLE), LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    EXPECT_EQ(d.m_list.m_columnCount, kDeviceColumns);
    EXPECT_NE(d.m_list.m_header.hwnd(), nullptr);

    DWORD mask = 0;
    ::SendMessageW(d.Item(IDC_MASK), IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&mask));
    EXPECT_EQ(mask, 0xFFFFFF00u);
    EXPECT_NE(d.m_hIcon, nullptr);
    EXPECT_EQ(reinterpret_cast<HICON>(d.Send(WM_GETICON, ICON_BIG)), d.m_hIcon);
    EXPECT_EQ(reinterpret_cast<HICON>(d.Send(WM_GETICON, ICON_SMALL)), d.m_hIcon);
    CloseWithAltF4(d);
  }};
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST(MainDialogTest, AReplyBecomesARowWithItsCellsAndPackedWord) {
  ScriptedMainDialog dialog;
  ReplyFields dvs = Device(0x01, "10.1.2.3", "DVS");
  dvs.dvsValue = 8;
  dvs.rtspPort = 0x01020304;
  dialog.steps = {[&](ScriptedMainDialog& d) {
    ReplyRecord expectedRecord = BuildReply(dvs);
    const DeviceRow expected = *MakeDeviceRow(expectedRecord, 1);
    d.Queue(BuildReply(dvs));

    EXPECT_EQ(d.AnnounceReply(), 1);

    ASSERT_EQ(d.m_list.GetItemCount(), 1);
    EXPECT_EQ(d.Row(0), Cells(expected.cells));
    EXPECT_EQ(d.Row(0)[7], L"16909060");
    EXPECT_EQ(d.m_list.GetRowData(0)->userWord, 0x02030418u);
    CloseWithAltF4(d);
  }};
  dialog.DoModal();
}

TEST(MainDialogTest, EachMessageTakesOneRecordDroppingDuplicatesAndUnknownKinds) {
  ScriptedMainDialog dialog;
  dialog.steps = {[](ScriptedMainDialog& d) {
    d.Queue(BuildReply(Device(0x01, "192.168.1.10")));
    d.Queue(BuildReply(Device(0x01, "192.168.1.99")));  // the same device heard again, now elsewhere
    d.Queue(BuildReply(Device(0x02, "192.168.1.11", "CAMERA")));
    d.Queue(BuildReply(Device(0x03, "192.168.1.12", "NVR")));
    const std::size_t rowsAfter[] = {1, 1, 1, 2, 2};
    const std::size_t queuedAfter[] = {3, 2, 1, 0, 0};
    for (std::size_t message = 0; message < 5; ++message) {
      EXPECT_EQ(d.AnnounceReply(), 1);
      EXPECT_EQ(static_cast<std::size_t>(d.m_list.GetItemCount()), rowsAfter[message]) << "message " << message;
      EXPECT_EQ(d.m_receiver.QueuedCount(), queuedAfter[message]) << "message " << message;
    }
    EXPECT_EQ(d.Row(0)[3], L"192.168.1.10");
    EXPECT_EQ(d.Row(0)[0], L"1");
    EXPECT_EQ(d.Row(1)[5], L"00:1A:2B:3C:4D:03");
    EXPECT_EQ(d.Row(1)[0], L"2");
    CloseWithAltF4(d);
  }};
  dialog.DoModal();
}

TEST(MainDialogTest, AnEmptyQueueAnswersOneAndChangesNothing) {
  ScriptedMainDialog dialog;
  dialog.steps = {[](ScriptedMainDialog& d) {
    EXPECT_EQ(d.AnnounceReply(), 1);
    EXPECT_EQ(d.m_list.GetItemCount(), 0);
    CloseWithAltF4(d);
  }};
  dialog.DoModal();
}

TEST(MainDialogTest, ABurstIsPaintedOnceTheQueueHasStayedEmpty) {
  ScriptedMainDialog dialog;
  dialog.steps = {[](ScriptedMainDialog& d) {
    MessageRecorder redraws(d.m_list.hwnd(), {WM_SETREDRAW});
    const auto states = [&redraws] {
      std::vector<WPARAM> seen;
      for (const MessageRecorder::Entry& entry : redraws.entries) seen.push_back(entry.wParam);
      return seen;
    };
    // Runs the dialog's messages until the list has seen `count` redraw switches or time is up.
    const auto pumpUntil = [&](std::size_t count) {
      const DWORD until = ::GetTickCount() + 5000;
      while (redraws.entries.size() < count && ::GetTickCount() < until) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
        ::Sleep(5);
      }
    };
    d.Queue(BuildReply(Device(0x01, "10.0.0.1")));
    d.Queue(BuildReply(Device(0x02, "10.0.0.2")));
    d.Queue(BuildReply(Device(0x01, "10.0.0.1")));  // the burst ends with a duplicate

    d.AnnounceReply();
    EXPECT_EQ(states(), (std::vector<WPARAM>{FALSE}));
    d.AnnounceReply();
    d.AnnounceReply();
    // The queue is empty now, but a reply of the same burst may still be on its way: no repaint yet.
    EXPECT_EQ(states(), (std::vector<WPARAM>{FALSE}));
    d.Queue(BuildReply(Device(0x03, "10.0.0.3")));
    d.AnnounceReply();
    EXPECT_EQ(states(), (std::vector<WPARAM>{FALSE}));

    pumpUntil(2);
    EXPECT_EQ(states(), (std::vector<WPARAM>{FALSE, TRUE}));
    EXPECT_EQ(d.m_list.GetItemCount(), 3);

    // A later reply is listed and painted the same way.
    d.Queue(BuildReply(Device(0x04, "10.0.0.4")));
    d.AnnounceReply();
    pumpUntil(4);
    EXPECT_EQ(states(), (std::vector<WPARAM>{FALSE, TRUE, FALSE, TRUE}));
    EXPECT_EQ(d.m_list.GetItemCount(), 4);
    CloseWithAltF4(d);
  }};
  dialog.DoModal();
}

TEST(MainDialogTest, EnterAndTheSearchButtonEmptyTheListAndEscapeLeavesTheDialogOpen) {
  ScriptedMainDialog dialog;
  dialog.steps = {
      [](ScriptedMainDialog& d) {
        d.Queue(BuildReply(Device(0x01, "10.0.0.1")));
        d.Queue(BuildReply(Device(0x02, "10.0.0.2")));
        d.AnnounceReply();
        d.AnnounceReply();
        ASSERT_EQ(d.m_list.GetItemCount(), 2);
        d.PressKey(IDC_DEVICE_LIST, VK_RETURN);
      },
      [](ScriptedMainDialog& d) {
        EXPECT_EQ(d.m_list.GetItemCount(), 0);
        // Listed before the search, new again after it: numbered from 1.
        d.Queue(BuildReply(Device(0x02, "10.0.0.2")));
        d.AnnounceReply();
        ASSERT_EQ(d.m_list.GetItemCount(), 1);
        EXPECT_EQ(d.Row(0)[0], L"1");
        d.PressKey(IDC_NEW_IP, VK_ESCAPE);
      },
      [](ScriptedMainDialog& d) {
        ::SendMessageW(d.Item(IDC_SEARCH), BM_CLICK, 0, 0);
        EXPECT_EQ(d.m_list.GetItemCount(), 0);
        CloseWithAltF4(d);
      }};
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(dialog.stepsRun, 3u);
}

TEST(MainDialogTest, MinimiseButtonMinimisesTheWindow) {
  ScriptedMainDialog dialog;
  dialog.steps = {[](ScriptedMainDialog& d) {
    ::SendMessageW(d.Item(IDC_MINIMIZE), BM_CLICK, 0, 0);
    EXPECT_TRUE(::IsIconic(d.hwnd()));
    CloseWithAltF4(d);
  }};
  dialog.DoModal();
}

// Soft mode is the application's; each case sets it and puts it back.
class SoftModeTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { theApp.m_softMode = GetParam() ? TRUE : FALSE; }
  void TearDown() override { theApp.m_softMode = FALSE; }
};

TEST_P(SoftModeTest, SoftExitEndsTheDialogOnlyInSoftMode) {
  const bool softMode = GetParam();
  ScriptedMainDialog dialog;
  dialog.steps = {[](ScriptedMainDialog& d) { ::PostMessageW(d.hwnd(), WM_SOFT_EXIT, 0, 0); },
                  [](ScriptedMainDialog& d) {
                    ::SendMessageW(d.hwnd(), WM_SOFT_EXIT, 0, 0);
                    EXPECT_TRUE(::IsWindowVisible(d.hwnd()));
                    CloseWithAltF4(d);
                  }};

  EXPECT_EQ(dialog.DoModal(), IDCANCEL);

  EXPECT_EQ(dialog.stepsRun, softMode ? 1u : 2u);
  EXPECT_EQ(dialog.m_receiver.m_threadDone, 1);
}

INSTANTIATE_TEST_SUITE_P(On, SoftModeTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "On" : "Off"; });

struct TeardownCase {
  const char* name;
  void (*close)(ScriptedMainDialog&);
  INT_PTR result;
  bool tornDownBeforeDestroy;
};

class TeardownTest : public ::testing::TestWithParam<TeardownCase> {
 protected:
  void TearDown() override { theApp.m_softMode = FALSE; }
};

std::vector<LocalAddress> Loopback() { return {LocalAddress{0x7F000001, "lo"}}; }

// Every way out stops the thread, closes the sockets and frees the queued replies once, before the window
// is gone; a second run at WM_DESTROY after WM_CLOSE touches nothing.
TEST_P(TeardownTest, RunsOnceBeforeTheWindowIsGone) {
  const TeardownCase& c = GetParam();
  SocketLibrary socketLibrary;
  ASSERT_TRUE(socketLibrary.ok());
  ScriptedMainDialog dialog(Loopback);
  struct Seen {
    int threadDone = -1;
    std::size_t queued = 0;
  } atDestroy, afterDestroy;
  dialog.onDestroy = [&](ScriptedMainDialog& d, bool before) {
    Seen& seen = before ? atDestroy : afterDestroy;
    seen.threadDone = d.m_receiver.m_threadDone;
    seen.queued = d.m_receiver.QueuedCount();
    // After the teardown, a record that turns up must stay untouched by the second run.
    if (before && seen.threadDone == 1) d.Queue(BuildReply(Device(0x09, "10.0.0.9")));
  };
  dialog.steps = {[&](ScriptedMainDialog& d) {
    d.m_sockets.RefreshInterfaces();  // opens the loopback socket without sending anything
    d.Queue(BuildReply(Device(0x01, "10.0.0.1")));
    d.Queue(BuildReply(Device(0x02, "10.0.0.2")));
    c.close(d);
  }};

  EXPECT_EQ(dialog.DoModal(), c.result);

  if (c.tornDownBeforeDestroy) {
    EXPECT_EQ(atDestroy.threadDone, 1);
    EXPECT_EQ(atDestroy.queued, 0u);
    EXPECT_EQ(afterDestroy.queued, 1u);  // the late record, left alone
  } else {
    EXPECT_EQ(atDestroy.threadDone, 0);
    EXPECT_EQ(atDestroy.queued, 2u);
    EXPECT_EQ(afterDestroy.threadDone, 1);
    EXPECT_EQ(afterDestroy.queued, 0u);
  }
  ASSERT_FALSE(dialog.m_sockets.m_interfaces.empty());
  for (const LocalInterface& entry : dialog.m_sockets.m_interfaces) EXPECT_FALSE(entry.live());
}

INSTANTIATE_TEST_SUITE_P(
    Ways, TeardownTest,
    ::testing::Values(TeardownCase{"AltF4", CloseWithAltF4, IDCANCEL, true},
                      TeardownCase{"CloseButton",
                                   [](ScriptedMainDialog& d) { ::SendMessageW(d.Item(IDC_CLOSE), BM_CLICK, 0, 0); },
                                   IDOK, false},
                      TeardownCase{"SoftExit",
                                   [](ScriptedMainDialog& d) {
                                     theApp.m_softMode = TRUE;
                                     ::SendMessageW(d.hwnd(), WM_SOFT_EXIT, 0, 0);
                                   },
                                   IDCANCEL, false}),
    [](const ::testing::TestParamInfo<TeardownCase>& info) { return info.param.name; });

}  // namespace
}  // namespace quelvar
