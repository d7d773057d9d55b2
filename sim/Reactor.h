#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include "sim/Fd.h"

namespace zemra::sim {

using SteadyTime = std::chrono::steady_clock::time_point;

// The simulator's one event loop: every socket, the pty and every delayed reply are served on
// a single thread, so the transports need no locks of their own. Other threads talk to it only
// through Post(), which wakes the loop.
class Reactor {
 public:
  using FdHandler = std::function<void(short revents)>;
  using Task = std::function<void()>;
  using TimerId = std::uint64_t;

  Reactor();
  Reactor(const Reactor&) = delete;
  Reactor& operator=(const Reactor&) = delete;

  bool Ok() const { return wakeRead_.Valid(); }

  // Loop thread only.
  void Watch(int fd, short events, FdHandler handler);
  void Unwatch(int fd);
  TimerId After(std::chrono::milliseconds delay, Task task);
  void Cancel(TimerId id);

  // Any thread: runs `task` on the loop thread soon.
  void Post(Task task);
  // Any thread: makes Run() return after the current round.
  void Quit();

  // Serves until Quit().
  void Run();

 private:
  struct Watched {
    short events;
    FdHandler handler;
  };
  void RunDueTimers();
  void RunPosted();
  int PollTimeoutMs() const;

  Fd wakeRead_;
  Fd wakeWrite_;
  std::map<int, Watched> watched_;
  std::multimap<SteadyTime, std::pair<TimerId, Task>> timers_;
  TimerId nextTimer_ = 1;
  std::mutex postMutex_;
  std::vector<Task> posted_;
  bool quit_ = false;  // guarded by postMutex_
};

}  // namespace zemra::sim
