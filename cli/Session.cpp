#include "cli/Session.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "cli/DataFolder.h"
#include "cli/ExitStatus.h"
#include "files/CommsSettingsFile.h"
#include "files/FileLayer.h"
#include "lang/StringTable.h"
#include "platform/Clock.h"

namespace zemra::cli {

namespace {

constexpr int kMsgFormatError = 53;
constexpr int kMsgOpenPortBase = 201;
// A connect to a host that does not answer is given up after this long; the system's own
// time-out would keep the command waiting for minutes.
constexpr std::chrono::milliseconds kConnectWait{30000};
constexpr std::uint16_t kEthernetPort = 2101;

// Port n of a --serial connection is always this one device.
class DeviceResolver final : public PortResolver {
 public:
  explicit DeviceResolver(std::string device) : device_(std::move(device)) {}
  std::string DevicePath(unsigned) override { return device_; }

 private:
  std::string device_;
};

PlanResult PlanFailure(int exit, std::string message) {
  return {std::nullopt, exit, std::move(message)};
}

struct SettingsRead {
  std::optional<CommsSettings> settings;
  int exit = 0;
  std::string message;
};

SettingsRead ReadSettings(const ConnectionOptions& options) {
  const bool folderGiven = options.dataFolder.has_value();
  const std::string folder =
      folderGiven ? WithTrailingSlash(*options.dataFolder) : DefaultDataFolder();
  const std::string path = folder + std::string(kCommsSettingsFileName);
  const FileContents contents = ReadFileHead(path);
  if (contents.error) {
    if (contents.error->step == FileStep::kOpen && !folderGiven) {
      return {CommsSettings::FileDefaults(), 0, {}};
    }
    return {std::nullopt, kExitFileError, contents.error->Description()};
  }
  const CommsParse parsed = ParseCommsSettings(contents.bytes, CommsSettings{});
  if (parsed.status != TextFormat::kOk) {
    return {std::nullopt, kExitFileError, path + ": " + std::string(StringText(kMsgFormatError))};
  }
  return {parsed.settings, 0, {}};
}

}  // namespace

PlanResult PlanConnection(const ConnectionOptions& options) {
  using T = ConnectionOptions::Transport;
  ConnectionPlan plan;
  switch (options.transport) {
    case T::kSerialDevice:
      plan.device = options.device;
      break;
    case T::kComPort:
      plan.port = static_cast<std::uint16_t>(options.comPort);
      break;
    case T::kTcp:
      plan.ethernet = true;
      plan.ipAddress = options.ipAddress;
      break;
    case T::kSettingsFile: {
      SettingsRead read = ReadSettings(options);
      if (!read.settings) return PlanFailure(read.exit, read.message);
      const CommsSettings& s = *read.settings;
      plan.ethernet = s.UseTcpMode;
      plan.ipAddress = s.IpAddress;
      plan.address = s.SerialAddress;
      plan.baudIndex = s.SerialBaudRate;
      if (!plan.ethernet && (s.SerialPort < 1 || s.SerialPort > 0xFFFF)) {
        return PlanFailure(kExitNoThermometer, "CommsSettings.cfg names serial port COM" +
                                                   std::to_string(s.SerialPort) +
                                                   ", which cannot exist.");
      }
      plan.port = static_cast<std::uint16_t>(s.SerialPort);
      break;
    }
  }
  if (options.address) plan.address = *options.address;
  if (options.baudIndex) plan.baudIndex = *options.baudIndex;
  return {plan, 0, {}};
}

std::string CheckSerialDevice(const std::string& device) {
  struct stat info {};
  if (stat(device.c_str(), &info) != 0) return {};
  const std::string notSerial = device + " is not a serial device";
  if (!S_ISCHR(info.st_mode)) return notSerial;
  // O_NONBLOCK: a modem line without carrier must not hold this check up.
  const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return {};
  const bool terminal = isatty(fd) != 0;
  close(fd);
  return terminal ? std::string() : notSerial;
}

struct Session::Events {
  std::mutex mutex;
  std::condition_variable posted;
  bool any = false;

  void Post() {
    {
      std::lock_guard lock(mutex);
      any = true;
    }
    posted.notify_all();
  }
};

Session::Session(ConnectionPlan plan)
    : plan_(std::move(plan)), events_(std::make_shared<Events>()) {
  EventPoster poster = [events = events_](int) { events->Post(); };
  if (!plan_.device.empty()) {
    link_ = std::make_unique<CQRVSerialPort>(poster, SystemClock(), MakeTermiosBackend(),
                                             std::make_shared<DeviceResolver>(plan_.device),
                                             TrafficLog());
  } else {
    link_ = std::make_unique<CQRVSerialPort>(poster);
  }
}

Session::~Session() = default;

int Session::Open(CommandIo& io) {
  return plan_.ethernet ? OpenEthernet(io) : OpenSerial(io);
}

std::string Session::Where() const {
  if (plan_.ethernet) return plan_.ipAddress + " port " + std::to_string(kEthernetPort);
  return plan_.device.empty() ? "COM" + std::to_string(plan_.port) : plan_.device;
}

int Session::OpenSerial(CommandIo& io) {
  if (!plan_.device.empty()) {
    if (const std::string problem = CheckSerialDevice(plan_.device); !problem.empty()) {
      return Report(io, kExitUsage, problem);
    }
  }
  const int result = link_->Open(plan_.port, plan_.address, plan_.baudIndex, false, {});
  if (result == 0) return kExitOk;
  if (result == -4) {
    return Report(io, kExitNoThermometer,
                  "No thermometer answers at unit address " + std::to_string(plan_.address) +
                      " on " + Where() + ".");
  }
  const bool portFailed =
      result == -1 && link_->LastErrorMessage() == kMsgOpenPortBase + plan_.port;
  if (portFailed && !plan_.device.empty()) {
    return Report(
        io, kExitNoThermometer,
        "The serial device " + plan_.device + " could not be opened.\n" + link_->SystemErrorText());
  }
  return Fail(io, result);
}

int Session::OpenEthernet(CommandIo& io) {
  {
    std::lock_guard lock(events_->mutex);
    events_->any = false;
  }
  // Over Ethernet Open only starts the connect; its outcome comes as a socket event.
  link_->Open(plan_.port, plan_.address, plan_.baudIndex, true, plan_.ipAddress);
  CLWSocket* client = link_->EthernetClient();
  const auto deadline = std::chrono::steady_clock::now() + kConnectWait;
  while (!io.interrupt.Requested() && std::chrono::steady_clock::now() < deadline) {
    {
      std::unique_lock lock(events_->mutex);
      events_->posted.wait_for(lock, std::chrono::milliseconds(50), [&] { return events_->any; });
      events_->any = false;
    }
    const int event = client->TakeEvent();
    if (event == kEventConnected) return kExitOk;
    if (event == kEventConnectFailed) {
      std::string cause = client->LastDiagnostic();
      const std::size_t equals = cause.rfind(" = ");
      cause = equals == std::string::npos ? CLWSocket::ErrorText(kEventConnectFailed)
                                          : cause.substr(equals + 3);
      return Report(io, kExitNoThermometer, "Cannot connect to " + Where() + ": " + cause);
    }
  }
  if (io.interrupt.Requested()) return Report(io, kExitNoThermometer, "Interrupted.");
  return Report(io, kExitNoThermometer,
                "Cannot connect to " + Where() + ": " + CLWSocket::ErrorText(kEventConnectFailed));
}

int Session::Fail(CommandIo& io, int result, const RangeLimits& limits) {
  LinkErrorFields fields = ErrorFieldsOf(*link_);
  // Only the serial port records a system text; over Ethernet one left from earlier is stale.
  if (plan_.ethernet) fields.systemErrorText.clear();
  std::string message = LinkErrorMessage(result, fields, limits);
  if (message.empty()) {
    message = result == -4 ? "The thermometer at " + Where() + " does not answer."
                           : "The exchange with the thermometer at " + Where() + " failed.";
  }
  return Report(io, ExitForLinkResult(result), message);
}

}  // namespace zemra::cli
