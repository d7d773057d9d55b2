#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace zemra {

// The line settings of an open serial port: what the device-control text sets, plus the three
// flags the link asks for on top of it.
struct LineSettings {
  std::uint32_t baudRate = 9600;
  char parity = 'N';          // N, E, O, M or S
  int dataBits = 8;           // 5 to 8
  int stopBits = 1;           // 1 or 2
  bool discardNull = false;   // received NUL bytes are dropped
  bool abortOnError = false;  // a line error fails reads and writes until reopened
  bool dtrHandshake = false;  // DTR in handshake mode

  bool operator==(const LineSettings&) const = default;
};

// The five port time-outs, in milliseconds (interval, total multiplier and constant for reads;
// multiplier and constant for writes).
struct PortTimeouts {
  std::uint32_t readInterval = 0;
  std::uint32_t readTotalMultiplier = 0;
  std::uint32_t readTotalConstant = 0;
  std::uint32_t writeTotalMultiplier = 0;
  std::uint32_t writeTotalConstant = 0;

  bool operator==(const PortTimeouts&) const = default;
};

// Applies a device-control text of the form "COM3: baud=19200 parity=N data=8 stop=1" to
// `settings`. Returns false, leaving `settings` unchanged, when the text is malformed or names a
// value the line cannot take.
bool BuildLineSettings(const std::string& text, LineSettings& settings);

// The operating system's serial line: one device at a time. Every call that fails returns false
// and leaves the cause for LastErrorText().
class SerialBackend {
 public:
  virtual ~SerialBackend() = default;

  // Opens an existing device for reading and writing, exclusively.
  virtual bool Open(const std::string& device) = 0;
  virtual bool Close() = 0;

  virtual bool GetState(LineSettings& settings) = 0;
  virtual bool SetState(const LineSettings& settings) = 0;
  virtual bool GetTimeouts(PortTimeouts& timeouts) = 0;
  virtual bool SetTimeouts(const PortTimeouts& timeouts) = 0;

  virtual bool PurgeInput() = 0;
  virtual bool PurgeOutput() = 0;

  // Reads at most `count` bytes within the time-outs; `got` is the number read.
  virtual bool Read(std::uint8_t* buffer, std::size_t count, std::size_t& got) = 0;
  // Writes within the time-outs; `written` is the number the line took.
  virtual bool Write(const std::uint8_t* bytes, std::size_t count, std::size_t& written) = 0;

  // The system's text for the last failed call.
  virtual std::string LastErrorText() = 0;
};

// The production backend on termios. How the time-outs and the three extra line flags are
// carried out there is described in TermiosBackend.cpp.
std::unique_ptr<SerialBackend> MakeTermiosBackend();

// Maps port number n ("COM" + n) to a device path.
class PortResolver {
 public:
  virtual ~PortResolver() = default;
  // The device for port n, or an empty string when the machine has no such port.
  virtual std::string DevicePath(unsigned portNumber) = 0;
};

// The production resolver: COM n is the n-th serial device present, in the order that
// platform/SerialDevices.h documents (USB converters first).
std::shared_ptr<PortResolver> MakeSystemPortResolver();

}  // namespace zemra
