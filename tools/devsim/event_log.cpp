// JSON line building with safe escaping of raw datagram bytes, and the line-flushed log file.
#include "tools/devsim/event_log.h"

namespace devsim {

std::string JsonEscaped(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '"' || byte == '\\') {
      out.push_back('\\');
      out.push_back(c);
    } else if (byte >= 0x20 && byte < 0x7F) {
      out.push_back(c);
    } else {
      char escaped[7];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    }
  }
  return out;
}

JsonObject::JsonObject(std::string_view event) : body_("{\"event\":\"" + JsonEscaped(event) + "\"") {}

void JsonObject::Key(std::string_view key) {
  body_ += ",\"";
  body_ += JsonEscaped(key);
  body_ += "\":";
}

JsonObject& JsonObject::Text(std::string_view key, std::string_view value) {
  Key(key);
  body_ += '"' + JsonEscaped(value) + '"';
  return *this;
}

JsonObject& JsonObject::Number(std::string_view key, std::int64_t value) {
  Key(key);
  body_ += std::to_string(value);
  return *this;
}

JsonObject& JsonObject::Bool(std::string_view key, bool value) {
  Key(key);
  body_ += value ? "true" : "false";
  return *this;
}

JsonObject& JsonObject::TextList(std::string_view key, const std::vector<std::string>& values) {
  Key(key);
  body_ += '[';
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) body_ += ',';
    body_ += '"' + JsonEscaped(values[i]) + '"';
  }
  body_ += ']';
  return *this;
}

JsonObject& JsonObject::Hex(std::string_view key, std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  Key(key);
  body_ += '"';
  for (const std::uint8_t byte : bytes) {
    body_ += kDigits[byte >> 4];
    body_ += kDigits[byte & 0xF];
  }
  body_ += '"';
  return *this;
}

EventLog::EventLog(const std::string& path) : path_(path) {
  if (!path.empty()) file_ = std::fopen(path.c_str(), "w");
}

EventLog::~EventLog() {
  if (file_ != nullptr) std::fclose(file_);
}

void EventLog::Write(JsonObject event) {
  if (file_ == nullptr) return;
  const auto elapsed = std::chrono::steady_clock::now() - start_;
  event.Number("t_us", std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count());
  const std::string line = event.Finish() + "\n";
  std::fwrite(line.data(), 1, line.size(), file_);
  std::fflush(file_);
}

}  // namespace devsim
