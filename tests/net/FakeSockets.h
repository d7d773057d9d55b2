#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "net/CLWSocket.h"
#include "platform/Socket.h"

namespace zemra::test {

// A scripted socket table. Each receive takes the next scripted segment (a part of it when the
// caller asks for fewer bytes); with nothing scripted a receive either reports the receive
// time-out at once, as a real socket would after 10 s, or 0 once the peer has closed.
// Handles count up from 100; a call on a handle that is closed or was never made fails with
// kNotSocket and is counted as misuse.
class FakeSockets final : public SocketApi {
 public:
  struct Segment {
    std::vector<std::uint8_t> bytes;
    int error = 0;  // a failing receive instead of bytes
  };

  // Script (set before use; connect-side scripts run on the client's connect thread).
  std::deque<Segment> incoming;
  bool peerClosed = false;
  int createError = 0;
  int lingerError = 0;
  int maxSendPerCall = 1 << 30;
  int sendErrorAfterBytes = -1;  // fail the send that would pass this many bytes
  // Runs on the connect thread; default: connected at once.
  std::function<int(SocketHandle, const Ipv4Endpoint&, const ConnectCancel&)> onConnect;

  // Record.
  struct Timeouts {
    std::uint32_t send = 0;
    std::uint32_t receive = 0;
  };
  std::vector<std::string> log;  // every call, in order: "create 100", "connect 100", ...
  std::vector<Timeouts> timeouts;
  std::vector<Ipv4Endpoint> connects;
  std::vector<int> receiveCounts;  // the count each non-peek receive asked for
  std::vector<int> peekCounts;
  std::vector<std::uint8_t> sent;
  int misuse = 0;

  void Push(const std::string& bytes, int error = 0) {
    incoming.push_back({std::vector<std::uint8_t>(bytes.begin(), bytes.end()), error});
  }

  std::vector<std::string> Log() {
    std::lock_guard lock(mutex_);
    return log;
  }
  bool IsOpen(SocketHandle handle) {
    std::lock_guard lock(mutex_);
    return open_.count(handle) != 0;
  }

  SocketResult CreateTcp() override {
    std::lock_guard lock(mutex_);
    if (createError != 0) return {0, createError};
    const int handle = next_++;
    open_.insert(handle);
    Record("create", handle);
    return {handle, 0};
  }

  int SetTimeouts(SocketHandle socket, std::uint32_t sendMs, std::uint32_t receiveMs) override {
    std::lock_guard lock(mutex_);
    if (!Record("timeouts", socket)) return wsa::kNotSocket;
    timeouts.push_back({sendMs, receiveMs});
    return 0;
  }

  int SetLinger(SocketHandle socket, bool enabled, std::uint16_t seconds) override {
    std::lock_guard lock(mutex_);
    if (!Record(enabled || seconds != 0 ? "linger on" : "linger off", socket)) {
      return wsa::kNotSocket;
    }
    return lingerError;
  }

  int SetNoDelay(SocketHandle socket, bool enabled) override {
    std::lock_guard lock(mutex_);
    if (!Record(enabled ? "nodelay on" : "nodelay off", socket)) return wsa::kNotSocket;
    return 0;
  }

  int Connect(SocketHandle socket, const Ipv4Endpoint& remote,
              const ConnectCancel& cancel) override {
    {
      std::lock_guard lock(mutex_);
      if (!Record("connect", socket)) return wsa::kNotSocket;
      connects.push_back(remote);
    }
    const int result = onConnect ? onConnect(socket, remote, cancel) : 0;
    std::lock_guard lock(mutex_);
    // The connect must still own an open descriptor when it returns.
    Record(result == 0 ? "connected" : "connect failed", socket);
    return result;
  }

  SocketResult Send(SocketHandle socket, const std::uint8_t* bytes, int count) override {
    std::lock_guard lock(mutex_);
    if (!Record("send", socket)) return {0, wsa::kNotSocket};
    const int n = std::min(count, maxSendPerCall);
    if (sendErrorAfterBytes >= 0 && static_cast<int>(sent.size()) + n > sendErrorAfterBytes) {
      return {0, wsa::kConnReset};
    }
    sent.insert(sent.end(), bytes, bytes + n);
    return {n, 0};
  }

  SocketResult Receive(SocketHandle socket, std::uint8_t* buffer, int count, bool peek) override {
    std::lock_guard lock(mutex_);
    if (!Record(peek ? "peek" : "receive", socket)) return {0, wsa::kNotSocket};
    (peek ? peekCounts : receiveCounts).push_back(count);
    if (incoming.empty()) return peerClosed ? SocketResult{0, 0} : SocketResult{0, wsa::kTimedOut};
    Segment& next = incoming.front();
    if (next.error != 0) {
      const int error = next.error;
      if (!peek) incoming.pop_front();
      return {0, error};
    }
    const int n = std::min(count, static_cast<int>(next.bytes.size()));
    std::copy_n(next.bytes.begin(), n, buffer);
    if (!peek) {
      next.bytes.erase(next.bytes.begin(), next.bytes.begin() + n);
      if (next.bytes.empty()) incoming.pop_front();
    }
    return {n, 0};
  }

  int Close(SocketHandle socket) override {
    std::lock_guard lock(mutex_);
    if (!Record("close", socket)) return wsa::kNotSocket;
    open_.erase(socket);
    return 0;
  }

 private:
  // False (and counted as misuse) for a handle that is not open.
  bool Record(const char* what, SocketHandle handle) {
    log.push_back(std::string(what) + " " + std::to_string(handle));
    if (open_.count(handle) != 0) return true;
    ++misuse;
    return false;
  }

  std::mutex mutex_;
  std::set<SocketHandle> open_;
  int next_ = 100;
};

// Collects the commands the client posts, from whatever thread.
class PostedEvents {
 public:
  EventPoster Poster() {
    return [this](int command) {
      std::lock_guard lock(mutex_);
      commands_.push_back(command);
      changed_.notify_all();
    };
  }
  // Waits (real time, a generous bound) until `count` commands have been posted.
  bool WaitFor(std::size_t count, int ms = 5000) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(ms),
                             [&] { return commands_.size() >= count; });
  }
  std::vector<int> Commands() {
    std::lock_guard lock(mutex_);
    return commands_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<int> commands_;
};

}  // namespace zemra::test
