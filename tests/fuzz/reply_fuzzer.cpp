// Fuzz target: received bytes through the receive thread's checks to an accepted record and its fields.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "discovery/wire_format.h"
#include "operations/ip_text.h"

namespace {

std::u16string Widen(const std::string& text) { return std::u16string(text.begin(), text.end()); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quelvar;
  // The receive thread drops what does not fit its buffer; everything else lands in a cleared buffer.
  if (size > kReplyRecordSize) return 0;
  ReplyRecord record{};
  if (size > 0) std::memcpy(record.data(), data, size);
  record[kTextScanLimit] = 0;
  if (!IsAcceptedReply(record.data(), size)) return 0;

  // The owner reads the record as a whole, and a parser must also cope with the datagram as received.
  for (const std::size_t length : {kReplyRecordSize, size}) {
    const DeviceReply reply = ReadDeviceReply(record.data(), length);
    if (reply.model.size() > 9 || reply.ip.size() > 29 || reply.deviceName.size() > 63) __builtin_trap();
    if (reply.subnetMask.size() > kTextScanLimit - offsets::kMask) __builtin_trap();
    const std::uint32_t packed = PackDeviceInfo(reply.rtspPort, reply.type, reply.dvsValue);
    if (reply.type != DeviceType::DVS && (packed & 0x0Fu) != 0) __builtin_trap();
    volatile std::uint32_t sink = packed ^ IpTextToDword(Widen(reply.ip)) ^ IpTextToDword(Widen(reply.subnetMask));
    (void)sink;
  }
  return 0;
}
