// Measures a search on the private LAN: devices found and time from probe to last reply.
//
//   discovery_bench EXPECTED_DEVICES [RUNS] [QUIET_MS]
//
// Runs inside the app namespace of scripts/with-lan, with the simulator answering for EXPECTED_DEVICES.
// A run ends when every device has answered or when no reply has come for QUIET_MS (default 1500).
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>

#include "discovery/interface_sockets.h"
#include "discovery/reply_receiver.h"
#include "discovery/socket_api.h"

namespace {

using Clock = std::chrono::steady_clock;

struct RunResult {
  std::size_t found = 0;
  double lastReplyMs = 0;
};

RunResult RunOnce(std::size_t expected, std::chrono::milliseconds quiet) {
  quelvar::InterfaceSockets sockets;
  std::mutex mutex;
  std::condition_variable arrived;
  std::size_t announced = 0;
  quelvar::ReplyReceiver receiver(sockets, [&](const quelvar::ReplyRecord* record) {
    if (record == nullptr) return;
    std::lock_guard lock(mutex);
    ++announced;
    arrived.notify_one();
  });
  receiver.Start();

  std::set<quelvar::MacAddress> macs;
  RunResult result;
  const Clock::time_point probeSent = Clock::now();
  sockets.BroadcastProbe();
  Clock::time_point lastReply = probeSent;
  for (;;) {
    // Drain like the dialog does: one record at a time, de-duplicated by MAC.
    while (auto record = receiver.TakeFront()) {
      const quelvar::DeviceReply reply = quelvar::ReadDeviceReply(record->data(), record->size());
      if (macs.insert(reply.mac).second) lastReply = Clock::now();
    }
    if (macs.size() >= expected) break;
    std::unique_lock lock(mutex);
    const std::size_t seen = announced;
    if (!arrived.wait_for(lock, quiet, [&] { return announced != seen; }) && receiver.QueuedCount() == 0) break;
  }
  receiver.Stop();
  result.found = macs.size();
  result.lastReplyMs = std::chrono::duration<double, std::milli>(lastReply - probeSent).count();
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s EXPECTED_DEVICES [RUNS] [QUIET_MS]\n", argv[0]);
    return 2;
  }
  const quelvar::SocketLibrary library;
  const std::size_t expected = std::strtoul(argv[1], nullptr, 10);
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  const std::chrono::milliseconds quiet(argc > 3 ? std::atoi(argv[3]) : 1500);
  std::size_t worst = expected;
  for (int run = 1; run <= runs; ++run) {
    const RunResult r = RunOnce(expected, quiet);
    worst = std::min(worst, r.found);
    std::printf("run %d: found %zu of %zu (%.1f %%), last reply %.1f ms after the probe\n", run, r.found, expected,
                100.0 * static_cast<double>(r.found) / static_cast<double>(expected), r.lastReplyMs);
    std::fflush(stdout);
  }
  std::printf("worst run: %zu of %zu found\n", worst, expected);
  return 0;
}
