// The simulator's control channel: the text commands and the Unix datagram socket that carries them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "tools/devsim/hostile.h"
#include "tools/devsim/linux_net.h"

namespace devsim {

// Commands, one per datagram:
//   hostile KIND [N] [rate=R]   N datagrams of KIND (default 1), R per second (default all at once), to
//                               the source port of the latest probe on each interface
//   jitter MS                   delay each later reply by a random 0..MS milliseconds (0: none)
//   quit                        end the simulator as SIGTERM does
struct ControlCommand {
  enum class Type { Hostile, Jitter, Quit } type = Type::Quit;
  HostileRequest hostile;
  std::uint32_t jitterMs = 0;
};

// The command, or nothing with `error` saying what is wrong.
std::optional<ControlCommand> ParseControlCommand(std::string_view text, std::string& error);

// A bound Unix datagram socket at a filesystem path (so it is reachable from any network namespace);
// the path is removed again when the socket goes.
class ControlSocket {
 public:
  ControlSocket() = default;
  ~ControlSocket();
  ControlSocket(const ControlSocket&) = delete;
  ControlSocket& operator=(const ControlSocket&) = delete;

  // Returns an empty string or what failed.
  std::string Open(const std::string& path);
  int fd() const { return fd_.get(); }

 private:
  UniqueFd fd_;
  std::string path_;
};

// Sends one command to the socket at `path`; returns an empty string or what failed.
std::string SendControlCommand(const std::string& path, std::string_view text);

}  // namespace devsim
