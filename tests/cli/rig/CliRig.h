#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sim/Simulator.h"

// What the zemractl tests share: running the real program as a child process, a scratch folder
// for it to work in, and a stand-in thermometer on a pty or a loopback address of the test's own.

namespace zemra::test {

struct CliResult {
  int exit = -1;  // the exit status; 128 + n after signal n
  std::string out;
  std::string err;
};

// One zemractl process with its standard output and error captured.
class CliProcess {
 public:
  CliProcess(const std::vector<std::string>& args, const std::string& workingDirectory);
  ~CliProcess();
  CliProcess(const CliProcess&) = delete;
  CliProcess& operator=(const CliProcess&) = delete;

  // Reads output until `ready(out)` holds; false after `timeout` or when the process ended.
  bool WaitForOutput(const std::function<bool(const std::string&)>& ready,
                     std::chrono::milliseconds timeout);
  void Signal(int signal);
  // Reads the rest and waits for the end; kills the process after `timeout`.
  CliResult Finish(std::chrono::milliseconds timeout = std::chrono::seconds(90));

 private:
  bool Pump(std::chrono::milliseconds timeout);

  int pid_ = -1;
  int out_ = -1;
  int err_ = -1;
  CliResult result_;
};

CliResult RunZemractl(const std::vector<std::string>& args, const std::string& workingDirectory,
                      std::chrono::milliseconds timeout = std::chrono::seconds(90));

// A folder under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);

// Starts a simulator; the test fails at once when it cannot.
std::unique_ptr<sim::Simulator> StartSimulator(sim::SimulatorOptions options);

// The commands of the frames the simulator received, in order ("probe" for a probe frame,
// "SA" + mnemonic + " " + value for a set frame as it was sent).
std::vector<std::string> ReceivedCommands(sim::Simulator& simulator);

}  // namespace zemra::test
