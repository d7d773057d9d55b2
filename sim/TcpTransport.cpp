#include "sim/TcpTransport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

#include "sim/Replies.h"

namespace zemra::sim {
namespace {

// A peer that stops reading is dropped once this much is waiting for it.
constexpr std::size_t kMaxPending = 1024 * 1024;

std::string PeerText(const sockaddr_in& addr) {
  char text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &addr.sin_addr, text, sizeof text);
  return std::string(text) + ":" + std::to_string(ntohs(addr.sin_port));
}

}  // namespace

bool IsDottedQuad(const std::string& address) {
  in_addr parsed{};
  return ::inet_pton(AF_INET, address.c_str(), &parsed) == 1;
}

bool IsLoopbackAddress(const std::string& address) {
  in_addr parsed{};
  if (::inet_pton(AF_INET, address.c_str(), &parsed) != 1) return false;
  return (ntohl(parsed.s_addr) >> 24) == 127;
}

TcpTransport::TcpTransport(Reactor& reactor, Thermometer& model, FaultPlan& faults,
                           Recorder& recorder, std::string address, std::uint16_t port)
    : reactor_(reactor),
      model_(model),
      faults_(faults),
      recorder_(recorder),
      address_(std::move(address)),
      port_(port) {}

TcpTransport::~TcpTransport() {
  Close();
}

std::string TcpTransport::Channel() const {
  return "tcp " + address_ + ":" + std::to_string(port_);
}

bool TcpTransport::Open(std::string& error) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port_);
  if (::inet_pton(AF_INET, address_.c_str(), &addr.sin_addr) != 1) {
    return error = "not an IPv4 address: " + address_, false;
  }
  Fd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  const int on = 1;
  if (!fd.Valid() || ::setsockopt(fd.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
      ::bind(fd.Get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(fd.Get(), 8) != 0 || !MakeNonBlocking(fd.Get())) {
    return error = Channel() + ": " + std::strerror(errno), false;
  }
  socklen_t length = sizeof addr;
  if (::getsockname(fd.Get(), reinterpret_cast<sockaddr*>(&addr), &length) == 0) {
    port_ = ntohs(addr.sin_port);
  }
  listener_ = std::move(fd);
  reactor_.Watch(listener_.Get(), POLLIN, [this](short) { OnAccept(); });
  return true;
}

void TcpTransport::Close() {
  if (listener_.Valid()) reactor_.Unwatch(listener_.Get());
  listener_.Reset();
  for (auto& [id, c] : connections_) reactor_.Unwatch(c->fd.Get());
  connections_.clear();
}

void TcpTransport::OnAccept() {
  sockaddr_in peer{};
  socklen_t length = sizeof peer;
  Fd fd(::accept4(listener_.Get(), reinterpret_cast<sockaddr*>(&peer), &length,
                  SOCK_NONBLOCK | SOCK_CLOEXEC));
  if (!fd.Valid()) return;
  if (connections_.size() >= kMaxConnections) return;  // closed again at once
  const int on = 1;
  ::setsockopt(fd.Get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  auto c = std::make_unique<Connection>();
  c->id = nextId_++;
  c->peer = PeerText(peer);
  c->fd = std::move(fd);
  const std::uint64_t id = c->id;
  reactor_.Watch(c->fd.Get(), POLLIN, [this, id](short revents) { OnConnection(id, revents); });
  connections_[id] = std::move(c);
}

TcpTransport::Connection* TcpTransport::Find(std::uint64_t id) {
  auto it = connections_.find(id);
  return it == connections_.end() ? nullptr : it->second.get();
}

void TcpTransport::Drop(std::uint64_t id) {
  if (Connection* c = Find(id)) {
    reactor_.Unwatch(c->fd.Get());
    connections_.erase(id);
  }
}

void TcpTransport::OnConnection(std::uint64_t id, short revents) {
  Connection* c = Find(id);
  if (c == nullptr) return;
  if (revents & POLLOUT) Flush(*c);
  if ((c = Find(id)) == nullptr || !(revents & (POLLIN | POLLHUP | POLLERR))) return;
  char buffer[4096];
  const ssize_t n = ::recv(c->fd.Get(), buffer, sizeof buffer, 0);
  if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) return Drop(id);
  if (n < 0) return;
  std::vector<Frame> frames;
  c->decoder.Feed(buffer, static_cast<std::size_t>(n), frames);
  for (const Frame& frame : frames) {
    c = Find(id);
    if (c == nullptr || c->closeWhenSent) return;
    Serve(*c, frame);
  }
}

void TcpTransport::Serve(Connection& c, const Frame& frame) {
  recorder_.Add(
      RecordEntry{{}, 0, Channel(), c.peer, FrameKindName(frame.kind), frame.command, frame.raw});
  const Faults faults = faults_.Get();
  std::vector<Outgoing> replies = Answer(frame, model_, faults, true);
  const bool closeAfter = faults.closeAfterFrames > 0 && ++c.frames >= faults.closeAfterFrames;
  if (replies.empty() && closeAfter) replies.push_back(Outgoing{});
  const std::uint64_t id = c.id;
  for (std::size_t i = 0; i < replies.size(); ++i) {
    const bool last = closeAfter && i + 1 == replies.size();
    if (replies[i].delay.count() == 0) {
      Queue(id, replies[i].bytes, last);
    } else {
      reactor_.After(replies[i].delay, [this, id, bytes = std::move(replies[i].bytes), last] {
        Queue(id, bytes, last);
      });
    }
  }
}

void TcpTransport::Queue(std::uint64_t id, const std::string& bytes, bool closeAfter) {
  Connection* c = Find(id);
  if (c == nullptr) return;
  if (c->pending.size() + bytes.size() > kMaxPending) return Drop(id);
  c->pending += bytes;
  c->closeWhenSent = c->closeWhenSent || closeAfter;
  Flush(*c);
}

void TcpTransport::Flush(Connection& c) {
  while (!c.pending.empty()) {
    const ssize_t n = ::send(c.fd.Get(), c.pending.data(), c.pending.size(), MSG_NOSIGNAL);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) break;
    if (n <= 0) return Drop(c.id);
    c.pending.erase(0, static_cast<std::size_t>(n));
  }
  if (c.pending.empty() && c.closeWhenSent) return Drop(c.id);
  const std::uint64_t id = c.id;
  const short events = c.pending.empty() ? POLLIN : POLLIN | POLLOUT;
  reactor_.Watch(c.fd.Get(), events, [this, id](short revents) { OnConnection(id, revents); });
}

}  // namespace zemra::sim
