#pragma once

// A tiny client of the thermometer protocol, written from the frame layout alone, so the
// simulator is tested against something other than the program's own link code.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>

namespace zemra::simtest {

inline std::string ReadFrame(const std::string& command, std::uint8_t address = 1) {
  return std::string{'\x02', static_cast<char>(address)} + "RA" + command + '\x03' + '\0';
}
inline std::string SetFrame(const std::string& mnemonic, const std::string& value,
                            std::uint8_t address = 1) {
  return std::string{'\x02', static_cast<char>(address)} + "SA" + mnemonic + " " + value + '\x03';
}
inline std::string ProbeFrame(std::uint8_t address = 1) {
  return std::string{'\x02', static_cast<char>(address), '\x03', '\0'};
}

// The text of a reply: without STX and address byte, without the trailing CR, LF and ETX.
inline std::string ReplyText(std::string reply) {
  if (!reply.empty() && reply[0] == '\x02') reply.erase(0, std::min<std::size_t>(2, reply.size()));
  while (!reply.empty() &&
         (reply.back() == '\r' || reply.back() == '\n' || reply.back() == '\x03')) {
    reply.pop_back();
  }
  return reply;
}

class Stream {
 public:
  Stream() = default;
  explicit Stream(int fd) : fd_(fd) {}
  ~Stream() {
    if (fd_ >= 0) ::close(fd_);
  }
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;
  Stream(Stream&& o) noexcept : fd_(o.fd_) { o.fd_ = -1; }

  static Stream Tcp(const std::string& address, std::uint16_t port = 2101) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    ::inet_pton(AF_INET, address.c_str(), &addr.sin_addr);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
      ::close(fd);
      return Stream{};
    }
    return Stream{fd};
  }

  static Stream Pty(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return Stream{};
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd, TCSANOW, &tio);
    return Stream{fd};
  }

  bool Ok() const { return fd_ >= 0; }
  int Get() const { return fd_; }

  bool Send(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
      if (n <= 0) return false;
      done += static_cast<std::size_t>(n);
    }
    return true;
  }

  // Bytes until an ETX (included), the time-out, or the end of the stream.
  std::string ReadReply(int timeoutMs = 1000) {
    return Read(timeoutMs,
                [](const std::string& got) { return !got.empty() && got.back() == '\x03'; });
  }
  // The first bytes that arrive, as soon as they do.
  std::string ReadSome(int timeoutMs = 1000) {
    return Read(timeoutMs, [](const std::string& got) { return !got.empty(); });
  }
  // Everything that arrives within `ms`.
  std::string ReadFor(int ms) {
    return Read(ms, [](const std::string&) { return false; });
  }
  // Whether the other side closed (or hung up) within `timeoutMs`.
  bool ClosedWithin(int timeoutMs) {
    closed_ = false;
    ReadFor(timeoutMs);
    return closed_;
  }

  std::string Ask(const std::string& frame, int timeoutMs = 1000) {
    return Send(frame) ? ReadReply(timeoutMs) : std::string();
  }

 private:
  template <typename Done>
  std::string Read(int timeoutMs, Done done) {
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return got;
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) return got;
      char buffer[8192];
      const ssize_t n = ::read(fd_, buffer, sizeof buffer);
      if (n <= 0) {
        closed_ = true;
        return got;
      }
      got.append(buffer, static_cast<std::size_t>(n));
      if (done(got)) return got;
    }
  }

  int fd_ = -1;
  bool closed_ = false;
};

}  // namespace zemra::simtest
