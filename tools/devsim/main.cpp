// devsim: command line of the device simulator (serve, send, probe, ctl). Run it only inside a namespace.
#include <poll.h>
#include <sys/socket.h>

#include <array>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "discovery/wire_format.h"
#include "tools/devsim/control.h"
#include "tools/devsim/device_list.h"
#include "tools/devsim/hostile.h"
#include "tools/devsim/linux_net.h"
#include "tools/devsim/simulator.h"

namespace devsim {
namespace {

constexpr const char* kUsage = R"(usage:
  devsim serve [--interface IF ...] [--devices FILE ...] [--count N] [--seed S] [--jitter-ms J]
               [--log FILE] [--control PATH] [--manage-addresses] [--hostile KIND[:N[:RATE]] ...]
  devsim send --interface IF --port P [--kind KIND] [--count N] [--rate R]
  devsim probe --interface IF [--wait-ms W] [--expect N] [--list]
  devsim ctl PATH COMMAND...

hostile kinds: wrong-head wrong-code short oversized unterminated flood
control commands: hostile KIND [N] [rate=R] | jitter MS | quit
)";

int UsageError(const std::string& message) {
  std::cerr << "devsim: " << message << "\n" << kUsage;
  return 2;
}

// Walks "--name value" pairs; each Take* reports a missing or malformed value through `error`.
class Arguments {
 public:
  Arguments(int argc, char** argv, int first) : args_(argv + first, argv + argc) {}
  bool Done() const { return next_ >= args_.size(); }
  std::string_view Option() { return args_[next_++]; }
  std::string TakeText(std::string_view option) {
    if (Done()) {
      error_ = std::string(option) + " needs a value";
      return {};
    }
    return args_[next_++];
  }
  template <typename T>
  T TakeNumber(std::string_view option) {
    const std::string text = TakeText(option);
    T value{};
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error_.empty() && (failure != std::errc() || end != text.data() + text.size() || text.empty())) {
      error_ = std::string(option) + " needs a number, not '" + text + "'";
    }
    return value;
  }
  void Fail(std::string message) {
    if (error_.empty()) error_ = std::move(message);
  }
  const std::string& error() const { return error_; }

 private:
  std::vector<std::string> args_;
  std::size_t next_ = 0;
  std::string error_;
};

bool LoadDeviceFile(const std::string& path, std::vector<SimDevice>& devices) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    std::cerr << "devsim: cannot read " << path << "\n";
    return false;
  }
  std::stringstream text;
  text << file.rdbuf();
  DeviceList list = ParseDeviceList(text.str());
  for (const auto& error : list.errors) std::cerr << path << ":" << error.line << ": " << error.message << "\n";
  if (!list.errors.empty()) return false;
  devices.insert(devices.end(), list.devices.begin(), list.devices.end());
  return true;
}

int RunServe(Arguments args) {
  ServeOptions options;
  std::vector<std::string> deviceFiles;
  std::size_t count = 0;
  while (!args.Done() && args.error().empty()) {
    const std::string_view option = args.Option();
    if (option == "--interface") {
      options.interfaces.push_back(args.TakeText(option));
    } else if (option == "--devices") {
      deviceFiles.push_back(args.TakeText(option));
    } else if (option == "--count") {
      count = args.TakeNumber<std::size_t>(option);
      if (count > kMaxFleet) args.Fail("--count is at most " + std::to_string(kMaxFleet));
    } else if (option == "--seed") {
      options.seed = args.TakeNumber<std::uint64_t>(option);
    } else if (option == "--jitter-ms") {
      options.jitterMs = args.TakeNumber<std::uint32_t>(option);
    } else if (option == "--log") {
      options.logPath = args.TakeText(option);
    } else if (option == "--control") {
      options.controlPath = args.TakeText(option);
    } else if (option == "--manage-addresses") {
      options.manageAddresses = true;
    } else if (option == "--hostile") {
      const std::string value = args.TakeText(option);
      const auto request = ParseHostileOption(value);
      if (request) {
        options.hostileBeforeReplies.push_back(*request);
      } else {
        args.Fail("bad --hostile '" + value + "'");
      }
    } else {
      args.Fail("unknown option " + std::string(option));
    }
  }
  if (!args.error().empty()) return UsageError(args.error());
  for (const auto& path : deviceFiles) {
    if (!LoadDeviceFile(path, options.devices)) return 2;
  }
  const auto fleet = GenerateFleet(count, options.seed);
  options.devices.insert(options.devices.end(), fleet.begin(), fleet.end());
  return Serve(std::move(options));
}

int RunSend(Arguments args) {
  std::string interfaceName;
  std::uint16_t port = 0;
  HostileRequest request;
  while (!args.Done() && args.error().empty()) {
    const std::string_view option = args.Option();
    if (option == "--interface") {
      interfaceName = args.TakeText(option);
    } else if (option == "--port") {
      port = args.TakeNumber<std::uint16_t>(option);
    } else if (option == "--kind") {
      const std::string name = args.TakeText(option);
      const auto kind = ParseHostileKind(name);
      if (kind) {
        request.kind = *kind;
      } else {
        args.Fail("unknown kind '" + name + "'");
      }
    } else if (option == "--count") {
      request.count = args.TakeNumber<std::size_t>(option);
    } else if (option == "--rate") {
      request.ratePerSecond = args.TakeNumber<std::uint32_t>(option);
    } else {
      args.Fail("unknown option " + std::string(option));
    }
  }
  if (args.error().empty() && (interfaceName.empty() || port == 0)) args.Fail("send needs --interface and --port");
  if (!args.error().empty()) return UsageError(args.error());

  std::string error;
  const UniqueFd socket = OpenInterfaceSocket(interfaceName, 0, error);
  if (!socket) {
    std::cerr << "devsim: " << error << "\n";
    return 1;
  }
  const auto start = std::chrono::steady_clock::now();
  std::size_t sent = 0;
  for (std::size_t i = 0; i < request.count; ++i) {
    if (request.ratePerSecond != 0) {
      std::this_thread::sleep_until(start + std::chrono::nanoseconds(1000000000) / request.ratePerSecond *
                                                static_cast<std::int64_t>(i));
    }
    if (SendBroadcast(socket.get(), BuildHostileDatagram(request.kind, i), port) == 0) ++sent;
  }
  std::cout << "sent " << sent << " of " << request.count << " " << HostileKindName(request.kind) << " datagrams to "
            << interfaceName << " port " << port << "\n";
  return sent == request.count ? 0 : 1;
}

// Sends one search probe from an interface and reports what came back; a client for demos and timing.
int RunProbe(Arguments args) {
  std::string interfaceName;
  int waitMs = 500;
  std::size_t expect = 0;
  bool list = false;
  while (!args.Done() && args.error().empty()) {
    const std::string_view option = args.Option();
    if (option == "--interface") {
      interfaceName = args.TakeText(option);
    } else if (option == "--wait-ms") {
      waitMs = args.TakeNumber<int>(option);
    } else if (option == "--expect") {
      expect = args.TakeNumber<std::size_t>(option);
    } else if (option == "--list") {
      list = true;
    } else {
      args.Fail("unknown option " + std::string(option));
    }
  }
  if (args.error().empty() && interfaceName.empty()) args.Fail("probe needs --interface");
  if (!args.error().empty()) return UsageError(args.error());

  std::string error;
  const UniqueFd socket = OpenInterfaceSocket(interfaceName, 0, error);
  const auto address = InterfaceAddress(interfaceName);
  if (!socket || !address) {
    std::cerr << "devsim: " << (socket ? "no IPv4 address on " + interfaceName : error) << "\n";
    return 1;
  }
  std::array<std::uint8_t, quelvar::kProbeSize> probe;
  quelvar::BuildSearchProbe(*address, probe);
  using Clock = std::chrono::steady_clock;
  const auto sentAt = Clock::now();
  if (SendBroadcast(socket.get(), probe, quelvar::kDiscoveryPort) != 0) {
    std::cerr << "devsim: cannot send the probe\n";
    return 1;
  }

  std::size_t accepted = 0, other = 0;
  std::set<quelvar::MacAddress> macs;
  double firstMs = -1, lastMs = -1;
  std::array<std::uint8_t, 65536> buffer;
  pollfd watched{socket.get(), POLLIN, 0};
  while ((expect == 0 || accepted < expect) && ::poll(&watched, 1, waitMs) > 0) {
    const ssize_t size = ::recv(socket.get(), buffer.data(), buffer.size(), 0);
    if (size < 0) break;
    const double atMs = std::chrono::duration<double, std::milli>(Clock::now() - sentAt).count();
    if (firstMs < 0) firstMs = atMs;
    lastMs = atMs;
    if (!quelvar::IsAcceptedReply(buffer.data(), static_cast<std::size_t>(size))) {
      ++other;
      continue;
    }
    ++accepted;
    const auto reply = quelvar::ReadDeviceReply(buffer.data(), std::min<std::size_t>(size, quelvar::kReplyRecordSize));
    macs.insert(reply.mac);
    if (list) {
      std::cout << FormatMac(reply.mac) << "  " << reply.ip << "  " << reply.subnetMask << "  " << reply.model
                << "  " << reply.deviceName << "  http " << reply.httpPort << "  rtsp " << reply.rtspPort << "  ch "
                << int{reply.channels} << "\n";
    }
  }
  std::printf("replies=%zu distinct_macs=%zu other=%zu first_ms=%.3f last_ms=%.3f\n", accepted, macs.size(), other,
              firstMs, lastMs);
  return expect == 0 || accepted >= expect ? 0 : 1;
}

int RunCtl(int argc, char** argv) {
  if (argc < 4) return UsageError("ctl needs a socket path and a command");
  std::string command;
  for (int i = 3; i < argc; ++i) command += (i > 3 ? " " : "") + std::string(argv[i]);
  const std::string error = SendControlCommand(argv[2], command);
  if (!error.empty()) {
    std::cerr << "devsim: " << error << "\n";
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace devsim

int main(int argc, char** argv) {
  using namespace devsim;
  const std::string_view verb = argc > 1 ? argv[1] : "";
  if (verb == "serve") return RunServe(Arguments(argc, argv, 2));
  if (verb == "send") return RunSend(Arguments(argc, argv, 2));
  if (verb == "probe") return RunProbe(Arguments(argc, argv, 2));
  if (verb == "ctl") return RunCtl(argc, argv);
  if (verb == "--help" || verb == "-h") {
    std::cout << kUsage;
    return 0;
  }
  return UsageError(verb.empty() ? "no command" : "unknown command " + std::string(verb));
}
