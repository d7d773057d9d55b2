#include "platform/Socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <utility>

namespace zemra {

int WsaErrorFromErrno(int errnoValue) {
  static constexpr std::pair<int, int> kMap[] = {
      {EINTR, wsa::kInterrupted},
      {EBADF, wsa::kNotSocket},
      {EACCES, wsa::kAccess},
      {EPERM, wsa::kAccess},
      {EFAULT, wsa::kFault},
      {EINVAL, wsa::kInvalid},
      {EMFILE, wsa::kTooManyOpen},
      {ENFILE, wsa::kTooManyOpen},
      {EAGAIN, wsa::kWouldBlock},
      {EINPROGRESS, wsa::kInProgress},
      {EALREADY, wsa::kAlready},
      {ENOTSOCK, wsa::kNotSocket},
      {EAFNOSUPPORT, wsa::kAfNoSupport},
      {EADDRINUSE, wsa::kAddressInUse},
      {EADDRNOTAVAIL, wsa::kAddressNotAvail},
      {ENETDOWN, wsa::kNetDown},
      {ENETUNREACH, wsa::kNetUnreachable},
      {ECONNABORTED, wsa::kConnAborted},
      {ECONNRESET, wsa::kConnReset},
      // A send after the peer has reset the connection.
      {EPIPE, wsa::kConnReset},
      {ENOBUFS, wsa::kNoBuffers},
      {ENOMEM, wsa::kNoBuffers},
      {EISCONN, wsa::kIsConnected},
      {ENOTCONN, wsa::kNotConnected},
      {ESHUTDOWN, wsa::kShutdown},
      {ETIMEDOUT, wsa::kTimedOut},
      {ECONNREFUSED, wsa::kConnRefused},
      {EHOSTUNREACH, wsa::kHostUnreachable},
      {EHOSTDOWN, wsa::kHostUnreachable},
  };
  for (const auto& [from, to] : kMap) {
    if (from == errnoValue) return to;
  }
  return errnoValue != 0 ? errnoValue : wsa::kInvalid;
}

std::optional<std::uint32_t> ParseIpv4(const std::string& text) {
  for (char c : text) {
    // inet_aton stops at white space and ignores the rest; "10.0.0.1 junk" is no address.
    if (c == '\0' || c == ' ' || (c >= '\t' && c <= '\r')) return std::nullopt;
  }
  in_addr parsed{};
  if (text.empty() || inet_aton(text.c_str(), &parsed) == 0) return std::nullopt;
  return ntohl(parsed.s_addr);
}

ConnectCancel::ConnectCancel() : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

ConnectCancel::~ConnectCancel() {
  if (fd_ >= 0) close(fd_);
}

void ConnectCancel::Fire() {
  fired_.store(true);
  if (fd_ >= 0) {
    const std::uint64_t one = 1;
    // A full counter still leaves the descriptor readable, so the result does not matter.
    [[maybe_unused]] ssize_t written = write(fd_, &one, sizeof one);
  }
}

bool ConnectCancel::WaitFired(int ms) const {
  if (Fired()) return true;
  if (fd_ >= 0) {
    pollfd p{fd_, POLLIN, 0};
    poll(&p, 1, ms);
  } else {
    usleep(static_cast<useconds_t>(ms) * 1000);
  }
  return Fired();
}

namespace {

int LastError() {
  return WsaErrorFromErrno(errno);
}

// A send or receive on a socket with SO_SNDTIMEO/SO_RCVTIMEO reports its time-out as EAGAIN.
int LastTransferError() {
  return (errno == EAGAIN || errno == EWOULDBLOCK) ? wsa::kTimedOut : LastError();
}

int SetBlocking(SocketHandle socket, bool blocking) {
  const int flags = fcntl(socket, F_GETFL);
  if (flags < 0) return LastError();
  const int wanted = blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK);
  return fcntl(socket, F_SETFL, wanted) < 0 ? LastError() : 0;
}

// Waits for a non-blocking connect to finish or for `cancel`. Without a cancel descriptor the
// wait is cut into short slices so a cancel is still seen promptly.
int AwaitConnect(SocketHandle socket, const ConnectCancel& cancel) {
  pollfd fds[2] = {{socket, POLLOUT, 0}, {cancel.Descriptor(), POLLIN, 0}};
  const nfds_t count = cancel.Descriptor() >= 0 ? 2 : 1;
  const int slice = count == 2 ? -1 : 20;
  for (;;) {
    if (cancel.Fired()) return wsa::kInterrupted;
    const int ready = poll(fds, count, slice);
    if (ready < 0 && errno != EINTR) return LastError();
    if (cancel.Fired()) return wsa::kInterrupted;
    if (ready > 0 && fds[0].revents != 0) break;
  }
  int error = 0;
  socklen_t length = sizeof error;
  if (getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) < 0) return LastError();
  return error == 0 ? 0 : WsaErrorFromErrno(error);
}

timeval ToTimeval(std::uint32_t ms) {
  timeval tv{};
  tv.tv_sec = static_cast<time_t>(ms / 1000);
  tv.tv_usec = static_cast<suseconds_t>((ms % 1000) * 1000);
  return tv;
}

class BsdSockets final : public SocketApi {
 public:
  SocketResult CreateTcp() override {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return {0, LastError()};
    return {fd, 0};
  }

  int SetTimeouts(SocketHandle socket, std::uint32_t sendMs, std::uint32_t receiveMs) override {
    const timeval send = ToTimeval(sendMs);
    const timeval receive = ToTimeval(receiveMs);
    if (setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &send, sizeof send) < 0) return LastError();
    if (setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &receive, sizeof receive) < 0) {
      return LastError();
    }
    return 0;
  }

  int SetLinger(SocketHandle socket, bool enabled, std::uint16_t seconds) override {
    const linger value{enabled ? 1 : 0, seconds};
    return setsockopt(socket, SOL_SOCKET, SO_LINGER, &value, sizeof value) < 0 ? LastError() : 0;
  }

  int SetNoDelay(SocketHandle socket, bool enabled) override {
    const int value = enabled ? 1 : 0;
    return setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &value, sizeof value) < 0 ? LastError() : 0;
  }

  int Connect(SocketHandle socket, const Ipv4Endpoint& remote,
              const ConnectCancel& cancel) override {
    sockaddr_in endpoint{};
    endpoint.sin_family = AF_INET;
    endpoint.sin_port = htons(remote.port);
    endpoint.sin_addr.s_addr = htonl(remote.address);
    // Non-blocking underneath, so that a cancel can end the wait; blocking again afterwards so
    // the send and receive time-outs apply.
    if (const int error = SetBlocking(socket, false); error != 0) return error;
    int result = 0;
    if (connect(socket, reinterpret_cast<const sockaddr*>(&endpoint), sizeof endpoint) < 0) {
      result = errno == EINPROGRESS ? AwaitConnect(socket, cancel) : LastError();
    }
    const int restored = SetBlocking(socket, true);
    return result != 0 ? result : restored;
  }

  SocketResult Send(SocketHandle socket, const std::uint8_t* bytes, int count) override {
    for (;;) {
      const ssize_t sent = send(socket, bytes, static_cast<size_t>(count), MSG_NOSIGNAL);
      if (sent >= 0) return {static_cast<int>(sent), 0};
      if (errno != EINTR) return {0, LastTransferError()};
    }
  }

  SocketResult Receive(SocketHandle socket, std::uint8_t* buffer, int count, bool peek) override {
    for (;;) {
      const ssize_t got = recv(socket, buffer, static_cast<size_t>(count), peek ? MSG_PEEK : 0);
      if (got >= 0) return {static_cast<int>(got), 0};
      if (errno != EINTR) return {0, LastTransferError()};
    }
  }

  int Close(SocketHandle socket) override { return close(socket) < 0 ? LastError() : 0; }
};

}  // namespace

SocketApi& SystemSockets() {
  static BsdSockets sockets;
  return sockets;
}

}  // namespace zemra
