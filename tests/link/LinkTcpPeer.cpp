#include "LinkTcpPeer.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace zemra::test {

namespace {

using SteadyTime = std::chrono::steady_clock;

sockaddr_in Endpoint(const std::string& address, std::uint16_t port) {
  sockaddr_in endpoint{};
  endpoint.sin_family = AF_INET;
  endpoint.sin_port = htons(port);
  if (inet_pton(AF_INET, address.c_str(), &endpoint.sin_addr) != 1) {
    throw std::runtime_error("bad peer address " + address);
  }
  return endpoint;
}

bool SameEndpoint(const sockaddr_in& a, const sockaddr_in& b) {
  return a.sin_port == b.sin_port && a.sin_addr.s_addr == b.sin_addr.s_addr;
}

}  // namespace

LinkTcpPeer::LinkTcpPeer(const std::string& address, std::uint16_t port)
    : address_(address), port_(port) {
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int yes = 1;
  ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  const sockaddr_in endpoint = Endpoint(address, port);
  if (::bind(listener_, reinterpret_cast<const sockaddr*>(&endpoint), sizeof endpoint) != 0 ||
      ::listen(listener_, 4) != 0) {
    throw std::runtime_error("peer cannot listen on " + address + ": " + std::strerror(errno));
  }
}

LinkTcpPeer::~LinkTcpPeer() {
  Drop();
  if (listener_ >= 0) ::close(listener_);
}

bool LinkTcpPeer::Accept() {
  pollfd waiting{listener_, POLLIN, 0};
  if (::poll(&waiting, 1, 2000) != 1) return false;
  Drop();
  connection_ = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
  if (connection_ < 0) return false;
  clientFd_ = FindClientSocket();
  pending_.clear();
  return clientFd_ >= 0;
}

void LinkTcpPeer::Drop() {
  for (std::thread& sender : senders_) sender.join();
  senders_.clear();
  if (connection_ >= 0) ::close(connection_);
  connection_ = -1;
  clientFd_ = -1;
}

// The link's socket lives in this process; find it by its endpoints so that its send queue
// can be watched.
int LinkTcpPeer::FindClientSocket() const {
  sockaddr_in client{};
  socklen_t length = sizeof client;
  if (::getpeername(connection_, reinterpret_cast<sockaddr*>(&client), &length) != 0) return -1;
  const sockaddr_in server = Endpoint(address_, port_);
  DIR* fds = ::opendir("/proc/self/fd");
  if (!fds) return -1;
  int found = -1;
  while (const dirent* entry = ::readdir(fds)) {
    const int fd = std::atoi(entry->d_name);
    if (fd <= 2 || fd == connection_ || fd == listener_ || fd == ::dirfd(fds)) continue;
    sockaddr_in local{}, remote{};
    socklen_t localLength = sizeof local, remoteLength = sizeof remote;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localLength) == 0 &&
        ::getpeername(fd, reinterpret_cast<sockaddr*>(&remote), &remoteLength) == 0 &&
        local.sin_family == AF_INET && SameEndpoint(local, client) &&
        SameEndpoint(remote, server)) {
      found = fd;
      break;
    }
  }
  ::closedir(fds);
  return found;
}

// Once the link's send queue is empty every byte it sent has been acknowledged, so it is in
// this side's receive queue. The link may have closed or replaced its socket meanwhile.
void LinkTcpPeer::WaitUntilDelivered() {
  const auto deadline = SteadyTime::now() + std::chrono::seconds(2);
  while (SteadyTime::now() < deadline) {
    int queued = 0;
    if (::ioctl(clientFd_, SIOCOUTQ, &queued) != 0 || queued == 0) return;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
}

void LinkTcpPeer::Sync(const std::function<void(const Frame&)>& onFrame) {
  if (connection_ < 0) return;
  WaitUntilDelivered();
  std::uint8_t chunk[4096];
  for (;;) {
    const ssize_t got = ::recv(connection_, chunk, sizeof chunk, MSG_DONTWAIT);
    if (got <= 0) break;
    pending_.insert(pending_.end(), chunk, chunk + got);
  }
  const int quick = 1;
  ::setsockopt(connection_, IPPROTO_TCP, TCP_QUICKACK, &quick, sizeof quick);
  // A frame runs from STX to the first ETX after the address byte; read and probe frames carry
  // one zero byte behind it.
  for (;;) {
    std::size_t etx = 2;
    while (etx < pending_.size() && pending_[etx] != kEtx) ++etx;
    if (etx >= pending_.size()) break;
    std::size_t end = etx + 1;
    if (end < pending_.size() && pending_[end] == 0) ++end;
    const Frame frame(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(end));
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(end));
    onFrame(frame);
    Respond(frame);
  }
}

void LinkTcpPeer::Respond(const Frame& frame) {
  if (!responder_) return;
  const LinkTcpPeer::Answer answer = responder_(frame);
  if (answer.pieces.empty()) {
    if (answer.closeAfter) ::shutdown(connection_, SHUT_RDWR);
    return;
  }
  const std::string& first = answer.pieces.front();
  ::send(connection_, first.data(), first.size(), MSG_NOSIGNAL);
  if (answer.pieces.size() == 1) {
    if (answer.closeAfter) ::shutdown(connection_, SHUT_RDWR);
    return;
  }
  const int fd = connection_;
  senders_.emplace_back([fd, answer] {
    for (std::size_t i = 1; i < answer.pieces.size(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(answer.pieceGapMs));
      ::send(fd, answer.pieces[i].data(), answer.pieces[i].size(), MSG_NOSIGNAL);
    }
    if (answer.closeAfter) ::shutdown(fd, SHUT_RDWR);
  });
}

std::string Describe(const std::string& bytes) {
  std::string text;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && c != '<') {
      text.push_back(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "<%02x>", byte);
      text += hex;
    }
  }
  return text;
}

std::string Describe(const Frame& frame) {
  return Describe(std::string(frame.begin(), frame.end()));
}

}  // namespace zemra::test
