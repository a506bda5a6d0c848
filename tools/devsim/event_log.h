// The simulator's event log: one JSON object per line, flushed line by line so tests can follow it.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace devsim {

// Builds one JSON object field by field. Texts are raw bytes: printable ASCII stays as it is, every
// other byte becomes \u00XX, so the line is valid JSON whatever a datagram held.
class JsonObject {
 public:
  explicit JsonObject(std::string_view event);
  JsonObject& Text(std::string_view key, std::string_view value);
  JsonObject& Number(std::string_view key, std::int64_t value);
  JsonObject& Bool(std::string_view key, bool value);
  JsonObject& TextList(std::string_view key, const std::vector<std::string>& values);
  JsonObject& Hex(std::string_view key, std::span<const std::uint8_t> bytes);
  std::string Finish() const { return body_ + "}"; }

 private:
  void Key(std::string_view key);
  std::string body_;
};

std::string JsonEscaped(std::string_view text);

// Writes to a file, or nowhere when no path is given. Each line carries t_us, microseconds since start.
class EventLog {
 public:
  explicit EventLog(const std::string& path);
  ~EventLog();
  EventLog(const EventLog&) = delete;
  EventLog& operator=(const EventLog&) = delete;

  bool ok() const { return path_.empty() || file_ != nullptr; }
  void Write(JsonObject event);

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace devsim
