#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <limits>
#include <system_error>

#include "platform/SerialBackend.h"
#include "platform/TermiosSettings.h"

namespace zemra {

namespace {

using SteadyTime = std::chrono::steady_clock::time_point;
using std::chrono::milliseconds;

constexpr SteadyTime kNoDeadline = SteadyTime::max();

// Waits until `fd` is ready for `events` or `deadline` passes. Returns the poll events seen,
// 0 on time-out, or -1 with errno set.
int WaitReady(int fd, short events, SteadyTime deadline) {
  pollfd entry{fd, events, 0};
  for (;;) {
    timespec limit{};
    timespec* limitPtr = nullptr;
    if (deadline != kNoDeadline) {
      const auto left = std::max(deadline - std::chrono::steady_clock::now(),
                                 std::chrono::steady_clock::duration::zero());
      const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
      limit.tv_sec = static_cast<time_t>(ns / 1000000000);
      limit.tv_nsec = static_cast<long>(ns % 1000000000);
      limitPtr = &limit;
    }
    const int ready = ::ppoll(&entry, 1, limitPtr, nullptr);
    if (ready >= 0) return ready == 0 ? 0 : entry.revents;
    if (errno != EINTR) return -1;
  }
}

// Removes the NUL bytes from `bytes`; returns how many bytes are left.
std::size_t DropNulls(std::uint8_t* bytes, std::size_t count) {
  return static_cast<std::size_t>(std::remove(bytes, bytes + count, 0) - bytes);
}

SteadyTime DeadlineAfter(SteadyTime start, std::uint64_t ms) {
  return start + milliseconds(static_cast<milliseconds::rep>(ms));
}

// The serial line on termios.
//
// Time-outs keep the meaning they have on the thermometer's original host, where the link's
// timing was set: a read ends when `count` bytes have come, when the interval time-out passes
// after the last byte once one has come, or when multiplier * count + constant has passed since
// it began, whichever is first (a zero time-out is not used). The driver itself never waits
// (VMIN = VTIME = 0); the deadlines are kept here on the steady clock.
//
// Three line flags have no termios counterpart and are done here:
// - discardNull: NUL bytes are removed from what a read returns, before it is counted.
// - abortOnError: the driver's framing, parity, overrun and break counters (TIOCGICOUNT) are
//   taken when the state is applied; once any of them rises, every read and write fails with
//   EIO until the port is closed. A driver without those counters (a pty) has no line errors
//   to report.
// - dtrHandshake: DTR is raised when the state is applied and stays up while the port is open;
//   the kernel's input buffer (4 KiB and more) never fills with this protocol's replies, which
//   is the one time a handshaking DTR would drop. HUPCL drops it on close. Drivers without
//   modem lines (a pty) simply have no DTR.
class TermiosBackend final : public SerialBackend {
 public:
  ~TermiosBackend() override {
    if (fd_ >= 0) ::close(fd_);
  }

  bool Open(const std::string& device) override {
    if (fd_ >= 0) return Fail(EBUSY);
    // O_NOCTTY: a serial line must never become our controlling terminal. O_NONBLOCK: do not
    // wait for carrier on open; reads and writes wait on their own deadlines.
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return Fail(errno);
    int error = 0;
    if (!::isatty(fd)) {
      error = ENOTTY;
    } else if (::ioctl(fd, TIOCEXCL) != 0) {
      error = errno;
    } else if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      // TIOCEXCL keeps out other opens, except by a privileged process; the lock keeps out
      // any other program that locks the device too.
      error = errno == EWOULDBLOCK ? EBUSY : errno;
    }
    if (error != 0) {
      ::close(fd);
      return Fail(error);
    }
    fd_ = fd;
    flags_ = {};
    timeouts_ = {};
    countersKnown_ = false;
    faulted_ = false;
    return true;
  }

  bool Close() override {
    if (fd_ < 0) return Fail(EBADF);
    const int fd = fd_;
    fd_ = -1;  // the descriptor is gone whatever close() reports
    if (::close(fd) != 0 && errno != EINTR) return Fail(errno);
    return true;
  }

  bool GetState(LineSettings& settings) override {
    termios tio{};
    if (fd_ < 0) return Fail(EBADF);
    if (::tcgetattr(fd_, &tio) != 0) return Fail(errno);
    LineSettings read = FromTermios(tio);
    read.discardNull = flags_.discardNull;
    read.abortOnError = flags_.abortOnError;
    read.dtrHandshake = flags_.dtrHandshake;
    settings = read;
    return true;
  }

  bool SetState(const LineSettings& settings) override {
    termios tio{};
    if (fd_ < 0) return Fail(EBADF);
    if (::tcgetattr(fd_, &tio) != 0) return Fail(errno);
    if (!ToTermios(settings, tio)) return Fail(EINVAL);
    if (::tcsetattr(fd_, TCSANOW, &tio) != 0) return Fail(errno);
    // tcsetattr succeeds when any part of the change took; read back what matters.
    termios now{};
    if (::tcgetattr(fd_, &now) != 0) return Fail(errno);
    const LineSettings took = FromTermios(now);
    if (took.baudRate != settings.baudRate || took.dataBits != settings.dataBits ||
        took.parity != settings.parity || took.stopBits != settings.stopBits) {
      return Fail(EINVAL);
    }
    flags_ = settings;
    if (settings.dtrHandshake) {
      int lines = TIOCM_DTR;
      ::ioctl(fd_, TIOCMBIS, &lines);  // no modem lines (a pty) is not a failure
    }
    countersKnown_ = ::ioctl(fd_, TIOCGICOUNT, &counters_) == 0;
    return true;
  }

  bool GetTimeouts(PortTimeouts& timeouts) override {
    if (fd_ < 0) return Fail(EBADF);
    timeouts = timeouts_;
    return true;
  }

  bool SetTimeouts(const PortTimeouts& timeouts) override {
    if (fd_ < 0) return Fail(EBADF);
    timeouts_ = timeouts;
    return true;
  }

  bool PurgeInput() override { return Flush(TCIFLUSH); }
  bool PurgeOutput() override { return Flush(TCOFLUSH); }

  bool Read(std::uint8_t* buffer, std::size_t count, std::size_t& got) override;
  bool Write(const std::uint8_t* bytes, std::size_t count, std::size_t& written) override;

  std::string LastErrorText() override { return std::system_category().message(error_); }

 private:
  bool Fail(int error) {
    error_ = error;
    return false;
  }

  bool Flush(int queue) {
    if (fd_ < 0) return Fail(EBADF);
    return ::tcflush(fd_, queue) == 0 || Fail(errno);
  }

  // True once the line has reported an error while abortOnError is set.
  bool LineFaulted() {
    if (faulted_ || !flags_.abortOnError || !countersKnown_) return faulted_;
    serial_icounter_struct now{};
    if (::ioctl(fd_, TIOCGICOUNT, &now) != 0) return false;
    faulted_ = now.frame != counters_.frame || now.parity != counters_.parity ||
               now.overrun != counters_.overrun || now.brk != counters_.brk ||
               now.buf_overrun != counters_.buf_overrun;
    return faulted_;
  }

  SteadyTime ReadDeadline(SteadyTime start, std::size_t count, std::size_t got,
                          SteadyTime lastByte) const;
  std::uint64_t ReadIntervalMs() const;

  int fd_ = -1;
  int error_ = 0;
  LineSettings flags_;
  PortTimeouts timeouts_;
  serial_icounter_struct counters_{};
  bool countersKnown_ = false;
  bool faulted_ = false;
};

SteadyTime TermiosBackend::ReadDeadline(SteadyTime start, std::size_t count, std::size_t got,
                                        SteadyTime lastByte) const {
  SteadyTime deadline = kNoDeadline;
  if (timeouts_.readTotalMultiplier != 0 || timeouts_.readTotalConstant != 0) {
    deadline = DeadlineAfter(
        start, std::uint64_t{timeouts_.readTotalMultiplier} * count + timeouts_.readTotalConstant);
  }
  if (got > 0 && timeouts_.readInterval != 0) {
    deadline = std::min(deadline, DeadlineAfter(lastByte, ReadIntervalMs()));
  }
  return deadline;
}

std::uint64_t TermiosBackend::ReadIntervalMs() const {
  // The link asks for a 1 ms gap between bytes, but at 9600 baud one character alone takes
  // 1.04 ms on the wire: a reply still arriving would be cut at its first byte gap (a 131-byte
  // information text read as 86 bytes, and the unit's range lost with it). The gap is never
  // shorter than three character times (10 bits each) at the line's speed; at 38400 baud and
  // above that is the 1 ms asked for.
  const std::uint32_t baud = flags_.baudRate == 0 ? 9600 : flags_.baudRate;
  const std::uint64_t threeCharacters = (30'000 + baud - 1) / baud;
  return std::max<std::uint64_t>(timeouts_.readInterval, threeCharacters);
}

bool TermiosBackend::Read(std::uint8_t* buffer, std::size_t count, std::size_t& got) {
  got = 0;
  if (fd_ < 0) return Fail(EBADF);
  if (LineFaulted()) return Fail(EIO);
  // An interval time-out of all ones with no total time-out means: take what is there.
  const bool noWait = timeouts_.readInterval == std::numeric_limits<std::uint32_t>::max() &&
                      timeouts_.readTotalMultiplier == 0 && timeouts_.readTotalConstant == 0;
  const SteadyTime start = std::chrono::steady_clock::now();
  SteadyTime lastByte = start;
  bool hungUp = false;
  while (got < count) {
    const ssize_t n = ::read(fd_, buffer + got, count - got);
    if (n > 0) {
      const auto arrived = static_cast<std::size_t>(n);
      got += flags_.discardNull ? DropNulls(buffer + got, arrived) : arrived;
      lastByte = std::chrono::steady_clock::now();
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) return got > 0 || Fail(errno);
    // A hung-up line (a pty whose far end closed, an unplugged adapter) stays readable with
    // nothing to read; waiting on it would spin until the deadline.
    if (hungUp) return got > 0 || Fail(EIO);
    const SteadyTime deadline = ReadDeadline(start, count, got, lastByte);
    if (noWait || std::chrono::steady_clock::now() >= deadline) break;
    const int ready = WaitReady(fd_, POLLIN, deadline);
    if (ready < 0) return Fail(errno);
    hungUp = (ready & (POLLHUP | POLLERR | POLLNVAL)) != 0;
  }
  if (LineFaulted()) return Fail(EIO);
  return true;
}

bool TermiosBackend::Write(const std::uint8_t* bytes, std::size_t count, std::size_t& written) {
  written = 0;
  if (fd_ < 0) return Fail(EBADF);
  if (LineFaulted()) return Fail(EIO);
  SteadyTime deadline = kNoDeadline;
  if (timeouts_.writeTotalMultiplier != 0 || timeouts_.writeTotalConstant != 0) {
    deadline = DeadlineAfter(
        std::chrono::steady_clock::now(),
        std::uint64_t{timeouts_.writeTotalMultiplier} * count + timeouts_.writeTotalConstant);
  }
  // The write is over once the driver holds every byte; it does not wait for the last one to
  // leave the wire (the link waits on its own before reading the reply).
  while (written < count) {
    const ssize_t n = ::write(fd_, bytes + written, count - written);
    if (n > 0) {
      written += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) return Fail(errno);
    // A write time-out is not a failure: the caller learns from the count what the line took.
    if (std::chrono::steady_clock::now() >= deadline) break;
    const int ready = WaitReady(fd_, POLLOUT, deadline);
    if (ready < 0) return Fail(errno);
    if ((ready & (POLLHUP | POLLERR | POLLNVAL)) && !(ready & POLLOUT)) return Fail(EIO);
  }
  return true;
}

}  // namespace

std::unique_ptr<SerialBackend> MakeTermiosBackend() {
  return std::make_unique<TermiosBackend>();
}

}  // namespace zemra
