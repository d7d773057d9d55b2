// The Ethernet client's reply assembly, fed from a fake socket: the input is cut into the
// segments that successive receive calls return (each segment's first byte gives its length;
// 0xFF stands for a time-out, 0xFE for a peer that closed).
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "net/CLWSocket.h"
#include "net/ReplyReader.h"
#include "platform/Socket.h"

namespace {

class NoWaitClock final : public zemra::Clock {
 public:
  std::uint32_t TickCount() override { return now_; }
  void SleepFor(std::uint32_t ms) override { now_ += ms; }

 private:
  std::uint32_t now_ = 0;
};

struct Segment {
  std::vector<std::uint8_t> bytes;
  int error = 0;  // WinSock number, or 0
};

class ScriptedSocket final : public zemra::SocketApi {
 public:
  explicit ScriptedSocket(std::vector<Segment> segments) : segments_(std::move(segments)) {}

  zemra::SocketResult CreateTcp() override { return {3, 0}; }
  int SetTimeouts(zemra::SocketHandle, std::uint32_t, std::uint32_t) override { return 0; }
  int SetLinger(zemra::SocketHandle, bool, std::uint16_t) override { return 0; }
  int SetNoDelay(zemra::SocketHandle, bool) override { return 0; }
  int Connect(zemra::SocketHandle, const zemra::Ipv4Endpoint&,
              const zemra::ConnectCancel&) override {
    return 0;
  }
  zemra::SocketResult Send(zemra::SocketHandle, const std::uint8_t*, int count) override {
    return {count, 0};
  }
  zemra::SocketResult Receive(zemra::SocketHandle, std::uint8_t* buffer, int count,
                              bool peek) override {
    if (count < 0) __builtin_trap();
    if (next_ >= segments_.size()) return {0, zemra::wsa::kTimedOut};
    Segment& segment = segments_[next_];
    if (segment.error != 0) {
      if (!peek) ++next_;
      return {0, segment.error};
    }
    const std::size_t n = std::min<std::size_t>(segment.bytes.size(), static_cast<std::size_t>(count));
    if (n > 0) std::memcpy(buffer, segment.bytes.data(), n);
    if (!peek) {
      segment.bytes.erase(segment.bytes.begin(), segment.bytes.begin() + static_cast<long>(n));
      if (segment.bytes.empty()) ++next_;
    }
    return {static_cast<int>(n), 0};
  }
  int Close(zemra::SocketHandle) override { return 0; }

 private:
  std::vector<Segment> segments_;
  std::size_t next_ = 0;
};

std::vector<Segment> CutIntoSegments(const std::uint8_t* data, std::size_t size) {
  std::vector<Segment> segments;
  std::size_t at = 0;
  while (at < size) {
    const std::uint8_t head = data[at++];
    if (head == 0xFF) {
      segments.push_back({{}, zemra::wsa::kTimedOut});
    } else if (head == 0xFE) {
      segments.push_back({{}, 0});  // an empty segment reads as 0 bytes: the peer closed
    } else {
      const std::size_t n = std::min<std::size_t>(head, size - at);
      segments.push_back({std::vector<std::uint8_t>(data + at, data + at + n), 0});
      at += n;
    }
  }
  return segments;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  // The first two bytes choose the size the caller asks for, 1 to 5000.
  const int wanted = 1 + (data[0] << 8 | data[1]) % zemra::kReplyBufferSize;
  ScriptedSocket sockets(CutIntoSegments(data + 2, size - 2));
  NoWaitClock clock;
  // Guard bytes behind the caller's buffer catch any write past its end.
  std::array<std::uint8_t, zemra::kReplyBufferSize + 64> buffer{};
  buffer.fill(0xA5);
  const int count = zemra::ReadReply(sockets, 3, clock, buffer.data(), wanted);
  for (std::size_t i = zemra::kReplyBufferSize; i < buffer.size(); ++i) {
    if (buffer[i] != 0xA5) __builtin_trap();
  }
  if (count < -1 || count > zemra::kReplyBufferSize) __builtin_trap();
  if (count > 0 && buffer[static_cast<std::size_t>(count) - 1] != 0x03) __builtin_trap();
  return 0;
}
