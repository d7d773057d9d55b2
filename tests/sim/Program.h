#pragma once

// Runs the zemrasim program as a child with its stdout and stderr on pipes.

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace zemra::simtest {

class Program {
 public:
  explicit Program(const std::vector<std::string>& args) {
    int out[2], err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, err[0]);
    std::vector<std::string> all = {ZEMRASIM_PROGRAM};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    out_ = out[0];
    err_ = err[0];
  }
  ~Program() {
    if (pid_ > 0 && status_ < 0) {
      ::kill(pid_, SIGKILL);
      Wait(5000);
    }
    ::close(out_);
    ::close(err_);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool Started() const { return pid_ > 0; }

  // The next line of stdout, or of stderr (without the newline); empty after the time-out.
  std::string OutLine(int timeoutMs = 3000) { return Line(out_, outBuffer_, timeoutMs); }
  std::string ErrLine(int timeoutMs = 3000) { return Line(err_, errBuffer_, timeoutMs); }
  std::string AllOut(int timeoutMs = 3000) { return Drain(out_, outBuffer_, timeoutMs); }
  std::string AllErr(int timeoutMs = 3000) { return Drain(err_, errBuffer_, timeoutMs); }

  void Signal(int number) { ::kill(pid_, number); }

  // The exit status, or -1 when it has not ended within the time-out.
  int Wait(int timeoutMs = 5000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (status_ < 0 && std::chrono::steady_clock::now() < deadline) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        break;
      }
      ::usleep(10000);
    }
    return status_;
  }

 private:
  static bool Fill(int fd, std::string& buffer, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) return false;
    char chunk[4096];
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n <= 0) return false;
    buffer.append(chunk, static_cast<std::size_t>(n));
    return true;
  }
  static std::string Line(int fd, std::string& buffer, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (buffer.find('\n') == std::string::npos) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0 || !Fill(fd, buffer, static_cast<int>(left.count()))) return "";
    }
    const auto nl = buffer.find('\n');
    std::string line = buffer.substr(0, nl);
    buffer.erase(0, nl + 1);
    return line;
  }
  static std::string Drain(int fd, std::string& buffer, int timeoutMs) {
    while (Fill(fd, buffer, timeoutMs)) {
    }
    return std::exchange(buffer, std::string());
  }

  pid_t pid_ = -1;
  int status_ = -1;
  int out_ = -1, err_ = -1;
  std::string outBuffer_, errBuffer_;
};

}  // namespace zemra::simtest
