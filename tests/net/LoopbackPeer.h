#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>

namespace zemra::test {

// A small scripted TCP peer on a loopback address (127.x.y.z, each test its own). It accepts
// connections on its own thread and runs the test's script on each; it never blocks longer than
// a few seconds, so a failing client cannot hang the suite.
class LoopbackPeer {
 public:
  using Script = std::function<void(int connection)>;

  LoopbackPeer(const std::string& address, std::uint16_t port, int backlog = 4) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    if (inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1 ||
        (ntohl(local.sin_addr.s_addr) >> 24) != 127) {
      throw std::invalid_argument("peers listen on loopback only");
    }
    if (bind(listener_, reinterpret_cast<sockaddr*>(&local), sizeof local) < 0 ||
        listen(listener_, backlog) < 0) {
      close(listener_);
      throw std::runtime_error("cannot listen on " + address);
    }
  }

  ~LoopbackPeer() {
    Join();
    close(listener_);
  }

  // Waits until the scripts have run.
  void Join() {
    if (thread_.joinable()) thread_.join();
  }

  LoopbackPeer(const LoopbackPeer&) = delete;
  LoopbackPeer& operator=(const LoopbackPeer&) = delete;

  // Accepts `connections` connections one after the other and runs `script` on each.
  void Serve(Script script, int connections = 1) {
    thread_ = std::thread([this, script, connections] {
      for (int i = 0; i < connections; ++i) {
        const int connection = Accept();
        if (connection < 0) return;
        script(connection);
        close(connection);
      }
    });
  }

  // Sends the whole text, or gives up.
  static void SendAll(int connection, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = send(connection, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
      if (n <= 0) return;
      done += static_cast<std::size_t>(n);
    }
  }

  // Reads until `count` bytes came, the peer closed, or a few seconds of silence.
  static std::string Read(int connection, std::size_t count) {
    std::string bytes;
    while (bytes.size() < count) {
      pollfd p{connection, POLLIN, 0};
      if (poll(&p, 1, 5000) <= 0) break;
      char chunk[256];
      const ssize_t n = recv(connection, chunk, std::min(sizeof chunk, count - bytes.size()), 0);
      if (n <= 0) break;
      bytes.append(chunk, static_cast<std::size_t>(n));
    }
    return bytes;
  }

  // True when the other side closes within a few seconds.
  static bool WaitClosed(int connection) {
    for (;;) {
      pollfd p{connection, POLLIN, 0};
      if (poll(&p, 1, 5000) <= 0) return false;
      char chunk[64];
      const ssize_t n = recv(connection, chunk, sizeof chunk, 0);
      if (n <= 0) return true;
    }
  }

  static void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

 private:
  int Accept() {
    pollfd p{listener_, POLLIN, 0};
    if (poll(&p, 1, 5000) <= 0) return -1;
    return accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
  }

  int listener_ = -1;
  std::thread thread_;
};

}  // namespace zemra::test
