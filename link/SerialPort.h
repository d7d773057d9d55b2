#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "link/TrafficLog.h"
#include "platform/SerialBackend.h"

namespace zemra {

// One serial port of the host: opens "COM" + n with a fixed line format, moves raw bytes, and
// turns every failure into a message number and the system's error text. Every transfer is
// written to the traffic log.
class SerialPort {
 public:
  // Without arguments: the termios backend, the system resolver and "ZEMRAnet.log" in the
  // working directory. Tests hand in a scripted backend, a resolver to a pty, a log of their own.
  SerialPort();
  SerialPort(std::unique_ptr<SerialBackend> backend, std::shared_ptr<PortResolver> resolver,
             TrafficLog log);
  virtual ~SerialPort();

  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  int OpenPort();
  int ClosePort();
  int ReadBytes(std::uint8_t* buffer, int count);
  int WriteBytes(const std::uint8_t* bytes, int count);
  int PurgeInput();
  int PurgeOutput();
  int GetPortState();
  int SetPortState();
  int SetPortTimeouts();
  void RecordSystemError();

  bool IsOpen() const { return m_open; }
  int LastErrorMessage() const { return m_lastErrorMessage; }
  int ReplyErrorMessage() const { return m_replyErrorMessage; }
  const std::string& SystemErrorText() const { return m_systemErrorText; }

  // Line fields, public as the link and the window set them directly.
  std::uint16_t m_portNumber = 1;
  std::uint32_t m_baudRate = 57600;
  char m_parity = 'N';
  std::uint16_t m_dataBits = 8;
  std::uint16_t m_stopBits = 1;

 protected:
  bool m_open = false;
  LineSettings m_dcb;
  int m_replyErrorMessage = 0;
  int m_lastErrorMessage = 0;
  std::string m_systemErrorText;

 private:
  // Opens the device the resolver gives for the port number; false leaves the system's text.
  bool OpenDevice(const std::string& name);
  // Builds the device control block from the device-control text for `name` and the line
  // fields, then sets the link's three extra flags on it.
  bool BuildLineFormat(const std::string& name);
  // The shared shape of the purge calls: refused without a handle, and a failure stores
  // `message`, the system's text, and closes the port.
  int PortCall(bool (SerialBackend::*call)(), int message);
  int FailAndClose(int message);

  std::unique_ptr<SerialBackend> backend_;
  std::shared_ptr<PortResolver> resolver_;
  TrafficLog log_;
  bool handleValid_ = false;
};

}  // namespace zemra
