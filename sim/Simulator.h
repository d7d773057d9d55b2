#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sim/FaultPlan.h"
#include "sim/Reactor.h"
#include "sim/Recorder.h"
#include "sim/Thermometer.h"

namespace zemra::sim {

class PtyTransport;
class TcpTransport;
class AddpResponder;

// One Ethernet unit as a test sees it.
struct AddpUnitView {
  std::string ip, mask, gateway, mac;
  bool staticAddress = true;
  bool rebooting = false;
  bool serving = false;  // its thermometer listens on ip:TcpPort()
};

// Everything one simulator serves.
struct SimulatorOptions {
  ThermometerConfig thermometer;
  std::optional<std::string> ptyLink;     // serve the serial protocol on a pty named by this link
  std::vector<std::string> tcpAddresses;  // serve TCP on each of these addresses
  std::uint16_t tcpPort = 2101;           // 0: any free port (see TcpPort())
  bool allowAnyAddress = false;           // addresses outside 127.0.0.0/8 are refused without it
  int addpUnits = 0;                      // virtual Ethernet units answering ADDP
  std::uint16_t addpPort = 2362;
  std::string addpFirstAddress = "127.0.1.1";
  std::string addpPassword = "dbps";
  int addpRebootMs = 500;  // how long a unit is away while its interface restarts
  Faults faults;
  std::string traceFile;
  std::optional<double> signalC;  // pin the measured temperature (Celsius)
};

// A stand-in thermometer (and, with addpUnits, a set of Ethernet units each with one of its
// own) served on a thread of its own. Start() opens every transport before it returns, so a
// test can connect at once; Stop() or destruction closes all of them and joins the thread.
// HangUpPty, OnPtyChanged and Unit wait for the simulator's thread: never call them from a
// callback that runs on it.
class Simulator {
 public:
  explicit Simulator(SimulatorOptions options);
  ~Simulator();
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  // False with a message when any transport cannot be opened (nothing is left running then).
  bool Start(std::string* error = nullptr);
  void Stop();
  bool Running() const { return thread_.joinable(); }

  // The thermometer behind the pty and the --tcp addresses.
  Thermometer& Model() { return *model_; }
  FaultPlan& Faults() { return faults_; }
  Recorder& Record() { return recorder_; }

  // The pty's device (empty without a pty or while hung up).
  std::string PtyPath() const;
  // The port the TCP transports listen on (the chosen one when options asked for 0).
  std::uint16_t TcpPort() const { return tcpPort_; }
  // Hangs the pty up now; a new device appears after `reopenMs` (negative: never).
  void HangUpPty(int reopenMs = 1000);
  // Calls `callback` (on the simulator's thread) with each new pty device after a hang-up.
  void OnPtyChanged(std::function<void(const std::string&)> callback);

  // The Ethernet units.
  int UnitCount() const;
  Thermometer* UnitModel(int index);
  std::optional<AddpUnitView> Unit(int index);

  const SimulatorOptions& Options() const { return options_; }

 private:
  bool OpenTransports(std::string& error);
  template <typename F>
  auto OnLoop(F f) -> decltype(f());

  SimulatorOptions options_;
  std::unique_ptr<Reactor> reactor_;
  std::unique_ptr<Thermometer> model_;
  FaultPlan faults_;
  Recorder recorder_;
  std::unique_ptr<PtyTransport> pty_;
  std::vector<std::unique_ptr<TcpTransport>> tcp_;
  std::unique_ptr<AddpResponder> addp_;
  std::uint16_t tcpPort_ = 0;
  std::thread thread_;
};

}  // namespace zemra::sim
