#include "platform/Udp.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zemra {

namespace {

sockaddr_in ToSockaddr(const UdpEndpoint& endpoint) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(endpoint.address);
  address.sin_port = htons(endpoint.port);
  return address;
}

int SetOption(int fd, int level, int name, const void* value, socklen_t size) {
  return setsockopt(fd, level, name, value, size) == 0 ? 0 : errno;
}

class BsdUdpSocket final : public UdpSocket {
 public:
  explicit BsdUdpSocket(int fd) : fd_(fd) {}
  ~BsdUdpSocket() override { ::close(fd_); }
  BsdUdpSocket(const BsdUdpSocket&) = delete;
  BsdUdpSocket& operator=(const BsdUdpSocket&) = delete;

  int EnableBroadcast() override {
    const int on = 1;
    return SetOption(fd_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
  }

  int SetReceiveTimeout(std::uint32_t ms) override {
    timeval timeout{};
    timeout.tv_sec = static_cast<time_t>(ms / 1000);
    timeout.tv_usec = static_cast<suseconds_t>((ms % 1000) * 1000);
    return SetOption(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  }

  int Bind(const UdpEndpoint& local) override {
    const sockaddr_in address = ToSockaddr(local);
    return ::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ? 0
                                                                                         : errno;
  }

  int SendTo(const UdpEndpoint& to, std::span<const std::uint8_t> bytes) override {
    const sockaddr_in address = ToSockaddr(to);
    ssize_t sent;
    do {
      sent = ::sendto(fd_, bytes.data(), bytes.size(), 0,
                      reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (sent < 0 && errno == EINTR);
    if (sent < 0) return errno;
    return static_cast<std::size_t>(sent) == bytes.size() ? 0 : EMSGSIZE;
  }

  UdpReceived ReceiveFrom(std::span<std::uint8_t> buffer) override;

  std::size_t DiscardPending(std::size_t limit) override {
    std::size_t dropped = 0;
    // A zero-length read takes a whole datagram off the queue.
    while (dropped < limit && ::recv(fd_, nullptr, 0, MSG_DONTWAIT | MSG_TRUNC) >= 0) ++dropped;
    return dropped;
  }

 private:
  int fd_;
};

UdpReceived BsdUdpSocket::ReceiveFrom(std::span<std::uint8_t> buffer) {
  UdpReceived result;
  sockaddr_in from{};
  socklen_t fromSize = sizeof from;
  ssize_t length;
  do {
    // MSG_TRUNC makes the call report the datagram's real length, so an oversized datagram is
    // told apart from one that just fills the buffer.
    length = ::recvfrom(fd_, buffer.data(), buffer.size(), MSG_TRUNC,
                        reinterpret_cast<sockaddr*>(&from), &fromSize);
  } while (length < 0 && errno == EINTR);
  if (length < 0) {
    result.error = errno;
    const bool timedOut = result.error == EAGAIN || result.error == EWOULDBLOCK;
    result.status = timedOut ? UdpReceived::Status::kTimedOut : UdpReceived::Status::kFailed;
    return result;
  }
  result.from = {ntohl(from.sin_addr.s_addr), ntohs(from.sin_port)};
  if (static_cast<std::size_t>(length) > buffer.size()) {
    result.status = UdpReceived::Status::kTooLarge;
    return result;
  }
  result.status = UdpReceived::Status::kDatagram;
  result.size = static_cast<std::size_t>(length);
  return result;
}

class BsdUdpApi final : public UdpApi {
 public:
  std::unique_ptr<UdpSocket> Open(int& error) override {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    if (fd < 0) {
      error = errno;
      return nullptr;
    }
    error = 0;
    return std::make_unique<BsdUdpSocket>(fd);
  }
};

}  // namespace

UdpApi& SystemUdp() {
  static BsdUdpApi api;
  return api;
}

std::string UdpErrorText(int error) {
  char buffer[256] = {};
  // The GNU strerror_r returns its text, which need not be in the buffer.
  return ::strerror_r(error, buffer, sizeof buffer);
}

}  // namespace zemra
