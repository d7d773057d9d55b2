#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "cli/CommandIo.h"
#include "cli/LinkErrors.h"
#include "cli/Options.h"
#include "link/CQRVSerialPort.h"

namespace zemra::cli {

// Where the thermometer is, once the command line and the settings file have been read.
struct ConnectionPlan {
  bool ethernet = false;
  std::string ipAddress;
  std::uint16_t port = 1;  // n of COMn
  std::string device;      // --serial; empty: port n through the system's resolver
  std::int32_t address = 0;
  std::int32_t baudIndex = 3;

  friend bool operator==(const ConnectionPlan&, const ConnectionPlan&) = default;
};

struct PlanResult {
  std::optional<ConnectionPlan> plan;
  int exit = 0;  // when there is no plan
  std::string message;
};

// Resolves the connection options. Without --serial, --com or --tcp the settings come from
// CommsSettings.cfg in the data folder, as the window would use them; when the program's own
// data folder has no such file the window's defaults apply (the window would write them, this
// tool writes nothing). A file that cannot be read or is not in the expected format is an
// error, as is a missing file in a folder named by --data-folder.
PlanResult PlanConnection(const ConnectionOptions& options);

// "DEVICE is not a serial device" when `device` exists but is no terminal; empty otherwise
// (a missing device is left to the link, which names it when it fails to open).
std::string CheckSerialDevice(const std::string& device);

// One thermometer connection for the length of a command.
class Session {
 public:
  explicit Session(ConnectionPlan plan);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Opens the link the way the window does: serial Open (probe, baud-rate confirmation,
  // memory store), or over Ethernet the connect and its event. kExitOk, or the reported
  // failure's exit status.
  int Open(CommandIo& io);

  CQRVSerialPort& Link() { return *link_; }
  const ConnectionPlan& Plan() const { return plan_; }

  // Reports a failed link operation with the window's message and returns its exit status.
  int Fail(CommandIo& io, int result, const RangeLimits& limits = {});

 private:
  struct Events;

  int OpenSerial(CommandIo& io);
  int OpenEthernet(CommandIo& io);
  std::string Where() const;

  ConnectionPlan plan_;
  // Declared before the link: the Ethernet client's connect thread posts to it until the
  // link has been destroyed.
  std::shared_ptr<Events> events_;
  std::unique_ptr<CQRVSerialPort> link_;
};

}  // namespace zemra::cli
