#include "AddpResponder.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

namespace zemra::test {

namespace {

int BoundSocket(std::uint32_t hostAddress, bool shared) {
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  const int on = 1;
  // Every responder listens on the broadcast address; each needs its own share of it.
  if (shared) setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(hostAddress);
  address.sin_port = htons(2362);
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

bool AsksFor(const std::vector<std::uint8_t>& bytes, const std::array<std::uint8_t, 6>& mac) {
  if (bytes.size() != 14 || bytes[4] != 0 || bytes[5] != 1) return false;
  const bool all = std::all_of(bytes.begin() + 8, bytes.end(), [](auto b) { return b == 0xFF; });
  return all || std::equal(mac.begin(), mac.end(), bytes.begin() + 8);
}

}  // namespace

AddpResponder::AddpResponder(std::uint32_t hostAddress, AddpUnit unit, AddpBehaviour behaviour)
    : unit_(unit), behaviour_(std::move(behaviour)) {
  broadcastFd_ = BoundSocket(0x7FFFFFFF, true);
  unitFd_ = BoundSocket(hostAddress, false);
  if (Ready()) thread_ = std::thread([this] { Run(); });
}

AddpResponder::~AddpResponder() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (broadcastFd_ >= 0) close(broadcastFd_);
  if (unitFd_ >= 0) close(unitFd_);
}

std::vector<AddpResponder::Request> AddpResponder::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void AddpResponder::Run() {
  std::vector<std::uint8_t> buffer(65536);
  auto nextRepeat = std::chrono::steady_clock::now();
  while (!stop_) {
    pollfd fds[] = {{broadcastFd_, POLLIN, 0}, {unitFd_, POLLIN, 0}};
    poll(fds, 2, 5);
    for (const pollfd& fd : fds) {
      if ((fd.revents & POLLIN) == 0) continue;
      Request request;
      socklen_t size = sizeof request.from;
      const ssize_t length = recvfrom(fd.fd, buffer.data(), buffer.size(), 0,
                                      reinterpret_cast<sockaddr*>(&request.from), &size);
      if (length < 0) continue;
      request.bytes.assign(buffer.begin(), buffer.begin() + length);
      request.broadcast = fd.fd == broadcastFd_;
      request.at = std::chrono::steady_clock::now();
      {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
      }
      Answer(request);
    }
    if (repeating_ && std::chrono::steady_clock::now() >= nextRepeat) {
      SendTo(repeatTo_, AddpReply(unit_));
      nextRepeat = std::chrono::steady_clock::now() + behaviour_.repeatEvery;
    }
  }
}

void AddpResponder::Answer(const Request& request) {
  const std::vector<std::uint8_t>& bytes = request.bytes;
  if (bytes.size() >= 8 && (bytes[5] == 3 || bytes[5] == 5)) {
    // Configuration and reboot are acknowledged with the next message type.
    SendTo(request.from, {'D', 'I', 'G', 'I', 0, static_cast<std::uint8_t>(bytes[5] + 1), 0, 0});
    return;
  }
  if (!AsksFor(bytes, unit_.mac)) return;
  for (const auto& datagram : behaviour_.before) SendTo(request.from, datagram);
  SendTo(request.from, AddpReply(unit_));
  for (const AddpUnit& other : behaviour_.alsoAnswerFor) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    SendTo(request.from, AddpReply(other));
  }
  if (behaviour_.repeatEvery.count() > 0) {
    repeating_ = true;
    repeatTo_ = request.from;
  }
}

void AddpResponder::SendTo(const sockaddr_in& to, const std::vector<std::uint8_t>& bytes) const {
  sendto(unitFd_, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

}  // namespace zemra::test
