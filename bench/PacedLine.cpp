#include "bench/PacedLine.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zemra::bench {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::int64_t kBitsPerCharacter = 10;

bool MakeRaw(int fd) {
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) return false;
  ::cfmakeraw(&tio);
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  return ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) {
      pollfd entry{fd, POLLOUT, 0};
      ::poll(&entry, 1, 10);
      continue;
    }
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

PacedDirection::PacedDirection(std::uint32_t baudRate)
    : characterTime_(std::chrono::nanoseconds(kBitsPerCharacter * 1'000'000'000 / baudRate)) {}

void PacedDirection::Accept(const std::uint8_t* bytes, std::size_t count, Time now) {
  for (std::size_t i = 0; i < count; ++i) {
    lastArrival_ = std::max(lastArrival_, now) + characterTime_;
    line_.push_back(Byte{bytes[i], lastArrival_});
  }
}

std::string PacedDirection::TakeArrived(Time now) {
  std::string arrived;
  while (!line_.empty() && line_.front().arrival <= now) {
    arrived.push_back(static_cast<char>(line_.front().value));
    line_.pop_front();
  }
  return arrived;
}

PacedDirection::Time PacedDirection::NextArrival() const {
  return line_.empty() ? Time::max() : line_.front().arrival;
}

PacedLine::PacedLine(std::string farDevice, std::uint32_t baudRate)
    : farDevice_(std::move(farDevice)), toFar_(baudRate), toNear_(baudRate) {}

PacedLine::~PacedLine() {
  for (const int fd : {far_, master_, slave_}) {
    if (fd >= 0) ::close(fd);
  }
}

bool PacedLine::Open(std::string& error) {
  far_ = ::open(farDevice_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  char name[128] = {};
  if (far_ < 0 || master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
      ::ptsname_r(master_, name, sizeof name) != 0) {
    error = std::string("paced line: ") + std::strerror(errno);
    return false;
  }
  nearDevice_ = name;
  slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  // Raw from the start: a cooked line would echo what the relay writes back into it.
  if (slave_ < 0 || !MakeRaw(slave_) || !MakeRaw(far_)) {
    error = std::string("paced line: ") + std::strerror(errno);
    return false;
  }
  return true;
}

bool PacedLine::Carry(int from, PacedDirection& line) {
  std::uint8_t buffer[4096];
  for (;;) {
    const ssize_t n = ::read(from, buffer, sizeof buffer);
    if (n > 0) {
      line.Accept(buffer, static_cast<std::size_t>(n), Clock::now());
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    // A pty with nothing to read gives 0 (VMIN = VTIME = 0) or EAGAIN; EIO means its far
    // end is closed for now, which a link between two exchanges may well be.
    return n == 0 || errno == EAGAIN || errno == EIO;
  }
}

bool PacedLine::Deliver(int to, PacedDirection& line) {
  const std::string arrived = line.TakeArrived(Clock::now());
  return arrived.empty() || WriteAll(to, arrived);
}

void PacedLine::Run(const volatile std::sig_atomic_t& stop) {
  while (!stop) {
    const auto next = std::min(toFar_.NextArrival(), toNear_.NextArrival());
    timespec limit{0, 50'000'000};  // look at `stop` now and then
    if (next != PacedDirection::Time::max()) {
      const auto left = std::max(next - Clock::now(), Clock::duration::zero());
      const auto ns = std::min<std::int64_t>(
          std::chrono::duration_cast<std::chrono::nanoseconds>(left).count(), 50'000'000);
      limit = timespec{0, static_cast<long>(ns)};
    }
    pollfd fds[2] = {{master_, POLLIN, 0}, {far_, POLLIN, 0}};
    if (::ppoll(fds, 2, &limit, nullptr) < 0 && errno != EINTR) return;
    // The simulator went away: a hung-up pty stays readable for ever and would spin us.
    if ((fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) return;
    if ((fds[0].revents & POLLIN) && !Carry(master_, toFar_)) return;
    if ((fds[1].revents & POLLIN) && !Carry(far_, toNear_)) return;
    if (!Deliver(far_, toFar_) || !Deliver(master_, toNear_)) return;
  }
}

}  // namespace zemra::bench
