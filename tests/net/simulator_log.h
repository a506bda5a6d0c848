// Reads the device simulator's event log (one flat JSON object a line) from a test on the app side.
#pragma once

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace quelvar::testing {

// The value of "key" in a flat JSON object line: a string without its quotes, or a bare number.
inline std::optional<std::string> JsonField(const std::string& line, const std::string& key) {
  const std::string pattern = "\"" + key + "\":";
  std::size_t at = line.find(pattern);
  if (at == std::string::npos) return std::nullopt;
  at += pattern.size();
  while (at < line.size() && line[at] == ' ') ++at;
  if (at < line.size() && line[at] == '"') {
    std::string value;
    for (std::size_t i = at + 1; i < line.size() && line[i] != '"'; ++i) {
      if (line[i] == '\\' && i + 1 < line.size()) ++i;
      value.push_back(line[i]);
    }
    return value;
  }
  const std::size_t end = line.find_first_of(",}", at);
  return line.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

class SimulatorLog {
 public:
  SimulatorLog() {
    const char* path = std::getenv("QV_DEVSIM_LOG");
    if (path != nullptr) path_ = path;
#ifdef _WIN32
    // Under Wine the host's root is drive Z:.
    if (!path_.empty() && path_[0] == '/') path_ = "Z:" + path_;
#endif
  }

  bool available() const { return !path_.empty(); }

  // From now on only lines written after this call count: a test sees its own events, not those of
  // the tests that ran before it against the same simulator.
  void StartHere() { skip_ = AllLines().size(); }

  // Every line whose "event" is the given one, in the order written.
  std::vector<std::string> Events(const std::string& event) const {
    std::vector<std::string> lines;
    const std::vector<std::string> all = AllLines();
    for (std::size_t i = skip_; i < all.size(); ++i) {
      if (JsonField(all[i], "event") == event) lines.push_back(all[i]);
    }
    return lines;
  }

  // Waits until at least `count` such events were logged, or the deadline passes; returns them.
  std::vector<std::string> WaitForEvents(const std::string& event, std::size_t count,
                                         std::chrono::milliseconds deadline = std::chrono::seconds(10)) const {
    const auto until = std::chrono::steady_clock::now() + deadline;
    for (;;) {
      std::vector<std::string> lines = Events(event);
      if (lines.size() >= count || std::chrono::steady_clock::now() >= until) return lines;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

 private:
  std::vector<std::string> AllLines() const {
    std::vector<std::string> lines;
    std::ifstream file(path_);
    std::string line;
    // A line still being written has no newline yet; it is read on the next call.
    while (std::getline(file, line)) {
      if (!file.eof()) lines.push_back(line);
    }
    return lines;
  }

  std::string path_;
  std::size_t skip_ = 0;
};

}  // namespace quelvar::testing
