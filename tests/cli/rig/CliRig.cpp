#include "CliRig.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace zemra::test {

namespace {

void ClosePipe(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

}  // namespace

CliProcess::CliProcess(const std::vector<std::string>& args, const std::string& workingDirectory) {
  int out[2];
  int err[2];
  if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
    ADD_FAILURE() << "no pipes for zemractl";
    return;
  }
  // Everything the child needs is prepared before the fork: after it, only exec-safe calls.
  std::vector<std::string> argvText = {ZEMRACTL_PATH};
  argvText.insert(argvText.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : argvText) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const std::string directory = workingDirectory;

  pid_ = fork();
  if (pid_ == 0) {
    if (chdir(directory.c_str()) != 0) _exit(127);
    dup2(out[1], STDOUT_FILENO);
    dup2(err[1], STDERR_FILENO);
    const int devNull = open("/dev/null", O_RDONLY);
    if (devNull >= 0) dup2(devNull, STDIN_FILENO);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  out_ = out[0];
  err_ = err[0];
  if (pid_ < 0) ADD_FAILURE() << "zemractl could not be started";
}

CliProcess::~CliProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  ClosePipe(out_);
  ClosePipe(err_);
}

// Reads what is there within `timeout`; false once both pipes are at their end.
bool CliProcess::Pump(std::chrono::milliseconds timeout) {
  pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
  if (out_ < 0 && err_ < 0) return false;
  if (poll(fds, 2, static_cast<int>(timeout.count())) <= 0) return true;
  int* pipes[2] = {&out_, &err_};
  std::string* texts[2] = {&result_.out, &result_.err};
  for (int i = 0; i < 2; ++i) {
    if (*pipes[i] < 0 || fds[i].revents == 0) continue;
    char buffer[4096];
    const ssize_t got = read(*pipes[i], buffer, sizeof buffer);
    if (got > 0) {
      texts[i]->append(buffer, static_cast<std::size_t>(got));
    } else {
      ClosePipe(*pipes[i]);
    }
  }
  return out_ >= 0 || err_ >= 0;
}

bool CliProcess::WaitForOutput(const std::function<bool(const std::string&)>& ready,
                               std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!ready(result_.out)) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !Pump(std::min(left, std::chrono::milliseconds(100)))) {
      return ready(result_.out);
    }
  }
  return true;
}

void CliProcess::Signal(int signal) {
  if (pid_ > 0) kill(pid_, signal);
}

CliResult CliProcess::Finish(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline && Pump(std::chrono::milliseconds(100))) {
  }
  if (out_ >= 0 || err_ >= 0) {
    ADD_FAILURE() << "zemractl did not end within " << timeout.count() << " ms";
    kill(pid_, SIGKILL);
  }
  int status = 0;
  if (pid_ > 0 && waitpid(pid_, &status, 0) == pid_) {
    result_.exit = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  pid_ = -1;
  return result_;
}

CliResult RunZemractl(const std::vector<std::string>& args, const std::string& workingDirectory,
                      std::chrono::milliseconds timeout) {
  CliProcess process(args, workingDirectory);
  return process.Finish(timeout);
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zemractl-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "no temporary folder";
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::unique_ptr<sim::Simulator> StartSimulator(sim::SimulatorOptions options) {
  auto simulator = std::make_unique<sim::Simulator>(std::move(options));
  std::string error;
  EXPECT_TRUE(simulator->Start(&error)) << error;
  return simulator;
}

std::vector<std::string> ReceivedCommands(sim::Simulator& simulator) {
  std::vector<std::string> commands;
  for (const sim::RecordEntry& entry : simulator.Record().Entries()) {
    if (entry.kind == "probe") {
      commands.push_back("probe");
    } else if (entry.kind == "set") {
      std::string text = entry.bytes.size() > 2 ? entry.bytes.substr(2) : std::string();
      while (!text.empty() && (text.back() == '\x03' || text.back() == '\0')) text.pop_back();
      commands.push_back(text);
    } else {
      commands.push_back(entry.command.empty() ? entry.kind : entry.command);
    }
  }
  return commands;
}

}  // namespace zemra::test
