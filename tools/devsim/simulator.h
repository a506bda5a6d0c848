// The serving loop: one socket per interface, replies in bursts or on a jittered schedule, control.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/devsim/device_list.h"
#include "tools/devsim/hostile.h"

namespace devsim {

struct ServeOptions {
  std::vector<std::string> interfaces;  // empty: every up non-loopback IPv4 interface
  std::vector<SimDevice> devices;
  std::uint32_t jitterMs = 0;
  std::uint64_t seed = kDefaultSeed;
  std::string logPath;
  std::string controlPath;
  bool manageAddresses = false;
  std::vector<HostileRequest> hostileBeforeReplies;  // sent ahead of the replies to every probe
};

// Serves until SIGTERM, SIGINT or a quit command; returns the process exit code.
int Serve(ServeOptions options);

}  // namespace devsim
