#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <string>

#include "net/CLWSocket.h"
#include "platform/Socket.h"

namespace zemra {
namespace {

TEST(ErrorText, GivesEachTableTextExactly) {
  const struct {
    int code;
    const char* text;
  } kTable[] = {
      {10004, "Blocking Cancelled"},
      {10013, "Broadcast failed option not set"},
      {10014, "Invalid name parameter"},
      {10022, "Listening Socket"},
      {10035, "Would Block"},
      {10036, "Blocking in progress"},
      {10037, "Nonblocking connect call is in progress"},
      {10038, "Descriptor is not a socket"},
      {10047, "Address cannot support sockets"},
      {10048, "Local address is already in use"},
      {10049, "Remote address invalid"},
      {10050, "Network Subsystem Failed"},
      {10051, "Network unreachable"},
      {10054, "Connection Reset"},
      {10055, "Buffer unavailable"},
      {10056, "Already connected"},
      {10060, "Connection timed out"},
      {10061, "Connection Refused"},
      {10065, "Host Unreachable"},
      {10093, "Not Initialised"},
  };
  for (const auto& row : kTable) {
    EXPECT_EQ(CLWSocket::ErrorText(row.code), row.text) << row.code;
  }
}

TEST(ErrorText, NumbersOutsideTheTableGiveTheNumberedFallback) {
  for (int code : {10057, 0, -1, 10053, 10062, 10092, 10094, 2147483647, -2147483647 - 1}) {
    EXPECT_EQ(CLWSocket::ErrorText(code), "Socket Error " + std::to_string(code));
  }
}

TEST(SocketErrors, ErrnoValuesBecomeWinSockNumbers) {
  const std::pair<int, int> kTable[] = {
      {ETIMEDOUT, 10060},   {ECONNREFUSED, 10061},  {ECONNRESET, 10054}, {EHOSTUNREACH, 10065},
      {ENETUNREACH, 10051}, {EADDRNOTAVAIL, 10049}, {EADDRINUSE, 10048}, {ENOTSOCK, 10038},
      {EBADF, 10038},       {EINVAL, 10022},        {EISCONN, 10056},    {ENOTCONN, 10057},
      {EALREADY, 10037},    {EINPROGRESS, 10036},   {EAGAIN, 10035},     {EINTR, 10004},
      {EACCES, 10013},      {ENOBUFS, 10055},       {EPIPE, 10054},
  };
  for (const auto& [errnoValue, wsaNumber] : kTable) {
    EXPECT_EQ(WsaErrorFromErrno(errnoValue), wsaNumber) << errnoValue;
  }
  // Never 0, which would read as success.
  EXPECT_NE(WsaErrorFromErrno(0), 0);
}

TEST(SocketErrors, AddressTextParsesLikeInetAddr) {
  const struct {
    const char* text;
    std::optional<std::uint32_t> address;
  } kTable[] = {
      {"127.0.0.1", 0x7F000001u},     {"10.1.10.200", 0x0A010AC8u},     {"127.1", 0x7F000001u},
      {"0x7f.0.0.010", 0x7F000008u},  {"255.255.255.255", 0xFFFFFFFFu}, {"", std::nullopt},
      {"abc", std::nullopt},          {"256.0.0.1", std::nullopt},      {"1.2.3.4.5", std::nullopt},
      {"1.2.3.4 junk", std::nullopt}, {"1.2.3.4\t", std::nullopt},      {"1.2.3.", std::nullopt},
  };
  for (const auto& row : kTable) {
    EXPECT_EQ(ParseIpv4(row.text), row.address) << row.text;
  }
  EXPECT_EQ(ParseIpv4(std::string("1.2.3.4\0junk", 12)), std::nullopt);
}

}  // namespace
}  // namespace zemra
