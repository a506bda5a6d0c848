// The simulator over real sockets on a private LAN; run only through scripts/with-lan (see CMakeLists).
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "discovery/wire_format.h"
#include "tools/devsim/device_list.h"
#include "tools/devsim/device_protocol.h"
#include "tools/devsim/event_log.h"
#include "tools/devsim/linux_net.h"

namespace devsim {
namespace {

using Clock = std::chrono::steady_clock;
using Datagram = std::vector<std::uint8_t>;

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::vector<SimDevice> TestDevices() {
  std::ifstream file(DEVSIM_TEST_DEVICES);
  std::stringstream text;
  text << file.rdbuf();
  return ParseDeviceList(text.str()).devices;
}

std::uint32_t AppAddress(int link) { return 0xC6120001u | (static_cast<std::uint32_t>(link) << 8); }

struct Arrival {
  Datagram bytes;
  Clock::time_point at;
};

// The program's side of one link: a socket tied to app<link> on a port of the system's choosing.
class AppSide {
 public:
  explicit AppSide(int link = 0) : link_(link) {
    std::string error;
    socket_ = OpenInterfaceSocket("app" + std::to_string(link), 0, error);
    EXPECT_TRUE(socket_) << error;
  }

  std::uint16_t port() const { return LocalPort(socket_.get()); }

  void Send(std::span<const std::uint8_t> datagram) {
    ASSERT_EQ(SendBroadcast(socket_.get(), datagram, quelvar::kDiscoveryPort), 0);
  }

  void SendProbe() {
    std::array<std::uint8_t, quelvar::kProbeSize> probe;
    quelvar::BuildSearchProbe(AppAddress(link_), probe);
    Send(probe);
  }

  // What arrives until `silenceMs` pass without a datagram or `atMost` have come.
  std::vector<Arrival> Receive(std::size_t atMost = SIZE_MAX, int silenceMs = 500) {
    std::vector<Arrival> arrivals;
    std::vector<std::uint8_t> buffer(65536);
    pollfd watched{socket_.get(), POLLIN, 0};
    while (arrivals.size() < atMost && ::poll(&watched, 1, silenceMs) > 0) {
      const ssize_t size = ::recv(socket_.get(), buffer.data(), buffer.size(), 0);
      if (size < 0) break;
      arrivals.push_back({Datagram(buffer.begin(), buffer.begin() + size), Clock::now()});
    }
    return arrivals;
  }

  // Replies to one probe, by MAC.
  std::map<quelvar::MacAddress, quelvar::DeviceReply> Search() {
    SendProbe();
    std::map<quelvar::MacAddress, quelvar::DeviceReply> replies;
    for (const auto& arrival : Receive()) {
      EXPECT_TRUE(quelvar::IsAcceptedReply(arrival.bytes.data(), arrival.bytes.size()));
      const auto reply = quelvar::ReadDeviceReply(arrival.bytes.data(), arrival.bytes.size());
      EXPECT_TRUE(replies.emplace(reply.mac, reply).second) << "two replies from " << FormatMac(reply.mac);
    }
    return replies;
  }

 private:
  int link_;
  UniqueFd socket_;
};

std::vector<std::string> LogLines() {
  std::ifstream file(Env("QV_DEVSIM_LOG"));
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  return lines;
}

bool HasAll(const std::string& line, const std::vector<std::string>& parts) {
  for (const auto& part : parts) {
    if (line.find(part) == std::string::npos) return false;
  }
  return true;
}

// The first log line holding every part, waiting up to five seconds for it to be written.
std::string WaitForLog(const std::vector<std::string>& parts) {
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  do {
    for (const auto& line : LogLines()) {
      if (HasAll(line, parts)) return line;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  } while (Clock::now() < deadline);
  ADD_FAILURE() << "no log line with " << ::testing::PrintToString(parts);
  return {};
}

std::size_t CountLog(const std::vector<std::string>& parts) {
  std::size_t count = 0;
  for (const auto& line : LogLines()) count += HasAll(line, parts) ? 1 : 0;
  return count;
}

std::string Field(const char* key, const std::string& value) { return "\"" + std::string(key) + "\":\"" + value + "\""; }

void Control(const std::string& command) {
  const std::string line = Env("QV_DEVSIM") + " ctl " + Env("QV_DEVSIM_CONTROL") + " " + command;
  ASSERT_EQ(std::system(line.c_str()), 0) << line;
}

std::array<std::uint8_t, quelvar::kCommandSize> MoveCommand(std::uint32_t current, std::uint32_t newIp,
                                                            quelvar::MacAddress mac) {
  quelvar::SetNetworkRequest request;
  request.currentIp = current;
  request.newIp = newIp;
  request.newMask = 0xFFFF0000u;
  request.newGateway = (newIp & 0xFFFFFF00u) | 1;
  request.mac = mac;
  std::array<std::uint8_t, quelvar::kCommandSize> command;
  quelvar::BuildSetNetworkCommand(request, command);
  return command;
}

const quelvar::MacAddress kFrontDoor{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
const quelvar::MacAddress kYard{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5F};

// Started with: --links 2, --devices devices.txt
TEST(DevsimNet, EveryDeviceOfTheLinkAnswersAProbeOnThatLink) {
  const auto devices = TestDevices();
  ASSERT_EQ(devices.size(), 7u);
  for (int link = 0; link < 2; ++link) {
    SCOPED_TRACE("link " + std::to_string(link));
    const std::string interfaceName = "dev" + std::to_string(link);
    AppSide app(link);
    app.SendProbe();
    std::map<quelvar::MacAddress, Datagram> received;
    for (auto& arrival : app.Receive()) {
      ASSERT_EQ(arrival.bytes.size(), quelvar::kReplyRecordSize);
      quelvar::MacAddress mac;
      std::copy_n(arrival.bytes.begin() + quelvar::offsets::kMac, mac.size(), mac.begin());
      received[mac] = std::move(arrival.bytes);
    }
    std::size_t expected = 0;
    for (const auto& device : devices) {
      if (!device.AnswersOn(interfaceName)) {
        EXPECT_EQ(received.count(device.mac), 0u) << device.name;
        continue;
      }
      ++expected;
      ASSERT_EQ(received.count(device.mac), 1u) << device.name;
      std::array<std::uint8_t, quelvar::kReplyRecordSize> built;
      BuildDeviceReply(device, built);
      EXPECT_EQ(received[device.mac], Datagram(built.begin(), built.end())) << device.name;
    }
    EXPECT_EQ(received.size(), expected);

    const std::string source = DottedText(AppAddress(link)) + ":" + std::to_string(app.port());
    WaitForLog({Field("event", "probe"), Field("interface", interfaceName), Field("source", source),
                Field("text", DottedText(AppAddress(link)))});
    WaitForLog({Field("event", "burst"), "\"to_port\":" + std::to_string(app.port())});
    EXPECT_EQ(CountLog({Field("event", "reply"), Field("interface", interfaceName),
                        "\"to_port\":" + std::to_string(app.port())}),
              expected);
  }
}

// Started with: --links 2, --devices devices.txt
TEST(DevsimNet, SetNetworkCommandChangesWhatTheNextProbeReturns) {
  AppSide app;
  const auto before = app.Search();
  ASSERT_EQ(before.at(kFrontDoor).ip, "192.168.1.64");

  const auto move = MoveCommand(0xC0A80140, 0xC0A80707, kFrontDoor);  // 192.168.1.64 to 192.168.7.7
  app.Send(move);
  const std::string command = WaitForLog({Field("event", "command"), Field("current_ip", "192.168.1.64")});
  std::string hex;
  for (const std::uint8_t byte : move) {
    hex += "0123456789abcdef"[byte >> 4];
    hex += "0123456789abcdef"[byte & 15];
  }
  EXPECT_TRUE(HasAll(command, {Field("new_ip", "192.168.7.7"), Field("mask", "255.255.0.0"),
                               Field("gateway", "192.168.7.1"), "\"dhcp\":0", Field("mac", "00:1A:2B:3C:4D:5E"),
                               Field("raw", hex)}))
      << command;
  WaitForLog({Field("event", "applied"), Field("mac", "00:1A:2B:3C:4D:5E"), Field("ip", "192.168.7.7")});

  const auto moved = app.Search();
  EXPECT_EQ(moved.size(), before.size());
  EXPECT_EQ(moved.at(kFrontDoor).ip, "192.168.7.7");
  EXPECT_EQ(moved.at(kFrontDoor).subnetMask, "255.255.0.0");
  EXPECT_EQ(moved.at(kYard).ip, "192.168.1.65");

  // Named by the right address but another device's MAC: nothing changes.
  app.Send(MoveCommand(0xC0A80141, 0xC0A80808, kFrontDoor));
  WaitForLog({Field("event", "ignored"), "has another mac"});
  EXPECT_EQ(app.Search().at(kYard).ip, "192.168.1.65");

  quelvar::SetNetworkRequest dhcp;
  dhcp.currentIp = 0xC0A80141;
  dhcp.useDhcp = true;
  dhcp.includeAddressFields = false;
  std::array<std::uint8_t, quelvar::kCommandSize> dhcpCommand;
  quelvar::BuildSetNetworkCommand(dhcp, dhcpCommand);
  app.Send(dhcpCommand);
  WaitForLog({Field("event", "applied"), Field("mac", "00:1A:2B:3C:4D:5F"), "\"dhcp\":true"});
  EXPECT_EQ(app.Search().at(kYard).ip, "192.168.1.65");
}

// Started with: --links 2, --devices devices.txt, --hostile short:4, --hostile oversized
TEST(DevsimNet, HostileDatagramsComeJustBeforeTheReplies) {
  AppSide app;
  app.SendProbe();
  const auto arrivals = app.Receive();
  ASSERT_EQ(arrivals.size(), 4u + 1u + 6u);
  const std::size_t hostileSizes[] = {5, 12, 13, 100, 300};
  for (std::size_t i = 0; i < arrivals.size(); ++i) {
    EXPECT_EQ(arrivals[i].bytes.size(), i < 5 ? hostileSizes[i] : quelvar::kReplyRecordSize) << "datagram " << i;
  }
  WaitForLog({Field("event", "burst")});
  EXPECT_EQ(CountLog({Field("event", "hostile"), Field("kind", "short")}), 4u);
  EXPECT_EQ(CountLog({Field("event", "hostile"), Field("kind", "oversized"), "\"size\":300"}), 1u);
}

// Started with: --links 2, --devices devices.txt
TEST(DevsimNet, ControlSocketSendsHostileTrafficToTheLatestProbePort) {
  Control("hostile oversized");
  WaitForLog({Field("event", "control"), "no probe has arrived yet"});

  AppSide app;
  app.Search();
  Control("hostile unterminated 2");
  const auto unterminated = app.Receive(2, 2000);
  ASSERT_EQ(unterminated.size(), 2u);
  for (const auto& arrival : unterminated) {
    ASSERT_EQ(arrival.bytes.size(), quelvar::kReplyRecordSize);
    EXPECT_TRUE(quelvar::IsAcceptedReply(arrival.bytes.data(), arrival.bytes.size()));
    EXPECT_NE(arrival.bytes[quelvar::kReplyRecordSize - 1], 0);
  }

  Control("hostile flood 300 rate=3000");
  const auto flood = app.Receive(SIZE_MAX, 1000);
  EXPECT_EQ(flood.size(), 300u);
  for (const auto& arrival : flood) EXPECT_FALSE(quelvar::IsAcceptedReply(arrival.bytes.data(), arrival.bytes.size()));
  WaitForLog({Field("event", "flood-done"), "\"sent\":300", "\"failed\":0"});
}

// Started with: --links 1, --count 300, --jitter-ms 400
TEST(DevsimNet, JitterSpreadsTheRepliesAndCanBeTurnedOff) {
  AppSide app;
  const auto sent = Clock::now();
  app.SendProbe();
  const auto arrivals = app.Receive(SIZE_MAX, 1500);
  ASSERT_EQ(arrivals.size(), 300u);
  // 300 delays drawn from 0..400 ms span nearly all of it; a burst would arrive within a few ms.
  EXPECT_GT(arrivals.back().at - arrivals.front().at, std::chrono::milliseconds(100));
  EXPECT_LT(arrivals.back().at - sent, std::chrono::milliseconds(1400));
  EXPECT_EQ(CountLog({Field("event", "burst")}), 0u);

  Control("jitter 0");
  WaitForLog({Field("event", "control"), Field("text", "jitter 0")});
  app.SendProbe();
  EXPECT_EQ(app.Receive().size(), 300u);
  WaitForLog({Field("event", "burst"), "\"replies\":300", "\"sent\":300"});
}

// Whether `address` answers one ICMP echo within `timeoutMs`.
bool AnswersEcho(std::uint32_t address, int timeoutMs) {
  const UniqueFd socket(::socket(AF_INET, SOCK_RAW, IPPROTO_ICMP));
  if (!socket) return false;
  static std::uint16_t sequence = 0;
  struct {
    icmphdr header;
    char payload[12];
  } echo{};
  echo.header.type = ICMP_ECHO;
  echo.header.un.echo.id = htons(static_cast<std::uint16_t>(::getpid()));
  echo.header.un.echo.sequence = htons(++sequence);
  std::memcpy(echo.payload, "Data Buffer", 12);
  std::uint32_t sum = 0;
  const auto* words = reinterpret_cast<const std::uint16_t*>(&echo);
  for (std::size_t i = 0; i < sizeof echo / 2; ++i) sum += words[i];
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  echo.header.checksum = static_cast<std::uint16_t>(~sum);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = htonl(address);
  if (::sendto(socket.get(), &echo, sizeof echo, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) < 0) return false;

  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  std::array<std::uint8_t, 1500> buffer;
  pollfd watched{socket.get(), POLLIN, 0};
  while (true) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0 || ::poll(&watched, 1, static_cast<int>(left)) <= 0) return false;
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    const ssize_t size = ::recvfrom(socket.get(), buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from),
                                    &fromLength);
    if (size < 20) continue;
    const std::size_t headerLength = (buffer[0] & 0x0F) * 4u;
    if (static_cast<std::size_t>(size) < headerLength + sizeof(icmphdr)) continue;
    icmphdr reply;
    std::memcpy(&reply, buffer.data() + headerLength, sizeof reply);
    if (reply.type == ICMP_ECHOREPLY && reply.un.echo.id == echo.header.un.echo.id &&
        reply.un.echo.sequence == echo.header.un.echo.sequence && from.sin_addr.s_addr == to.sin_addr.s_addr) {
      return true;
    }
  }
}

std::string DeviceNamespaceAddresses() {
  const std::string command = "ip -n qv-" + Env("QV_LAN") + "-dev -4 -o addr show 2>&1";
  std::string output;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    std::array<char, 512> chunk;
    while (std::fgets(chunk.data(), chunk.size(), pipe) != nullptr) output += chunk.data();
    ::pclose(pipe);
  }
  return output;
}

// Started with: --links 2, --devices devices.txt, --manage-addresses
TEST(DevsimNet, ManagedAddressesAnswerEchoAndMoveWithTheDevice) {
  EXPECT_TRUE(AnswersEcho(0xC0A80140, 2000));   // 192.168.1.64
  EXPECT_TRUE(AnswersEcho(0xC0A8020A, 2000));   // 192.168.2.10, held on dev1 only
  EXPECT_FALSE(AnswersEcho(0xC0A80707, 300));   // 192.168.7.7

  AppSide app;
  app.Send(MoveCommand(0xC0A80140, 0xC0A80707, kFrontDoor));
  WaitForLog({Field("event", "applied"), Field("ip", "192.168.7.7")});
  EXPECT_TRUE(AnswersEcho(0xC0A80707, 2000));
  EXPECT_FALSE(AnswersEcho(0xC0A80140, 300));
  EXPECT_EQ(CountLog({Field("event", "address-failed")}), 0u);

  // What the simulator added goes when it ends; the link's own address stays.
  ASSERT_NE(DeviceNamespaceAddresses().find("192.168.7.7/32"), std::string::npos);
  Control("quit");
  WaitForLog({Field("event", "stop")});
  std::string left;
  for (int i = 0; i < 100; ++i) {
    left = DeviceNamespaceAddresses();
    if (left.find("/32") == std::string::npos) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
  }
  EXPECT_EQ(left.find("/32"), std::string::npos) << left;
  EXPECT_NE(left.find("198.18.0.2/24"), std::string::npos) << left;
}

}  // namespace
}  // namespace devsim
