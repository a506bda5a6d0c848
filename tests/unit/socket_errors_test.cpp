// Which receive errors retire an interface socket and which only drop one datagram.
#include <gtest/gtest.h>

#include "discovery/socket_api.h"

#ifdef _WIN32
#include <winsock2.h>
#else
#include <cerrno>
#endif

namespace quelvar {
namespace {

struct ErrorCase {
  int code;
  ReceiveStatus expected;
};

TEST(ClassifyReceiveErrorTest, OnlyRealSocketFailuresRetireTheSocket) {
#ifdef _WIN32
  const ErrorCase cases[] = {{WSAEMSGSIZE, ReceiveStatus::Oversized},
                             {WSAECONNRESET, ReceiveStatus::Transient},
                             {WSAEWOULDBLOCK, ReceiveStatus::Empty},
                             {WSAENOTSOCK, ReceiveStatus::Failed},
                             {WSAENETDOWN, ReceiveStatus::Failed},
                             {WSAEINVAL, ReceiveStatus::Failed}};
#else
  const ErrorCase cases[] = {{EMSGSIZE, ReceiveStatus::Oversized},   {ECONNREFUSED, ReceiveStatus::Transient},
                             {EAGAIN, ReceiveStatus::Empty},     {EINTR, ReceiveStatus::Transient},
                             {EBADF, ReceiveStatus::Failed},         {ENOTSOCK, ReceiveStatus::Failed},
                             {ENETDOWN, ReceiveStatus::Failed}};
#endif
  for (const ErrorCase& c : cases) EXPECT_EQ(ClassifyReceiveError(c.code), c.expected) << c.code;
}

}  // namespace
}  // namespace quelvar
