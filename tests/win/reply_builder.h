// Device replies as the receive thread queues them, built field by field for the dialog tests.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "discovery/wire_format.h"

namespace quelvar::testing {

struct ReplyFields {
  std::string model = "IPCAMERA";
  std::array<std::uint8_t, 6> mac = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
  std::string mask = "255.255.255.0";  // written as given: a text of 30 bytes or more has no NUL in its field
  std::string ip = "192.168.1.64";
  std::string name = "Front door";
  std::uint32_t httpPort = 80;
  std::uint32_t rtspPort = 554;
  std::uint8_t channels = 1;
  std::uint8_t dvsValue = 0;
};

ReplyRecord BuildReply(const ReplyFields& fields);

}  // namespace quelvar::testing
