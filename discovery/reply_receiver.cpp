// Receive loop: a bounded batch per ready socket per pass, so a busy interface cannot starve the others.
#include "discovery/reply_receiver.h"

#include <algorithm>
#include <new>
#include <vector>

namespace quelvar {

ReplyReceiver::ReplyReceiver(InterfaceSockets& sockets, Notify notify)
    : sockets_(sockets), notify_(std::move(notify)) {}

ReplyReceiver::~ReplyReceiver() {
  Stop();
  FreeQueued();
}

void ReplyReceiver::Start() {
  if (thread_.joinable()) return;
  m_stopThread = 0;
  m_threadDone = 0;
  thread_ = std::thread([this] { RecvThreadProc(); });
}

void ReplyReceiver::Stop() {
  if (!thread_.joinable()) return;
  m_stopThread = 1;
  while (m_threadDone == 0) std::this_thread::sleep_for(kIdleSleep);
  thread_.join();
}

std::unique_ptr<ReplyRecord> ReplyReceiver::TakeFront() {
  std::lock_guard lock(m_queueLock);
  if (m_replyQueue.empty()) return nullptr;
  std::unique_ptr<ReplyRecord> record = std::move(m_replyQueue.front());
  m_replyQueue.pop_front();
  return record;
}

std::size_t ReplyReceiver::QueuedCount() {
  std::lock_guard lock(m_queueLock);
  return m_replyQueue.size();
}

void ReplyReceiver::FreeQueued() {
  std::lock_guard lock(m_queueLock);
  m_replyQueue.clear();
}

void ReplyReceiver::RecvThreadProc() {
  std::vector<NativeSocket> waitSet;
  std::vector<bool> ready;
  while (m_stopThread == 0) {
    waitSet.clear();
    {
      std::lock_guard lock(sockets_.m_socketLock);
      for (const LocalInterface& entry : sockets_.m_interfaces) {
        if (!entry.live() || waitSet.size() >= kMaxWaitSockets) continue;
        if (std::find(waitSet.begin(), waitSet.end(), entry.socket) == waitSet.end()) waitSet.push_back(entry.socket);
      }
    }
    const int readyCount = WaitReadable(waitSet, kWaitMicroseconds, ready);
    if (readyCount > 0) {
      ReceivePass(waitSet, ready, readyCount);
      continue;
    }
    // Nothing arrived: remind the owner of records whose announcement it may have missed.
    if (QueuedCount() > 0) notify_(nullptr);
    std::this_thread::sleep_for(kIdleSleep);
  }
  m_threadDone = 1;
}

void ReplyReceiver::ReceivePass(const std::vector<NativeSocket>& waitSet, const std::vector<bool>& ready,
                                int readyCount) {
  ReplyRecord buffer;
  int handled = 0;
  std::lock_guard lock(sockets_.m_socketLock);
  for (LocalInterface& entry : sockets_.m_interfaces) {
    if (handled >= readyCount) break;
    if (!entry.live()) continue;
    const auto at = std::find(waitSet.begin(), waitSet.end(), entry.socket);
    if (at == waitSet.end() || !ready[static_cast<std::size_t>(at - waitSet.begin())]) continue;
    ++handled;
    // A wait costs far more than a receive on some systems, so a ready socket gives up to a batch of
    // datagrams before the next wait; the batch is bounded so that a flood on one interface cannot
    // keep the others waiting.
    for (std::size_t taken = 0; taken < kBatchPerSocket && entry.live(); ++taken) {
      if (!ReceiveOne(entry, buffer)) break;
    }
  }
}

bool ReplyReceiver::ReceiveOne(LocalInterface& entry, ReplyRecord& buffer) {
  // A short datagram must not inherit the tail of the previous one.
  buffer.fill(0);
  const ReceiveResult result = ReceiveDatagram(entry.socket, buffer);
  switch (result.status) {
    case ReceiveStatus::Failed:
      InterfaceSockets::Retire(entry);
      return false;
    case ReceiveStatus::Empty:
      return false;
    case ReceiveStatus::Oversized:  // another product's traffic: drop it, keep hearing the devices
    case ReceiveStatus::Transient:
      return true;
    case ReceiveStatus::Datagram:
      if (result.length == 0) return true;
      buffer[kTextScanLimit] = 0;
      if (IsAcceptedReply(buffer.data(), result.length)) Enqueue(buffer);
      return true;
  }
  return false;
}

void ReplyReceiver::Enqueue(const ReplyRecord& buffer) {
  std::unique_ptr<ReplyRecord> record(new (std::nothrow) ReplyRecord(buffer));
  if (!record) return;  // out of memory: this reply is lost, the next ones may not be
  const ReplyRecord* queued = record.get();
  {
    std::lock_guard lock(m_queueLock);
    m_replyQueue.push_back(std::move(record));
  }
  notify_(queued);
}

}  // namespace quelvar
