// Reply records for the dialog tests: head, texts, big-endian ports, and byte 175 zeroed as on receipt.
#include "tests/win/reply_builder.h"

#include <algorithm>
#include <span>

namespace quelvar::testing {
namespace {

void Put(ReplyRecord& record, std::size_t offset, const std::string& text) {
  const std::size_t length = std::min(text.size(), record.size() - offset);
  std::copy_n(text.begin(), length, record.begin() + static_cast<std::ptrdiff_t>(offset));
}

void PutBigEndian32(ReplyRecord& record, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) record[offset + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

}  // namespace

ReplyRecord BuildReply(const ReplyFields& fields) {
  ReplyRecord record{};
  WriteDiscoveryHeader(std::span(record).first<kHeaderSize>(), CommandCode::DeviceReply);
  Put(record, offsets::kModel, fields.model);
  std::copy(fields.mac.begin(), fields.mac.end(), record.begin() + offsets::kMac);
  Put(record, offsets::kMask, fields.mask);
  Put(record, offsets::kIp, fields.ip);
  Put(record, offsets::kName, fields.name);
  PutBigEndian32(record, offsets::kHttpPort, fields.httpPort);
  PutBigEndian32(record, offsets::kRtspPort, fields.rtspPort);
  record[offsets::kChannels] = fields.channels;
  record[offsets::kDvsValue] = fields.dvsValue;
  record[kTextScanLimit] = 0;
  return record;
}

}  // namespace quelvar::testing
