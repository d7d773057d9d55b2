#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

namespace zemra {

// Socket errors travel as WinSock numbers on every platform, so that texts, events and the
// window's handling do not depend on the operating system's own values.
namespace wsa {
inline constexpr int kInterrupted = 10004;      // WSAEINTR
inline constexpr int kBadHandle = 10009;        // WSAEBADF
inline constexpr int kAccess = 10013;           // WSAEACCES
inline constexpr int kFault = 10014;            // WSAEFAULT
inline constexpr int kInvalid = 10022;          // WSAEINVAL
inline constexpr int kTooManyOpen = 10024;      // WSAEMFILE
inline constexpr int kWouldBlock = 10035;       // WSAEWOULDBLOCK
inline constexpr int kInProgress = 10036;       // WSAEINPROGRESS
inline constexpr int kAlready = 10037;          // WSAEALREADY
inline constexpr int kNotSocket = 10038;        // WSAENOTSOCK
inline constexpr int kAfNoSupport = 10047;      // WSAEAFNOSUPPORT
inline constexpr int kAddressInUse = 10048;     // WSAEADDRINUSE
inline constexpr int kAddressNotAvail = 10049;  // WSAEADDRNOTAVAIL
inline constexpr int kNetDown = 10050;          // WSAENETDOWN
inline constexpr int kNetUnreachable = 10051;   // WSAENETUNREACH
inline constexpr int kConnAborted = 10053;      // WSAECONNABORTED
inline constexpr int kConnReset = 10054;        // WSAECONNRESET
inline constexpr int kNoBuffers = 10055;        // WSAENOBUFS
inline constexpr int kIsConnected = 10056;      // WSAEISCONN
inline constexpr int kNotConnected = 10057;     // WSAENOTCONN
inline constexpr int kShutdown = 10058;         // WSAESHUTDOWN
inline constexpr int kTimedOut = 10060;         // WSAETIMEDOUT
inline constexpr int kConnRefused = 10061;      // WSAECONNREFUSED
inline constexpr int kHostUnreachable = 10065;  // WSAEHOSTUNREACH
inline constexpr int kNotInitialised = 10093;   // WSANOTINITIALISED
}  // namespace wsa

// The WinSock number for an errno value of a socket call. EAGAIN maps to "would block"; the
// send and receive calls below report their time-outs as kTimedOut themselves. Values without a
// WinSock counterpart are returned as they are (never 0).
int WsaErrorFromErrno(int errnoValue);

using SocketHandle = int;
inline constexpr SocketHandle kNoSocket = -1;

// The outcome of a socket call that yields a number (a handle or a byte count): `error` is 0 on
// success, else the WinSock number and `value` is meaningless.
struct SocketResult {
  int value = 0;
  int error = 0;

  bool Ok() const { return error == 0; }
};

// An IPv4 endpoint, address and port in host byte order.
struct Ipv4Endpoint {
  std::uint32_t address = 0;
  std::uint16_t port = 0;
};

// Parses dotted IPv4 text the way inet_addr does (also "127.1", hex and octal parts). Returns
// nothing for text that is not an address. The caller trims; any white space or NUL inside the
// text makes it invalid, so trailing junk is never silently ignored.
std::optional<std::uint32_t> ParseIpv4(const std::string& text);

// Lets one thread give up a connect that another thread is blocked in. One-shot: once fired it
// stays fired.
class ConnectCancel {
 public:
  ConnectCancel();
  ~ConnectCancel();
  ConnectCancel(const ConnectCancel&) = delete;
  ConnectCancel& operator=(const ConnectCancel&) = delete;

  void Fire();
  bool Fired() const { return fired_.load(); }
  // Waits up to `ms` for Fire; true when fired. For connects that cannot poll Descriptor().
  bool WaitFired(int ms) const;
  // Becomes readable once fired; -1 when the system had no descriptor to spare, in which case
  // a waiting connect falls back to checking Fired() at short intervals.
  int Descriptor() const { return fd_; }

 private:
  std::atomic<bool> fired_{false};
  int fd_ = -1;
};

// The socket calls the Ethernet client makes. Every call returns 0 or a WinSock number (or a
// SocketResult). The production table wraps BSD sockets; tests and fuzz targets hand the client
// a scripted one.
class SocketApi {
 public:
  virtual ~SocketApi() = default;

  // A blocking TCP stream socket over IPv4.
  virtual SocketResult CreateTcp() = 0;
  virtual int SetTimeouts(SocketHandle socket, std::uint32_t sendMs, std::uint32_t receiveMs) = 0;
  virtual int SetLinger(SocketHandle socket, bool enabled, std::uint16_t seconds) = 0;
  virtual int SetNoDelay(SocketHandle socket, bool enabled) = 0;
  // Blocks until connected, refused, the system's own connect time-out, or `cancel` fires
  // (kInterrupted). The socket is left blocking.
  virtual int Connect(SocketHandle socket, const Ipv4Endpoint& remote,
                      const ConnectCancel& cancel) = 0;
  // One send call; a send time-out is kTimedOut. Never raises SIGPIPE.
  virtual SocketResult Send(SocketHandle socket, const std::uint8_t* bytes, int count) = 0;
  // One receive call (value 0: the peer closed); a receive time-out is kTimedOut.
  virtual SocketResult Receive(SocketHandle socket, std::uint8_t* buffer, int count, bool peek) = 0;
  virtual int Close(SocketHandle socket) = 0;
};

// The process-wide BSD socket table.
SocketApi& SystemSockets();

}  // namespace zemra
