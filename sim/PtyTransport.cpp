#include "sim/PtyTransport.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "sim/Replies.h"

namespace zemra::sim {
namespace {

// Output that the other side does not read is dropped past this much.
constexpr std::size_t kMaxPending = 64 * 1024;

std::string Errno(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

}  // namespace

PtyTransport::PtyTransport(Reactor& reactor, Thermometer& model, FaultPlan& faults,
                           Recorder& recorder, std::string linkPath)
    : reactor_(reactor),
      model_(model),
      faults_(faults),
      recorder_(recorder),
      linkPath_(std::move(linkPath)) {}

PtyTransport::~PtyTransport() {
  if (master_.Valid()) reactor_.Unwatch(master_.Get());
  if (!linkMade_) return;
  // Remove the link only while it still names one of our devices.
  char target[256] = {};
  const ssize_t n = ::readlink(linkPath_.c_str(), target, sizeof target - 1);
  if (n > 0 && std::strncmp(target, "/dev/pts/", 9) == 0) ::unlink(linkPath_.c_str());
}

bool PtyTransport::Open(std::string& error) {
  return CreatePty(error) && PointLink(error);
}

bool PtyTransport::CreatePty(std::string& error) {
  Fd master(::posix_openpt(O_RDWR | O_NOCTTY));
  if (!master.Valid()) return error = Errno("posix_openpt"), false;
  if (::grantpt(master.Get()) != 0 || ::unlockpt(master.Get()) != 0) {
    return error = Errno("grantpt/unlockpt"), false;
  }
  const char* name = ::ptsname(master.Get());
  if (name == nullptr) return error = Errno("ptsname"), false;
  Fd slave(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
  if (!slave.Valid()) return error = Errno(std::string("open ") + name), false;
  // Raw from the start: a line in its default cooked mode would echo our replies back to us.
  termios tio{};
  if (::tcgetattr(slave.Get(), &tio) == 0) {
    ::cfmakeraw(&tio);
    ::tcsetattr(slave.Get(), TCSANOW, &tio);
  }
  if (!MakeNonBlocking(master.Get())) return error = Errno("fcntl"), false;
  {
    std::lock_guard lock(deviceMutex_);
    device_ = name;
  }
  master_ = std::move(master);
  slave_ = std::move(slave);
  decoder_ = FrameDecoder{};
  pending_.clear();
  Watch();
  return true;
}

bool PtyTransport::PointLink(std::string& error) {
  struct stat st {};
  if (::lstat(linkPath_.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
    error = linkPath_ + " exists and is not a symbolic link; not replacing it";
    return false;
  }
  // A fresh link under a temporary name, renamed over the old one: never a moment without it.
  const std::string temporary = linkPath_ + ".zemrasim-new";
  ::unlink(temporary.c_str());
  if (::symlink(DevicePath().c_str(), temporary.c_str()) != 0) {
    return error = Errno("symlink " + temporary), false;
  }
  if (::rename(temporary.c_str(), linkPath_.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return error = Errno("rename to " + linkPath_), false;
  }
  linkMade_ = true;
  return true;
}

std::string PtyTransport::DevicePath() const {
  std::lock_guard lock(deviceMutex_);
  return device_;
}

void PtyTransport::Watch() {
  const short events = pending_.empty() ? POLLIN : POLLIN | POLLOUT;
  reactor_.Watch(master_.Get(), events, [this](short revents) { OnReadable(revents); });
}

void PtyTransport::OnReadable(short revents) {
  if (revents & POLLOUT) Flush();
  if (!(revents & (POLLIN | POLLHUP | POLLERR))) return;
  char buffer[4096];
  const ssize_t n = ::read(master_.Get(), buffer, sizeof buffer);
  if (n <= 0) return;  // EAGAIN, or EIO while nobody holds the line: both pass
  std::vector<Frame> frames;
  decoder_.Feed(buffer, static_cast<std::size_t>(n), frames);
  for (const Frame& frame : frames) {
    if (!master_.Valid()) break;  // a hang-up fault took the device away
    Serve(frame);
  }
}

void PtyTransport::Serve(const Frame& frame) {
  recorder_.Add(RecordEntry{{}, 0, "pty", "", FrameKindName(frame.kind), frame.command, frame.raw});
  const Faults faults = faults_.Get();
  for (Outgoing& out : Answer(frame, model_, faults, false)) {
    if (out.delay.count() == 0) {
      Send(out.bytes);
      continue;
    }
    reactor_.After(out.delay, [this, gen = generation_, bytes = std::move(out.bytes)] {
      if (gen == generation_ && master_.Valid()) Send(bytes);
    });
  }
  ++framesSeen_;
  if (faults.hangUpAfterFrames > 0 && framesSeen_ >= faults.hangUpAfterFrames) {
    framesSeen_ = 0;
    HangUp(faults.hangUpMs);
  }
}

void PtyTransport::Send(const std::string& bytes) {
  if (pending_.size() + bytes.size() > kMaxPending) return;
  pending_ += bytes;
  Flush();
}

void PtyTransport::Flush() {
  while (!pending_.empty()) {
    const ssize_t n = ::write(master_.Get(), pending_.data(), pending_.size());
    if (n <= 0) break;
    pending_.erase(0, static_cast<std::size_t>(n));
  }
  Watch();
}

void PtyTransport::HangUp(int reopenMs) {
  if (!master_.Valid()) return;
  ++generation_;
  // Forgotten before the device goes, so whoever sees the hang-up never finds the old path.
  {
    std::lock_guard lock(deviceMutex_);
    device_.clear();
  }
  reactor_.Unwatch(master_.Get());
  master_.Reset();
  slave_.Reset();
  if (reopenMs >= 0) reactor_.After(std::chrono::milliseconds(reopenMs), [this] { Reopen(); });
}

void PtyTransport::Reopen() {
  std::string error;
  if (!CreatePty(error) || !PointLink(error)) {
    // Try again later rather than leave the line dead for good.
    reactor_.After(std::chrono::milliseconds(1000), [this] { Reopen(); });
    return;
  }
  if (deviceChanged_) deviceChanged_(DevicePath());
}

}  // namespace zemra::sim
