#include "bench/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

extern char** environ;

namespace zemra::bench {

namespace {

// Splits what arrived on a pipe into lines; a partial line waits in `pending`.
void TakeLines(std::string& pending, std::vector<std::string>& lines) {
  for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
    lines.push_back(pending.substr(0, end));
    pending.erase(0, end + 1);
  }
}

// Reads what is there; false once the pipe is closed.
bool Drain(int fd, std::string& pending) {
  char buffer[4096];
  const ssize_t n = ::read(fd, buffer, sizeof buffer);
  if (n > 0) pending.append(buffer, static_cast<std::size_t>(n));
  return n > 0 || (n < 0 && errno == EINTR);
}

struct Pipe {
  int fd[2] = {-1, -1};
  ~Pipe() {
    for (const int f : fd) {
      if (f >= 0) ::close(f);
    }
  }
};

}  // namespace

ChildProcess::~ChildProcess() {
  Stop();
}

bool ChildProcess::Start(const std::string& program, const std::vector<std::string>& args,
                         int readyLines, int readyErrorLines, std::string& error, int timeoutMs) {
  Pipe out;
  Pipe err;
  if (::pipe2(out.fd, O_CLOEXEC) != 0 || ::pipe2(err.fd, O_CLOEXEC) != 0) {
    error = std::string("pipe: ") + std::strerror(errno);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out.fd[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err.fd[1], STDERR_FILENO);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  spawnedAtNs_ = std::chrono::duration_cast<std::chrono::nanoseconds>(
                     std::chrono::steady_clock::now().time_since_epoch())
                     .count();
  const int spawned =
      ::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    pid_ = -1;
    error = program + ": " + std::strerror(spawned);
    return false;
  }
  ::close(out.fd[1]);
  ::close(err.fd[1]);
  out.fd[1] = err.fd[1] = -1;
  return AwaitReady(out.fd[0], err.fd[0], readyLines, readyErrorLines, timeoutMs, error);
}

bool ChildProcess::AwaitReady(int outFd, int errFd, int readyLines, int readyErrorLines,
                              int timeoutMs, std::string& error) {
  std::string outPending;
  std::string errPending;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (static_cast<int>(out_.size()) < readyLines ||
         static_cast<int>(err_.size()) < readyErrorLines) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    if (left.count() <= 0 || ::poll(fds, 2, static_cast<int>(left.count())) == 0) {
      error = "the program did not get ready within " + std::to_string(timeoutMs) + " ms";
      return false;
    }
    const bool outOpen = !(fds[0].revents & (POLLIN | POLLHUP)) || Drain(outFd, outPending);
    const bool errOpen = !(fds[1].revents & (POLLIN | POLLHUP)) || Drain(errFd, errPending);
    TakeLines(outPending, out_);
    TakeLines(errPending, err_);
    if (!outOpen || !errOpen) {
      error = "the program ended: " + (err_.empty() ? errPending : err_.back());
      return false;
    }
  }
  return true;
}

void ChildProcess::Stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
}

}  // namespace zemra::bench
