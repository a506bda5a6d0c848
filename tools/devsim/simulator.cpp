// The serving loop of the simulator: receives probes and commands, sends replies and hostile traffic.
#include "tools/devsim/simulator.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <iostream>
#include <memory>
#include <optional>
#include <queue>
#include <random>

#include "tools/devsim/control.h"
#include "tools/devsim/device_protocol.h"
#include "tools/devsim/event_log.h"
#include "tools/devsim/linux_net.h"

namespace devsim {
namespace {

using Clock = std::chrono::steady_clock;
using Reply = std::array<std::uint8_t, quelvar::kReplyRecordSize>;

std::string SourceText(const sockaddr_in& from) {
  return DottedText(ntohl(from.sin_addr.s_addr)) + ":" + std::to_string(ntohs(from.sin_port));
}

struct Endpoint {
  std::string name;
  UniqueFd socket;
  std::optional<std::uint16_t> lastProbePort;  // where hostile traffic on demand goes
};

// Counts of one paced flood, shared by its scheduled datagrams.
struct FloodProgress {
  std::size_t sent = 0;
  std::size_t failed = 0;
};

// A datagram waiting for its time: a jittered reply or one of a paced series of hostile datagrams.
struct Pending {
  Clock::time_point due;
  std::uint64_t order = 0;  // keeps datagrams due at the same time in the order they were scheduled
  std::size_t endpoint = 0;
  std::uint16_t port = 0;
  std::vector<std::uint8_t> datagram;
  std::optional<JsonObject> eventWhenSent;
  std::shared_ptr<FloodProgress> flood;
  bool lastOfFlood = false;

  bool operator>(const Pending& other) const {
    return due != other.due ? due > other.due : order > other.order;
  }
};

class Simulator {
 public:
  explicit Simulator(ServeOptions options)
      : options_(std::move(options)), log_(options_.logPath), random_(options_.seed ^ 0x9E3779B97F4A7C15ull) {}

  int Run();

 private:
  std::string Start();
  void HoldAddresses(const SimDevice& device, bool hold);
  void HandleDatagram(std::size_t endpoint, const std::uint8_t* data, std::size_t size, const sockaddr_in& from);
  void AnswerProbe(std::size_t endpoint, std::uint16_t port);
  void SendBurst(std::size_t endpoint, std::uint16_t port, const std::vector<std::size_t>& answering);
  void ApplyCommand(std::size_t endpoint, const std::uint8_t* data, std::size_t size, const sockaddr_in& from);
  Clock::time_point SendHostile(std::size_t endpoint, std::uint16_t port, const HostileRequest& request,
                                Clock::time_point origin);
  void HandleControl(std::string_view text);
  void SendDue();
  void Schedule(Pending pending);
  void ReadEndpoint(std::size_t endpoint);
  void ReadControl();

  ServeOptions options_;
  EventLog log_;
  std::mt19937_64 random_;
  std::vector<Endpoint> endpoints_;
  ControlSocket control_;
  std::optional<AddressManager> addresses_;
  UniqueFd signals_;
  std::priority_queue<Pending, std::vector<Pending>, std::greater<>> pending_;
  std::uint64_t nextOrder_ = 0;
  bool quit_ = false;
};

std::string Simulator::Start() {
  if (!log_.ok()) return "cannot open the log " + options_.logPath + ": " + std::strerror(errno);
  std::vector<std::string> names = options_.interfaces.empty() ? UpIpv4Interfaces() : options_.interfaces;
  if (names.empty()) return "no interface to serve: none is up with an IPv4 address";
  for (const auto& name : names) {
    std::string error;
    UniqueFd socket = OpenInterfaceSocket(name, quelvar::kDiscoveryPort, error);
    if (!socket) return error;
    endpoints_.push_back(Endpoint{name, std::move(socket), std::nullopt});
  }
  for (const auto& device : options_.devices) {
    for (const auto& name : device.interfaces) {
      if (std::find(names.begin(), names.end(), name) == names.end()) {
        std::cerr << "devsim: warning: device " << FormatMac(device.mac) << " answers on " << name
                  << ", which is not served\n";
      }
    }
  }

  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&stopSignals, signal);
  sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
  signals_ = UniqueFd(::signalfd(-1, &stopSignals, SFD_CLOEXEC | SFD_NONBLOCK));
  if (!signals_) return std::string("signalfd: ") + std::strerror(errno);

  if (!options_.controlPath.empty()) {
    if (std::string error = control_.Open(options_.controlPath); !error.empty()) return error;
  }
  if (options_.manageAddresses) {
    addresses_.emplace();
    if (!addresses_->ok()) return std::string("rtnetlink socket: ") + std::strerror(errno);
    for (const auto& device : options_.devices) HoldAddresses(device, true);
  }

  std::vector<std::string> served;
  for (const auto& endpoint : endpoints_) served.push_back(endpoint.name);
  log_.Write(JsonObject("ready")
                 .Number("pid", ::getpid())
                 .Number("port", quelvar::kDiscoveryPort)
                 .TextList("interfaces", served)
                 .Number("devices", static_cast<std::int64_t>(options_.devices.size()))
                 .Number("jitter_ms", options_.jitterMs)
                 .Bool("manage_addresses", options_.manageAddresses));
  return {};
}

// Adds or removes the device's address on every served interface it answers on.
void Simulator::HoldAddresses(const SimDevice& device, bool hold) {
  for (const auto& endpoint : endpoints_) {
    if (!device.AnswersOn(endpoint.name)) continue;
    const int error = hold ? addresses_->Hold(endpoint.name, device.ip) : addresses_->Release(endpoint.name, device.ip);
    if (error != 0) {
      log_.Write(JsonObject("address-failed")
                     .Text("interface", endpoint.name)
                     .Text("ip", DottedText(device.ip))
                     .Text("action", hold ? "add" : "remove")
                     .Text("error", std::strerror(error)));
    }
  }
}

int Simulator::Run() {
  if (const std::string error = Start(); !error.empty()) {
    std::cerr << "devsim: " << error << "\n";
    return 1;
  }
  std::vector<pollfd> watched;
  for (const auto& endpoint : endpoints_) watched.push_back({endpoint.socket.get(), POLLIN, 0});
  watched.push_back({signals_.get(), POLLIN, 0});
  watched.push_back({control_.fd(), POLLIN, 0});  // a negative descriptor is skipped by poll

  while (!quit_) {
    timespec wait{};
    timespec* timeout = nullptr;
    if (!pending_.empty()) {
      const auto left = std::max(pending_.top().due - Clock::now(), Clock::duration::zero());
      const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
      wait.tv_sec = static_cast<time_t>(nanoseconds / 1000000000);
      wait.tv_nsec = static_cast<long>(nanoseconds % 1000000000);
      timeout = &wait;
    }
    if (::ppoll(watched.data(), watched.size(), timeout, nullptr) < 0 && errno != EINTR) {
      std::cerr << "devsim: poll: " << std::strerror(errno) << "\n";
      return 1;
    }
    const std::size_t signalSlot = endpoints_.size();
    if (watched[signalSlot].revents & POLLIN) {
      signalfd_siginfo info{};
      if (::read(signals_.get(), &info, sizeof info) == sizeof info) {
        log_.Write(JsonObject("stop").Text("cause", strsignal(static_cast<int>(info.ssi_signo))));
        quit_ = true;
        break;
      }
    }
    SendDue();
    for (std::size_t i = 0; i < endpoints_.size(); ++i) {
      if (watched[i].revents & POLLIN) ReadEndpoint(i);
    }
    if (watched[signalSlot + 1].revents & POLLIN) ReadControl();
  }
  return 0;
}

void Simulator::ReadEndpoint(std::size_t endpoint) {
  // Drain what has arrived, but hand back to the loop now and then so due replies are not held up.
  static std::array<std::uint8_t, 65536> buffer;
  for (int i = 0; i < 64; ++i) {
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    const ssize_t size = ::recvfrom(endpoints_[endpoint].socket.get(), buffer.data(), buffer.size(), MSG_DONTWAIT,
                                    reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (size < 0) return;
    HandleDatagram(endpoint, buffer.data(), static_cast<std::size_t>(size), from);
  }
}

void Simulator::ReadControl() {
  std::array<char, 4096> buffer;
  while (!quit_) {
    const ssize_t size = ::recv(control_.fd(), buffer.data(), buffer.size(), MSG_DONTWAIT);
    if (size < 0) return;
    HandleControl(std::string_view(buffer.data(), static_cast<std::size_t>(size)));
  }
}

void Simulator::HandleDatagram(std::size_t endpoint, const std::uint8_t* data, std::size_t size,
                               const sockaddr_in& from) {
  const Classified classified = ClassifyDatagram(data, size);
  switch (classified.kind) {
    case DatagramKind::SearchProbe:
      log_.Write(JsonObject("probe")
                     .Text("interface", endpoints_[endpoint].name)
                     .Text("source", SourceText(from))
                     .Text("text", ReadAddressField(data, size, quelvar::offsets::kProbeAddress))
                     .Number("size", static_cast<std::int64_t>(size)));
      endpoints_[endpoint].lastProbePort = ntohs(from.sin_port);
      AnswerProbe(endpoint, ntohs(from.sin_port));
      break;
    case DatagramKind::SetNetworkCommand:
      ApplyCommand(endpoint, data, size, from);
      break;
    case DatagramKind::Other:
      log_.Write(JsonObject("dropped")
                     .Text("interface", endpoints_[endpoint].name)
                     .Text("source", SourceText(from))
                     .Number("size", static_cast<std::int64_t>(size))
                     .Text("reason", classified.reason));
      break;
  }
}

void Simulator::AnswerProbe(std::size_t endpoint, std::uint16_t port) {
  const Clock::time_point now = Clock::now();
  Clock::time_point repliesFrom = now;
  for (const auto& request : options_.hostileBeforeReplies) {
    repliesFrom = std::max(repliesFrom, SendHostile(endpoint, port, request, now));
  }
  std::vector<std::size_t> answering;
  for (std::size_t i = 0; i < options_.devices.size(); ++i) {
    if (options_.devices[i].AnswersOn(endpoints_[endpoint].name)) answering.push_back(i);
  }
  if (options_.jitterMs == 0 && repliesFrom == now) {
    SendBurst(endpoint, port, answering);
    return;
  }
  // A reply carries the settings the device had when the probe came, even if it leaves later.
  const std::uint64_t jitterSpan = std::uint64_t{options_.jitterMs} * 1000 + 1;
  for (const std::size_t i : answering) {
    const SimDevice& device = options_.devices[i];
    Pending pending;
    pending.due = repliesFrom + std::chrono::microseconds(random_() % jitterSpan);
    pending.endpoint = endpoint;
    pending.port = port;
    pending.datagram.resize(quelvar::kReplyRecordSize);
    BuildDeviceReply(device, std::span<std::uint8_t, quelvar::kReplyRecordSize>(pending.datagram));
    pending.eventWhenSent = JsonObject("reply")
                                .Text("interface", endpoints_[endpoint].name)
                                .Text("mac", FormatMac(device.mac))
                                .Text("ip", DottedText(device.ip))
                                .Number("to_port", port);
    Schedule(std::move(pending));
  }
}

void Simulator::SendBurst(std::size_t endpoint, std::uint16_t port, const std::vector<std::size_t>& answering) {
  std::vector<Reply> replies(answering.size());
  std::vector<std::span<const std::uint8_t>> datagrams;
  datagrams.reserve(answering.size());
  for (std::size_t i = 0; i < answering.size(); ++i) {
    BuildDeviceReply(options_.devices[answering[i]], replies[i]);
    datagrams.emplace_back(replies[i]);
  }
  // Only the sending is timed; the log lines are written after it so they do not slow the burst.
  const auto started = Clock::now();
  int error = 0;
  const std::size_t sent = SendBroadcastBatch(endpoints_[endpoint].socket.get(), datagrams, port, error);
  const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - started).count();

  const std::string& name = endpoints_[endpoint].name;
  for (std::size_t i = 0; i < sent; ++i) {
    const SimDevice& device = options_.devices[answering[i]];
    log_.Write(JsonObject("reply")
                   .Text("interface", name)
                   .Text("mac", FormatMac(device.mac))
                   .Text("ip", DottedText(device.ip))
                   .Number("to_port", port));
  }
  JsonObject burst("burst");
  burst.Text("interface", name)
      .Number("to_port", port)
      .Number("replies", static_cast<std::int64_t>(answering.size()))
      .Number("sent", static_cast<std::int64_t>(sent))
      .Number("elapsed_us", elapsed);
  if (error != 0) burst.Text("error", std::strerror(error));
  log_.Write(std::move(burst));
}

void Simulator::ApplyCommand(std::size_t endpoint, const std::uint8_t* data, std::size_t size,
                             const sockaddr_in& from) {
  const std::string& name = endpoints_[endpoint].name;
  const DecodedCommand command = DecodeSetNetworkCommand(data, size);
  log_.Write(JsonObject("command")
                 .Text("interface", name)
                 .Text("source", SourceText(from))
                 .Text("current_ip", command.currentIp)
                 .Text("new_ip", command.newIp)
                 .Text("mask", command.newMask)
                 .Text("gateway", command.newGateway)
                 .Number("dhcp", command.dhcpFlag)
                 .Text("mac", FormatMac(command.mac))
                 .Number("size", static_cast<std::int64_t>(size))
                 .Hex("raw", std::span<const std::uint8_t>(data, size)));

  const CommandOutcome outcome = ApplySetNetworkCommand(options_.devices, command, name);
  if (outcome.applied.empty()) {
    log_.Write(JsonObject("ignored").Text("interface", name).Text("reason", outcome.reason));
    return;
  }
  for (const AppliedChange& change : outcome.applied) {
    const SimDevice& device = options_.devices[change.device];
    log_.Write(JsonObject("applied")
                   .Text("interface", name)
                   .Text("mac", FormatMac(device.mac))
                   .Text("old_ip", DottedText(change.oldIp))
                   .Text("ip", DottedText(device.ip))
                   .Text("mask", DottedText(device.mask))
                   .Text("gateway", DottedText(device.gateway))
                   .Bool("dhcp", device.dhcp));
    if (addresses_ && change.oldIp != device.ip) {
      SimDevice moved = device;
      moved.ip = change.oldIp;
      HoldAddresses(moved, false);
      HoldAddresses(device, true);
    }
  }
}

Clock::time_point Simulator::SendHostile(std::size_t endpoint, std::uint16_t port, const HostileRequest& request,
                                         Clock::time_point origin) {
  const std::string& name = endpoints_[endpoint].name;
  const auto hostileEvent = [&](std::size_t size) {
    return JsonObject("hostile")
        .Text("kind", HostileKindName(request.kind))
        .Number("size", static_cast<std::int64_t>(size))
        .Number("to_port", port)
        .Text("interface", name);
  };
  const bool flood = request.kind == HostileKind::Flood;
  std::shared_ptr<FloodProgress> progress;
  if (flood) {
    progress = std::make_shared<FloodProgress>();
    log_.Write(hostileEvent(quelvar::kReplyRecordSize)
                   .Number("count", static_cast<std::int64_t>(request.count))
                   .Number("rate", request.ratePerSecond));
  }

  if (request.ratePerSecond == 0) {
    for (std::size_t i = 0; i < request.count; ++i) {
      const std::vector<std::uint8_t> datagram = BuildHostileDatagram(request.kind, i);
      const int error = SendBroadcast(endpoints_[endpoint].socket.get(), datagram, port);
      if (flood) {
        ++(error == 0 ? progress->sent : progress->failed);
      } else if (error == 0) {
        log_.Write(hostileEvent(datagram.size()));
      } else {
        log_.Write(hostileEvent(datagram.size()).Text("error", std::strerror(error)));
      }
    }
    if (flood) {
      log_.Write(JsonObject("flood-done")
                     .Text("interface", name)
                     .Number("sent", static_cast<std::int64_t>(progress->sent))
                     .Number("failed", static_cast<std::int64_t>(progress->failed)));
    }
    return origin;
  }

  const auto spacing = std::chrono::nanoseconds(1000000000) / request.ratePerSecond;
  Clock::time_point due = origin;
  for (std::size_t i = 0; i < request.count; ++i) {
    due = origin + spacing * static_cast<std::int64_t>(i);
    Pending pending;
    pending.due = due;
    pending.endpoint = endpoint;
    pending.port = port;
    pending.datagram = BuildHostileDatagram(request.kind, i);
    if (flood) {
      pending.flood = progress;
      pending.lastOfFlood = i + 1 == request.count;
    } else {
      pending.eventWhenSent = hostileEvent(pending.datagram.size());
    }
    Schedule(std::move(pending));
  }
  return std::chrono::time_point_cast<Clock::duration>(due + spacing);
}

void Simulator::Schedule(Pending pending) {
  pending.order = nextOrder_++;
  pending_.push(std::move(pending));
}

void Simulator::SendDue() {
  const auto now = Clock::now();
  while (!pending_.empty() && pending_.top().due <= now) {
    // The queue hands out const references; the entry is copied out before it is popped.
    Pending pending = pending_.top();
    pending_.pop();
    const Endpoint& endpoint = endpoints_[pending.endpoint];
    const int error = SendBroadcast(endpoint.socket.get(), pending.datagram, pending.port);
    if (pending.flood) {
      ++(error == 0 ? pending.flood->sent : pending.flood->failed);
      if (pending.lastOfFlood) {
        log_.Write(JsonObject("flood-done")
                       .Text("interface", endpoint.name)
                       .Number("sent", static_cast<std::int64_t>(pending.flood->sent))
                       .Number("failed", static_cast<std::int64_t>(pending.flood->failed)));
      }
    } else if (pending.eventWhenSent) {
      if (error != 0) pending.eventWhenSent->Text("error", std::strerror(error));
      log_.Write(std::move(*pending.eventWhenSent));
    }
  }
}

void Simulator::HandleControl(std::string_view text) {
  std::string error;
  const auto command = ParseControlCommand(text, error);
  JsonObject event("control");
  event.Text("text", text);
  if (!command) {
    log_.Write(std::move(event.Text("error", error)));
    return;
  }
  switch (command->type) {
    case ControlCommand::Type::Quit:
      log_.Write(std::move(event));
      log_.Write(JsonObject("stop").Text("cause", "quit command"));
      quit_ = true;
      return;
    case ControlCommand::Type::Jitter:
      options_.jitterMs = command->jitterMs;
      log_.Write(std::move(event));
      return;
    case ControlCommand::Type::Hostile: {
      std::size_t targets = 0;
      for (const auto& endpoint : endpoints_) targets += endpoint.lastProbePort ? 1 : 0;
      if (targets == 0) {
        log_.Write(std::move(event.Text("error", "no probe has arrived yet, so there is no port to send to")));
        return;
      }
      log_.Write(std::move(event));
      const auto now = Clock::now();
      for (std::size_t i = 0; i < endpoints_.size(); ++i) {
        if (endpoints_[i].lastProbePort) SendHostile(i, *endpoints_[i].lastProbePort, command->hostile, now);
      }
      return;
    }
  }
}

}  // namespace

int Serve(ServeOptions options) {
  Simulator simulator(std::move(options));
  return simulator.Run();
}

}  // namespace devsim
