#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "link/Frames.h"

namespace zemra::test {

// A stand-in thermometer on a loopback TCP address, driven from the link's own thread: Sync()
// takes in every frame the link has sent so far, answers it and notes it, so a test can put the
// frames and the clock's waits into one ordered record. Sync() first waits (real time, bounded)
// until the kernel has delivered every byte the link sent, which makes the order exact.
class LinkTcpPeer {
 public:
  // The answer to one frame: pieces sent one after the other (the first at once, each later
  // one after `pieceGapMs` of real time), then optionally the connection is closed.
  struct Answer {
    std::vector<std::string> pieces;
    int pieceGapMs = 30;
    bool closeAfter = false;
  };
  using Responder = std::function<Answer(const Frame& frame)>;

  // Listens on `address`:2101 (address in 127.0.0.0/8).
  explicit LinkTcpPeer(const std::string& address, std::uint16_t port = 2101);
  ~LinkTcpPeer();

  LinkTcpPeer(const LinkTcpPeer&) = delete;
  LinkTcpPeer& operator=(const LinkTcpPeer&) = delete;

  // Takes the connection the link made; false when none came within two seconds.
  bool Accept();
  void SetResponder(Responder responder) { responder_ = std::move(responder); }

  // Takes in all frames sent so far; each is passed to `onFrame` and answered.
  void Sync(const std::function<void(const Frame&)>& onFrame);

  // Closes the accepted connection.
  void Drop();

  const std::string& Address() const { return address_; }

 private:
  void WaitUntilDelivered();
  void Respond(const Frame& frame);
  int FindClientSocket() const;

  std::string address_;
  std::uint16_t port_;
  int listener_ = -1;
  int connection_ = -1;
  int clientFd_ = -1;
  std::vector<std::uint8_t> pending_;
  Responder responder_;
  std::vector<std::thread> senders_;
};

// A frame as readable text: printable ASCII as it is, every other byte as <xx>.
std::string Describe(const Frame& frame);
std::string Describe(const std::string& bytes);

}  // namespace zemra::test
