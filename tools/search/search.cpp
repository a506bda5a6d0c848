// Command-line search: broadcasts one probe from every interface and prints the devices that answer.
//
//   quelvar-search [LISTEN_MS]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <thread>

#include "discovery/interface_sockets.h"
#include "discovery/reply_receiver.h"

int main(int argc, char** argv) {
  using namespace quelvar;
  const auto listen = std::chrono::milliseconds(argc > 1 ? std::atoi(argv[1]) : 1500);
  SocketLibrary library;
  InterfaceSockets sockets;
  ReplyReceiver receiver(sockets, [](const ReplyRecord*) {});
  receiver.Start();
  sockets.BroadcastProbe();
  std::this_thread::sleep_for(listen);
  receiver.Stop();

  std::printf("%-5s %-9s %-20s %-15s %-15s %-17s %6s %6s %3s\n", "Index", "Model", "Device Name", "IP address",
              "Subnet Mask", "MAC", "HTTP", "RTSP", "Ch");
  std::set<MacAddress> listed;
  int index = 0;
  while (auto record = receiver.TakeFront()) {
    const DeviceReply reply = ReadDeviceReply(record->data(), record->size());
    if (reply.type == DeviceType::Unknown || !listed.insert(reply.mac).second) continue;
    const MacAddress& m = reply.mac;
    std::printf("%-5d %-9s %-20s %-15s %-15s %02X:%02X:%02X:%02X:%02X:%02X %6d %6d %3d\n", ++index,
                reply.model.c_str(), reply.deviceName.c_str(), reply.ip.c_str(), reply.subnetMask.c_str(), m[0], m[1],
                m[2], m[3], m[4], m[5], reply.httpPort, reply.rtspPort, reply.channels);
  }
  std::printf("%d devices\n", index);
  return 0;
}
