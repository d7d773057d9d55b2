#pragma once

#include <netinet/in.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "net/DiscoveryTestUnits.h"

namespace zemra::test {

// How a responder departs from a plain unit's answer.
struct AddpBehaviour {
  // Sent before the reply to each discovery request.
  std::vector<std::vector<std::uint8_t>> before;
  // Extra units this responder also answers for, one reply each, paced 1 ms apart.
  std::vector<AddpUnit> alsoAnswerFor;
  // When set, the reply is repeated at this interval from the first request on, for ever.
  std::chrono::milliseconds repeatEvery{0};
};

// A stand-in for one unit's ADDP service on a loopback address: it hears broadcasts to
// 127.255.255.255:2362 and datagrams to its own address, port 2362, records each one and
// answers discovery requests for every unit or for its MAC from its own address.
class AddpResponder {
 public:
  struct Request {
    std::vector<std::uint8_t> bytes;
    sockaddr_in from{};
    bool broadcast = false;  // arrived at the broadcast address, not the unit's own
    std::chrono::steady_clock::time_point at;
  };

  // `hostAddress` in host order, e.g. 0x7F000107 for 127.0.1.7.
  AddpResponder(std::uint32_t hostAddress, AddpUnit unit, AddpBehaviour behaviour = {});
  ~AddpResponder();
  AddpResponder(const AddpResponder&) = delete;
  AddpResponder& operator=(const AddpResponder&) = delete;

  bool Ready() const { return broadcastFd_ >= 0 && unitFd_ >= 0; }
  std::vector<Request> Requests() const;

 private:
  void Run();
  void Answer(const Request& request);
  void SendTo(const sockaddr_in& to, const std::vector<std::uint8_t>& bytes) const;

  AddpUnit unit_;
  AddpBehaviour behaviour_;
  int broadcastFd_ = -1;
  int unitFd_ = -1;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<Request> requests_;
  bool repeating_ = false;
  sockaddr_in repeatTo_{};
  std::thread thread_;
};

}  // namespace zemra::test
