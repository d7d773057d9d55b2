#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace zemra {

// An IPv4 UDP endpoint, address and port in host byte order. Address 0 means all local
// addresses when binding.
struct UdpEndpoint {
  std::uint32_t address = 0;
  std::uint16_t port = 0;

  friend bool operator==(const UdpEndpoint&, const UdpEndpoint&) = default;
};

// The outcome of one receive call: one whole datagram or the reason there is none.
struct UdpReceived {
  enum class Status {
    kDatagram,  // `size` bytes of the datagram are in the buffer (0 for an empty datagram)
    kTooLarge,  // a datagram longer than the buffer arrived and was discarded
    kTimedOut,  // the receive time-out passed without a datagram
    kFailed,    // the call failed; `error` holds the errno value
  };
  Status status = Status::kFailed;
  std::size_t size = 0;
  UdpEndpoint from;
  int error = 0;
};

// One IPv4 datagram socket; destruction closes it. Calls return 0 or an errno value.
class UdpSocket {
 public:
  virtual ~UdpSocket() = default;

  virtual int EnableBroadcast() = 0;
  virtual int SetReceiveTimeout(std::uint32_t ms) = 0;
  virtual int Bind(const UdpEndpoint& local) = 0;
  // Sends `bytes` as one datagram; a datagram the system could only send in part is a failure.
  virtual int SendTo(const UdpEndpoint& to, std::span<const std::uint8_t> bytes) = 0;
  // Waits for one datagram, at most the receive time-out.
  virtual UdpReceived ReceiveFrom(std::span<std::uint8_t> buffer) = 0;
  // Drops the datagrams already waiting, at most `limit` of them, without waiting for more.
  // Returns how many were dropped.
  virtual std::size_t DiscardPending(std::size_t limit) = 0;
};

// Makes datagram sockets. The production one wraps BSD sockets; tests hand a scripted one to
// the objects that take a UdpApi.
class UdpApi {
 public:
  virtual ~UdpApi() = default;

  // A new socket, or nullptr with `error` set to the errno value.
  virtual std::unique_ptr<UdpSocket> Open(int& error) = 0;
};

// The process-wide BSD datagram sockets.
UdpApi& SystemUdp();

// The system's text for an errno value of a datagram call.
std::string UdpErrorText(int error);

}  // namespace zemra
