// The discovery core on real sockets in the private LAN, with the device simulator as the devices.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "discovery/interface_sockets.h"
#include "discovery/reply_receiver.h"
#include "discovery/socket_api.h"
#include "tests/net/simulator_log.h"

namespace quelvar {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testing::JsonField;

std::size_t EnvCount(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? 0 : static_cast<std::size_t>(std::strtoul(value, nullptr, 10));
}

std::string MacText(const MacAddress& mac) {
  char text[18];
  std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
  return text;
}

class DiscoveryOnLan : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(library_.ok());
    ASSERT_TRUE(log_.available()) << "run through scripts/with-lan";
    log_.StartHere();
  }

  // Takes queued records like the dialog does until `count` distinct devices were heard or time runs out.
  std::set<std::string> CollectDevices(std::size_t count, std::chrono::milliseconds deadline = 10s) {
    const auto until = Clock::now() + deadline;
    while (heard_.size() < count && Clock::now() < until) {
      while (auto record = receiver_.TakeFront()) {
        const DeviceReply reply = ReadDeviceReply(record->data(), record->size());
        heard_.insert(MacText(reply.mac));
        addresses_.insert(reply.ip);
      }
      std::unique_lock lock(mutex_);
      arrived_.wait_for(lock, 20ms);
    }
    return heard_;
  }

  std::vector<NativeSocket> LiveSockets() {
    std::lock_guard lock(sockets_.m_socketLock);
    std::vector<NativeSocket> live;
    for (const LocalInterface& entry : sockets_.m_interfaces)
      if (entry.live()) live.push_back(entry.socket);
    return live;
  }

  SocketLibrary library_;
  testing::SimulatorLog log_;
  InterfaceSockets sockets_;
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::atomic<int> announcements_{0};
  std::atomic<int> reminders_{0};
  std::atomic<bool> loseAnnouncements_{false};
  ReplyReceiver receiver_{sockets_, [this](const ReplyRecord* record) {
                            if (record == nullptr) ++reminders_;
                            else if (loseAnnouncements_) return;
                            else ++announcements_;
                            arrived_.notify_all();
                          }};
  std::set<std::string> heard_;
  std::set<std::string> addresses_;
};

TEST_F(DiscoveryOnLan, EveryInterfaceSendsOneProbeCarryingItsOwnAddress) {
  receiver_.Start();
  sockets_.BroadcastProbe();
  const auto probes = log_.WaitForEvents("probe", 2);
  ASSERT_EQ(probes.size(), 2u);
  std::set<std::string> seen;
  for (const std::string& probe : probes) {
    seen.insert(JsonField(probe, "interface").value_or("?") + " " + JsonField(probe, "text").value_or("?"));
  }
  EXPECT_EQ(seen, (std::set<std::string>{"dev0 198.18.0.1", "dev1 198.18.1.1"}));
  EXPECT_EQ(LiveSockets().size(), 2u);
}

TEST_F(DiscoveryOnLan, SecondSearchOpensNoSocketAndProbesAgain) {
  receiver_.Start();
  sockets_.BroadcastProbe();
  ASSERT_EQ(log_.WaitForEvents("probe", 2).size(), 2u);
  const std::vector<NativeSocket> first = LiveSockets();
  sockets_.BroadcastProbe();
  EXPECT_EQ(log_.WaitForEvents("probe", 4).size(), 4u);
  EXPECT_EQ(LiveSockets(), first);
}

TEST_F(DiscoveryOnLan, FindsEveryDeviceTheSimulatorServesOnForeignSubnets) {
  const std::size_t expected = EnvCount("QV_DEVICE_COUNT");
  ASSERT_GT(expected, 0u);
  receiver_.Start();
  sockets_.BroadcastProbe();
  const std::set<std::string> heard = CollectDevices(expected);
  EXPECT_EQ(heard.size(), expected);

  std::set<std::string> served;
  for (const std::string& reply : log_.Events("reply")) served.insert(JsonField(reply, "mac").value_or(""));
  EXPECT_EQ(heard, served);
  for (const std::string& address : addresses_) {
    EXPECT_NE(address.rfind("198.18.", 0), 0u) << address << " is on the app's own subnet";
  }
}

TEST_F(DiscoveryOnLan, OversizedDatagramLeavesRepliesFlowingOnEveryInterface) {
  const std::size_t expected = EnvCount("QV_DEVICE_COUNT");
  ASSERT_GT(expected, 0u);
  receiver_.Start();
  sockets_.BroadcastProbe();
  EXPECT_EQ(CollectDevices(expected).size(), expected);
  const auto hostile = log_.WaitForEvents("hostile", 2);
  ASSERT_GE(hostile.size(), 2u) << "the simulator sent no oversized datagram";
  for (const std::string& line : hostile) EXPECT_EQ(JsonField(line, "size"), "300");
  EXPECT_EQ(LiveSockets().size(), 2u);

  // Both sockets still hear: a second search is answered on both interfaces again.
  heard_.clear();
  const std::size_t repliesBefore = log_.Events("reply").size();
  sockets_.BroadcastProbe();
  EXPECT_EQ(CollectDevices(expected).size(), expected);
  EXPECT_GE(log_.WaitForEvents("reply", repliesBefore + 2 * expected).size(), repliesBefore + 2 * expected);
  EXPECT_EQ(LiveSockets().size(), 2u);
}

TEST_F(DiscoveryOnLan, NothingIsAnnouncedBeforeTheFirstSearch) {
  receiver_.Start();
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(announcements_ + reminders_, 0);
  EXPECT_TRUE(LiveSockets().empty());
  EXPECT_TRUE(log_.Events("probe").empty());
}

TEST_F(DiscoveryOnLan, LostAnnouncementsAreFollowedByReminders) {
  const std::size_t expected = EnvCount("QV_DEVICE_COUNT");
  ASSERT_GT(expected, 0u);
  loseAnnouncements_ = true;
  receiver_.Start();
  sockets_.BroadcastProbe();
  std::unique_lock lock(mutex_);
  EXPECT_TRUE(arrived_.wait_for(lock, 5s, [this] { return reminders_ > 0; }));
  lock.unlock();
  EXPECT_EQ(announcements_, 0);
  EXPECT_EQ(CollectDevices(expected).size(), expected);
}

TEST_F(DiscoveryOnLan, StoppingWhileWaitingEndsPromptlyAndFreesQueuedRecords) {
  const std::size_t expected = EnvCount("QV_DEVICE_COUNT");
  ASSERT_GT(expected, 0u);
  receiver_.Start();
  sockets_.BroadcastProbe();
  {
    std::unique_lock lock(mutex_);
    arrived_.wait_for(lock, 10s, [&] { return static_cast<std::size_t>(announcements_) >= expected; });
  }
  ASSERT_GE(receiver_.QueuedCount(), expected);
  std::this_thread::sleep_for(150ms);  // the thread is now idle in its wait

  const auto before = Clock::now();
  receiver_.Stop();
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - before);
  std::printf("receive thread stopped %lld ms after the request\n", static_cast<long long>(took.count()));
  EXPECT_EQ(receiver_.m_threadDone, 1);
  // About one wait of 100 ms and one sleep of 10 ms; the bound only catches a thread that hangs.
  EXPECT_LT(took, 2s);
  // The owner's teardown frees what is still queued; the leak checker holds us to it.
  receiver_.FreeQueued();
  EXPECT_EQ(receiver_.QueuedCount(), 0u);
  sockets_.CloseAll();
  EXPECT_TRUE(LiveSockets().empty());
}

}  // namespace
}  // namespace quelvar
