// Reply record to list row: texts in the ANSI code pages the devices write, ports as signed numbers.
#include "app/device_row.h"

#include <windows.h>

#include <cstdio>
#include <iterator>

namespace quelvar {
namespace {

// Bytes set to 0 before the texts are read, so no text runs into the next field.
constexpr std::size_t kModelEnd = 22;
constexpr std::size_t kIpEnd = 89;
constexpr std::size_t kNameEnd = 153;
// The device name goes through a buffer of 128 characters of which 127 may be filled, terminator included.
constexpr int kNameCapacity = 127;

// The NUL-terminated text at an offset; bytes 22, 89 and 153, once zeroed, end every text read here.
const char* TextAt(const ReplyRecord& record, std::size_t offset) {
  return reinterpret_cast<const char*>(record.data() + offset);
}

std::wstring Widen(UINT codePage, const char* text) {
  const int needed = ::MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
  if (needed <= 1) return {};
  std::wstring wide(static_cast<std::size_t>(needed), L'\0');
  ::MultiByteToWideChar(codePage, 0, text, -1, wide.data(), needed);
  wide.resize(static_cast<std::size_t>(needed - 1));
  return wide;
}

std::wstring WidenDeviceName(const char* text) {
  wchar_t buffer[kNameCapacity + 1] = {};
  if (::MultiByteToWideChar(CP_ACP, 0, text, -1, buffer, kNameCapacity) == 0) buffer[0] = L'\0';
  return buffer;
}

}  // namespace

std::wstring FormatMacText(const ReplyRecord& record) {
  const std::uint8_t* mac = record.data() + offsets::kMac;
  wchar_t text[18];
  std::swprintf(text, std::size(text), L"%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3], mac[4],
                mac[5]);
  return text;
}

std::optional<DeviceRow> MakeDeviceRow(ReplyRecord& record, int index) {
  // The kind is read before the model text is cut to nine bytes, as is every number.
  const DeviceReply reply = ReadDeviceReply(record.data(), record.size());
  if (reply.type == DeviceType::Unknown) return std::nullopt;

  record[kModelEnd] = 0;
  record[kNameEnd] = 0;
  record[kIpEnd] = 0;

  DeviceRow row;
  row.cells[0] = std::to_wstring(index);
  row.cells[1] = Widen(CP_THREAD_ACP, TextAt(record, offsets::kModel));
  row.cells[2] = WidenDeviceName(TextAt(record, offsets::kName));
  row.cells[3] = Widen(CP_THREAD_ACP, TextAt(record, offsets::kIp));
  row.cells[4] = Widen(CP_THREAD_ACP, TextAt(record, offsets::kMask));
  row.cells[5] = FormatMacText(record);
  row.cells[6] = std::to_wstring(reply.httpPort);
  row.cells[7] = std::to_wstring(reply.rtspPort);
  row.cells[8] = std::to_wstring(reply.channels);
  row.packedInfo = PackDeviceInfo(reply.rtspPort, reply.type, reply.dvsValue);
  return row;
}

}  // namespace quelvar
