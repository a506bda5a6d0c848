// The receive thread: waits on every interface socket, queues each accepted reply and announces it.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "discovery/interface_sockets.h"
#include "discovery/wire_format.h"

namespace quelvar {

class ReplyReceiver {
 public:
  // Runs on the receive thread: with the record just queued, or with nullptr as a reminder that records
  // still wait. The window build posts WM_SEARCH_REPLY from here; it must never block on the UI thread.
  using Notify = std::function<void(const ReplyRecord* queued)>;

  ReplyReceiver(InterfaceSockets& sockets, Notify notify);
  ~ReplyReceiver();
  ReplyReceiver(const ReplyReceiver&) = delete;
  ReplyReceiver& operator=(const ReplyReceiver&) = delete;

  void Start();

  // Asks the thread to end and waits for its answer, polling every 10 ms; returns at once if it never ran
  // or has already been stopped.
  void Stop();

  // The oldest queued record, now owned by the caller; nullptr when the queue is empty.
  std::unique_ptr<ReplyRecord> TakeFront();
  std::size_t QueuedCount();
  void FreeQueued();

  static constexpr long kWaitMicroseconds = 100'000;
  static constexpr std::size_t kBatchPerSocket = 64;
  static constexpr std::chrono::milliseconds kIdleSleep{10};

  // Guards m_replyQueue; taken while m_socketLock is held, never the other way round.
  std::recursive_mutex m_queueLock;
  std::deque<std::unique_ptr<ReplyRecord>> m_replyQueue;
  std::atomic<int> m_stopThread{0};
  std::atomic<int> m_threadDone{0};

 private:
  void RecvThreadProc();
  void ReceivePass(const std::vector<NativeSocket>& waitSet, const std::vector<bool>& ready, int readyCount);
  // Receives one datagram; false when the socket has nothing more to give this pass.
  bool ReceiveOne(LocalInterface& entry, ReplyRecord& buffer);
  void Enqueue(const ReplyRecord& buffer);

  InterfaceSockets& sockets_;
  Notify notify_;
  std::thread thread_;
};

}  // namespace quelvar
