#include "sim/Reactor.h"

#include <fcntl.h>
#include <poll.h>

#include <cerrno>

namespace zemra::sim {

bool MakeNonBlocking(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) return false;
  return ::fcntl(fd, F_SETFD, FD_CLOEXEC) == 0;
}

Reactor::Reactor() {
  int fds[2];
  if (::pipe(fds) != 0) return;
  wakeRead_.Reset(fds[0]);
  wakeWrite_.Reset(fds[1]);
  if (!MakeNonBlocking(fds[0]) || !MakeNonBlocking(fds[1])) {
    wakeRead_.Reset();
    wakeWrite_.Reset();
  }
}

void Reactor::Watch(int fd, short events, FdHandler handler) {
  watched_[fd] = Watched{events, std::move(handler)};
}

void Reactor::Unwatch(int fd) {
  watched_.erase(fd);
}

Reactor::TimerId Reactor::After(std::chrono::milliseconds delay, Task task) {
  const TimerId id = nextTimer_++;
  timers_.emplace(std::chrono::steady_clock::now() + delay, std::make_pair(id, std::move(task)));
  return id;
}

void Reactor::Cancel(TimerId id) {
  for (auto it = timers_.begin(); it != timers_.end(); ++it) {
    if (it->second.first == id) {
      timers_.erase(it);
      return;
    }
  }
}

void Reactor::Post(Task task) {
  {
    std::lock_guard lock(postMutex_);
    posted_.push_back(std::move(task));
  }
  const char byte = 1;
  // A full pipe already means a wake-up is pending.
  [[maybe_unused]] auto n = ::write(wakeWrite_.Get(), &byte, 1);
}

void Reactor::Quit() {
  Post([this] {
    std::lock_guard lock(postMutex_);
    quit_ = true;
  });
}

int Reactor::PollTimeoutMs() const {
  if (timers_.empty()) return -1;
  const auto wait = timers_.begin()->first - std::chrono::steady_clock::now();
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(wait).count();
  return ms < 0 ? 0 : static_cast<int>(ms > 60000 ? 60000 : ms);
}

void Reactor::RunDueTimers() {
  const auto now = std::chrono::steady_clock::now();
  while (!timers_.empty() && timers_.begin()->first <= now) {
    Task task = std::move(timers_.begin()->second.second);
    timers_.erase(timers_.begin());
    task();
  }
}

void Reactor::RunPosted() {
  char drain[64];
  while (::read(wakeRead_.Get(), drain, sizeof drain) > 0) {
  }
  std::vector<Task> tasks;
  {
    std::lock_guard lock(postMutex_);
    tasks.swap(posted_);
  }
  for (auto& task : tasks) task();
}

void Reactor::Run() {
  for (;;) {
    {
      std::lock_guard lock(postMutex_);
      if (quit_) return;
    }
    std::vector<pollfd> fds;
    fds.push_back({wakeRead_.Get(), POLLIN, 0});
    for (const auto& [fd, w] : watched_) fds.push_back({fd, w.events, 0});
    const int n = ::poll(fds.data(), fds.size(), PollTimeoutMs());
    if (n < 0 && errno != EINTR) return;
    if (n > 0) {
      if (fds[0].revents) RunPosted();
      for (std::size_t i = 1; i < fds.size(); ++i) {
        if (fds[i].revents == 0) continue;
        // A handler may have unwatched this fd (or others) in the meantime.
        auto it = watched_.find(fds[i].fd);
        if (it == watched_.end()) continue;
        FdHandler handler = it->second.handler;
        handler(fds[i].revents);
      }
    }
    RunDueTimers();
  }
}

}  // namespace zemra::sim
