#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace zemra::bench {

// A program run as a child process (zemrasim, so that its CPU time is never counted as ours;
// the window probe, to time a start-up from the very beginning). Destruction
// stops it (SIGTERM, then waits for it).
class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts `program` with `args` and waits until it has written `readyLines` lines to standard
  // output and `readyErrorLines` to standard error (what it prints once it serves). False, with
  // `error` set, when it cannot be started, or ends or stays silent for `timeoutMs`.
  bool Start(const std::string& program, const std::vector<std::string>& args, int readyLines,
             int readyErrorLines, std::string& error, int timeoutMs = 10000);
  void Stop();

  // The steady clock, in nanoseconds, just before the program was started.
  long long SpawnedAtNs() const { return spawnedAtNs_; }

  // What it wrote before it was ready, line by line.
  const std::vector<std::string>& OutputLines() const { return out_; }
  const std::vector<std::string>& ErrorLines() const { return err_; }

 private:
  bool AwaitReady(int outFd, int errFd, int readyLines, int readyErrorLines, int timeoutMs,
                  std::string& error);

  pid_t pid_ = -1;
  long long spawnedAtNs_ = 0;
  std::vector<std::string> out_;
  std::vector<std::string> err_;
};

}  // namespace zemra::bench
