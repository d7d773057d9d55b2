#pragma once

// A tiny ADDP client written from the datagram layout alone.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace zemra::simtest {

struct Reply {
  std::string bytes;
  std::string from;  // sender's address
};

inline std::string Dotted(const std::string& d, std::size_t at) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", static_cast<unsigned char>(d[at]),
                static_cast<unsigned char>(d[at + 1]), static_cast<unsigned char>(d[at + 2]),
                static_cast<unsigned char>(d[at + 3]));
  return text;
}

inline std::string Mac(const std::string& d, std::size_t at) {
  char text[18];
  std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X",
                static_cast<unsigned char>(d[at]), static_cast<unsigned char>(d[at + 1]),
                static_cast<unsigned char>(d[at + 2]), static_cast<unsigned char>(d[at + 3]),
                static_cast<unsigned char>(d[at + 4]), static_cast<unsigned char>(d[at + 5]));
  return text;
}

inline std::string Header(std::uint8_t type, std::uint8_t length) {
  return std::string("DIGI") + '\0' + static_cast<char>(type) + '\0' + static_cast<char>(length);
}
inline std::string DiscoveryRequest(const std::string& mac = std::string(6, '\xff')) {
  return Header(1, 6) + mac;
}
inline std::string ConfigRequest(const std::string& ip, const std::string& mask,
                                 const std::string& gateway, const std::string& mac,
                                 const std::string& password) {
  return Header(3, 23) + ip + mask + gateway + mac + '\x04' + password;
}
inline std::string RebootRequest(const std::string& mac, const std::string& password) {
  return Header(5, 11) + mac + '\x04' + password;
}

// Raw bytes of a MAC text "02:5A:..." .
inline std::string MacBytes(const std::string& text) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < text.size() + 1; i += 3) {
    bytes.push_back(static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

class Udp {
 public:
  explicit Udp(std::uint16_t localPort = 0) {
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(localPort);
    ok_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  }
  ~Udp() { ::close(fd_); }
  Udp(const Udp&) = delete;
  Udp& operator=(const Udp&) = delete;
  bool Ok() const { return ok_; }

  bool SendTo(const std::string& bytes, const std::string& address, std::uint16_t port = 2362) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    ::inet_pton(AF_INET, address.c_str(), &to.sin_addr);
    return ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to),
                    sizeof to) == static_cast<ssize_t>(bytes.size());
  }

  // Every datagram until `quietMs` pass without one.
  std::vector<Reply> Collect(int quietMs = 300) {
    std::vector<Reply> replies;
    for (;;) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, quietMs) <= 0) return replies;
      char buffer[2048];
      sockaddr_in from{};
      socklen_t length = sizeof from;
      const ssize_t n =
          ::recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
      if (n < 0) return replies;
      char text[INET_ADDRSTRLEN] = {};
      ::inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
      replies.push_back(Reply{std::string(buffer, static_cast<std::size_t>(n)), text});
    }
  }

 private:
  int fd_ = -1;
  bool ok_ = false;
};

}  // namespace zemra::simtest
