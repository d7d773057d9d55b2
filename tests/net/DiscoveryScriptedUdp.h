#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Udp.h"

namespace zemra::test {

inline std::string EndpointText(const UdpEndpoint& endpoint) {
  return std::to_string(endpoint.address >> 24) + "." +
         std::to_string((endpoint.address >> 16) & 0xFF) + "." +
         std::to_string((endpoint.address >> 8) & 0xFF) + "." +
         std::to_string(endpoint.address & 0xFF) + ":" + std::to_string(endpoint.port);
}

// A scripted datagram layer. Every call is written to `log` ("send 1.2.3.4:2362 14",
// "receive", "close"), so a test can check the order of sends, reads and (with a FakeClock
// writing to the same log) waits. Each receive takes the next scripted event; with nothing
// scripted it reports the receive time-out at once, as a real socket would after its wait.
// `waiting` holds datagrams that are on the socket already, before the next request.
class ScriptedUdp final : public UdpApi {
 public:
  struct Event {
    UdpReceived::Status status = UdpReceived::Status::kDatagram;
    std::vector<std::uint8_t> bytes;  // longer than the reader's buffer: kTooLarge
  };
  struct Sent {
    UdpEndpoint to;
    std::vector<std::uint8_t> bytes;
  };

  static Event Silence() { return {UdpReceived::Status::kTimedOut, {}}; }

  std::unique_ptr<UdpSocket> Open(int& error) override;

  void Queue(std::vector<std::uint8_t> bytes) { incoming.push_back({{}, std::move(bytes)}); }

  // Failures to inject; sends are numbered from 1 over the whole life of the object.
  int openError = 0;
  int broadcastError = 0;
  int timeoutError = 0;
  int bindError = 0;
  int failingSend = 0;

  // Called after each send, e.g. to queue the replies of the units that heard it.
  std::function<void(const Sent&)> onSend;
  // When set, replaces the queue: yields the event of each receive.
  std::function<Event()> source;

  std::deque<Event> incoming;
  // Datagrams already on the socket, taken by DiscardPending (and by receives before
  // `incoming`).
  std::deque<std::vector<std::uint8_t>> waiting;
  std::vector<Sent> sent;
  std::vector<std::string> log;
  int openSockets = 0;
  int sendCount = 0;
  bool broadcast = false;
  std::uint32_t receiveTimeoutMs = 0;
  UdpEndpoint boundTo{0xFFFFFFFF, 0};
  std::size_t largestBuffer = 0;
};

class ScriptedUdpSocket final : public UdpSocket {
 public:
  explicit ScriptedUdpSocket(ScriptedUdp& owner) : owner_(owner) { ++owner_.openSockets; }
  ~ScriptedUdpSocket() override {
    --owner_.openSockets;
    owner_.log.push_back("close");
  }

  int EnableBroadcast() override {
    owner_.broadcast = owner_.broadcastError == 0;
    return owner_.broadcastError;
  }
  int SetReceiveTimeout(std::uint32_t ms) override {
    if (owner_.timeoutError == 0) owner_.receiveTimeoutMs = ms;
    return owner_.timeoutError;
  }
  int Bind(const UdpEndpoint& local) override {
    if (owner_.bindError == 0) owner_.boundTo = local;
    return owner_.bindError;
  }
  int SendTo(const UdpEndpoint& to, std::span<const std::uint8_t> bytes) override {
    owner_.log.push_back("send " + EndpointText(to) + " " + std::to_string(bytes.size()));
    ++owner_.sendCount;
    if (owner_.failingSend == owner_.sendCount) return 101;  // ENETUNREACH
    owner_.sent.push_back({to, {bytes.begin(), bytes.end()}});
    if (owner_.onSend) owner_.onSend(owner_.sent.back());
    return 0;
  }
  UdpReceived ReceiveFrom(std::span<std::uint8_t> buffer) override;

  std::size_t DiscardPending(std::size_t limit) override {
    const std::size_t dropped = std::min(limit, owner_.waiting.size());
    owner_.waiting.erase(owner_.waiting.begin(), owner_.waiting.begin() + dropped);
    if (dropped > 0) owner_.log.push_back("discard " + std::to_string(dropped));
    return dropped;
  }

 private:
  ScriptedUdp& owner_;
};

inline std::unique_ptr<UdpSocket> ScriptedUdp::Open(int& error) {
  log.push_back("open");
  error = openError;
  if (openError != 0) return nullptr;
  return std::make_unique<ScriptedUdpSocket>(*this);
}

inline UdpReceived ScriptedUdpSocket::ReceiveFrom(std::span<std::uint8_t> buffer) {
  owner_.log.push_back("receive");
  owner_.largestBuffer = std::max(owner_.largestBuffer, buffer.size());
  ScriptedUdp::Event event = ScriptedUdp::Silence();
  if (!owner_.waiting.empty()) {
    event = {UdpReceived::Status::kDatagram, std::move(owner_.waiting.front())};
    owner_.waiting.pop_front();
  } else if (owner_.source) {
    event = owner_.source();
  } else if (!owner_.incoming.empty()) {
    event = std::move(owner_.incoming.front());
    owner_.incoming.pop_front();
  }
  UdpReceived received;
  received.status = event.status;
  received.from = {0x7F000101, 2362};
  if (event.status != UdpReceived::Status::kDatagram) return received;
  if (event.bytes.size() > buffer.size()) {
    received.status = UdpReceived::Status::kTooLarge;
    return received;
  }
  std::copy(event.bytes.begin(), event.bytes.end(), buffer.begin());
  received.size = event.bytes.size();
  return received;
}

}  // namespace zemra::test
