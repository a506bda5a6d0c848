// Parsing of control commands and the Unix datagram socket at both ends of the control channel.
#include "tools/devsim/control.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <vector>

namespace devsim {
namespace {

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r')) ++i;
    const std::size_t start = i;
    while (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != '\n' && text[i] != '\r') ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

template <typename T>
bool ParseNumber(std::string_view text, T& out) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
  return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

bool UnixAddress(const std::string& path, sockaddr_un& address) {
  address = sockaddr_un{};
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return true;
}

}  // namespace

std::optional<ControlCommand> ParseControlCommand(std::string_view text, std::string& error) {
  const auto words = Words(text);
  ControlCommand command;
  if (words.empty()) {
    error = "empty command";
    return std::nullopt;
  }
  if (words[0] == "quit" && words.size() == 1) {
    command.type = ControlCommand::Type::Quit;
    return command;
  }
  if (words[0] == "jitter" && words.size() == 2 && ParseNumber(words[1], command.jitterMs)) {
    command.type = ControlCommand::Type::Jitter;
    return command;
  }
  if (words[0] == "hostile" && words.size() >= 2 && words.size() <= 4) {
    command.type = ControlCommand::Type::Hostile;
    const auto kind = ParseHostileKind(words[1]);
    if (!kind) {
      error = "unknown hostile kind '" + std::string(words[1]) + "'";
      return std::nullopt;
    }
    command.hostile.kind = *kind;
    for (std::size_t i = 2; i < words.size(); ++i) {
      const bool ok = words[i].starts_with("rate=") ? ParseNumber(words[i].substr(5), command.hostile.ratePerSecond)
                                                    : i == 2 && ParseNumber(words[i], command.hostile.count);
      if (!ok) {
        error = "bad hostile argument '" + std::string(words[i]) + "'";
        return std::nullopt;
      }
    }
    return command;
  }
  error = "unknown command '" + std::string(text) + "'";
  return std::nullopt;
}

ControlSocket::~ControlSocket() {
  if (!path_.empty()) ::unlink(path_.c_str());
}

std::string ControlSocket::Open(const std::string& path) {
  sockaddr_un address;
  if (!UnixAddress(path, address)) return "control path is empty or too long: " + path;
  fd_ = UniqueFd(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
  if (!fd_) return std::string("control socket: ") + std::strerror(errno);
  ::unlink(path.c_str());  // a socket file left by a run that was killed
  if (::bind(fd_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    return "bind " + path + ": " + std::strerror(errno);
  }
  path_ = path;
  return {};
}

std::string SendControlCommand(const std::string& path, std::string_view text) {
  sockaddr_un address;
  if (!UnixAddress(path, address)) return "control path is empty or too long: " + path;
  const UniqueFd fd(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
  if (!fd) return std::string("socket: ") + std::strerror(errno);
  if (::sendto(fd.get(), text.data(), text.size(), 0, reinterpret_cast<const sockaddr*>(&address), sizeof address) < 0) {
    return "send to " + path + ": " + std::strerror(errno);
  }
  return {};
}

}  // namespace devsim
