#include "link/SerialPort.h"

#include <cstdio>
#include <utility>

namespace zemra {

namespace {

// Message numbers of the language module's strings that name each failure.
constexpr int kMsgClose = 63;
constexpr int kMsgWrite = 64;
constexpr int kMsgPurgeInput = 66;
constexpr int kMsgPurgeOutput = 67;
constexpr int kMsgGetState = 68;
constexpr int kMsgSetState = 69;
constexpr int kMsgGetTimeouts = 70;
constexpr int kMsgSetTimeouts = 71;
// 201 + n names port n as a whole: it replaces the number of the step that failed in OpenPort.
constexpr int kMsgOpenBase = 201;

// Every time-out is 1 ms: a read of n bytes is over within about n + 1 ms with whatever has
// arrived. The link's own fixed wait before each read is what gives the thermometer time to
// answer, so these must stay short.
constexpr PortTimeouts kPortTimeouts{1, 1, 1, 1, 1};

std::string DeviceName(unsigned portNumber) {
  return "COM" + std::to_string(portNumber);
}

}  // namespace

SerialPort::SerialPort()
    : SerialPort(MakeTermiosBackend(), MakeSystemPortResolver(), TrafficLog()) {}

SerialPort::SerialPort(std::unique_ptr<SerialBackend> backend,
                       std::shared_ptr<PortResolver> resolver, TrafficLog log)
    : backend_(std::move(backend)), resolver_(std::move(resolver)), log_(std::move(log)) {
  // A caller that hands in nothing gets the machine's own line rather than a crash later.
  if (!backend_) backend_ = MakeTermiosBackend();
  if (!resolver_) resolver_ = MakeSystemPortResolver();
}

SerialPort::~SerialPort() {
  // Closed by the handle rather than the open flag: a derived link may have used the flag for
  // a connection of its own, and a device we opened must never be left behind.
  if (handleValid_) backend_->Close();
}

int SerialPort::OpenPort() {
  if (m_open) return -1;
  // A handle can outlive the flag only when a derived link cleared the flag itself; let it go
  // rather than find our own device busy.
  if (handleValid_) {
    backend_->Close();
    handleValid_ = false;
  }
  const std::string name = DeviceName(m_portNumber);
  const int openFailed = kMsgOpenBase + m_portNumber;
  if (!OpenDevice(name)) {
    m_lastErrorMessage = openFailed;
    return -1;
  }
  m_open = true;

  if (GetPortState() != 0) return -1;
  if (!BuildLineFormat(name)) {
    ClosePort();
    m_lastErrorMessage = openFailed;
    return -1;
  }
  if (SetPortState() != 0 || SetPortTimeouts() != 0 || PurgeInput() != 0 || PurgeOutput() != 0) {
    m_lastErrorMessage = openFailed;
    return -1;
  }
  return 0;
}

bool SerialPort::OpenDevice(const std::string& name) {
  const std::string device = resolver_->DevicePath(m_portNumber);
  if (device.empty()) {
    m_systemErrorText = "No serial device is present for " + name + ".";
    return false;
  }
  if (!backend_->Open(device)) {
    RecordSystemError();
    return false;
  }
  handleValid_ = true;
  return true;
}

bool SerialPort::BuildLineFormat(const std::string& name) {
  char text[128];
  std::snprintf(text, sizeof text, "%s: baud=%ld parity=%c data=%d stop=%d", name.c_str(),
                static_cast<long>(m_baudRate), m_parity, static_cast<int>(m_dataBits),
                static_cast<int>(m_stopBits));
  if (!BuildLineSettings(text, m_dcb)) {
    m_systemErrorText = std::string("The line settings \"") + text + "\" are not valid.";
    return false;
  }
  m_dcb.discardNull = true;
  m_dcb.abortOnError = true;
  m_dcb.dtrHandshake = true;
  return true;
}

int SerialPort::ClosePort() {
  if (!m_open) return -1;
  m_open = false;
  int result = 0;
  if (handleValid_ && !backend_->Close()) {
    m_lastErrorMessage = kMsgClose;
    RecordSystemError();
    result = -1;
  }
  handleValid_ = false;
  return result;
}

int SerialPort::ReadBytes(std::uint8_t* buffer, int count) {
  if (!m_open) return -1;
  if (count < 0 || (buffer == nullptr && count > 0)) return -1;
  std::size_t got = 0;
  // A failed read is not reported: the caller sees no bytes and the link probes the unit.
  if (!handleValid_ || !backend_->Read(buffer, static_cast<std::size_t>(count), got)) got = 0;
  log_.LogTransfer(TransferKind::Read, static_cast<int>(got), buffer, got);
  return static_cast<int>(got);
}

int SerialPort::WriteBytes(const std::uint8_t* bytes, int count) {
  if (!m_open) return -1;
  if (count < 0 || (bytes == nullptr && count > 0)) return -1;
  std::size_t written = 0;
  const bool ok = handleValid_ && backend_->Write(bytes, static_cast<std::size_t>(count), written);
  if (!ok) written = 0;
  // The whole block is logged even when the line took less, so a failed frame stays visible.
  log_.LogTransfer(TransferKind::Wrote, static_cast<int>(written), bytes,
                   static_cast<std::size_t>(count));
  if (!ok) {
    m_lastErrorMessage = kMsgWrite;
    RecordSystemError();
    return -1;
  }
  return static_cast<int>(written);
}

int SerialPort::PortCall(bool (SerialBackend::*call)(), int message) {
  if (!handleValid_) return -1;
  if ((backend_.get()->*call)()) return 0;
  return FailAndClose(message);
}

int SerialPort::FailAndClose(int message) {
  m_lastErrorMessage = message;
  RecordSystemError();
  ClosePort();
  return -1;
}

int SerialPort::PurgeInput() {
  return PortCall(&SerialBackend::PurgeInput, kMsgPurgeInput);
}

int SerialPort::PurgeOutput() {
  return PortCall(&SerialBackend::PurgeOutput, kMsgPurgeOutput);
}

int SerialPort::GetPortState() {
  if (!handleValid_) return -1;
  return backend_->GetState(m_dcb) ? 0 : FailAndClose(kMsgGetState);
}

int SerialPort::SetPortState() {
  if (!handleValid_) return -1;
  return backend_->SetState(m_dcb) ? 0 : FailAndClose(kMsgSetState);
}

int SerialPort::SetPortTimeouts() {
  if (!handleValid_) return -1;
  PortTimeouts timeouts;
  if (!backend_->GetTimeouts(timeouts)) return FailAndClose(kMsgGetTimeouts);
  timeouts = kPortTimeouts;
  return backend_->SetTimeouts(timeouts) ? 0 : FailAndClose(kMsgSetTimeouts);
}

void SerialPort::RecordSystemError() {
  m_systemErrorText = backend_->LastErrorText();
}

}  // namespace zemra
