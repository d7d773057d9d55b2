#pragma once

#include <chrono>
#include <csignal>
#include <cstdint>
#include <deque>
#include <string>

namespace zemra::bench {

// One direction of a serial line at a given speed: each byte leaves when the one before it
// has, and arrives a whole character time (10 bits) later.
class PacedDirection {
 public:
  using Time = std::chrono::steady_clock::time_point;

  explicit PacedDirection(std::uint32_t baudRate);

  // Bytes handed to the line at `now`.
  void Accept(const std::uint8_t* bytes, std::size_t count, Time now);
  // The bytes that have arrived by `now`, taken off the line.
  std::string TakeArrived(Time now);
  // When the next byte arrives; Time::max() with nothing on the line.
  Time NextArrival() const;

 private:
  struct Byte {
    std::uint8_t value;
    Time arrival;
  };
  std::chrono::nanoseconds characterTime_;
  std::deque<Byte> line_;
  Time lastArrival_{};
};

// A pseudo-terminal that stands for a serial line at `baudRate` between the program that opens
// it and `farDevice` (the simulator's pty): both ways, bytes take the time the wire would.
class PacedLine {
 public:
  PacedLine(std::string farDevice, std::uint32_t baudRate);
  ~PacedLine();
  PacedLine(const PacedLine&) = delete;
  PacedLine& operator=(const PacedLine&) = delete;

  // Opens both ends; the device to hand to the link is then DevicePath().
  bool Open(std::string& error);
  const std::string& DevicePath() const { return nearDevice_; }
  // Carries bytes until `stop` is set or an end goes away.
  void Run(const volatile std::sig_atomic_t& stop);

 private:
  bool Carry(int from, PacedDirection& line);
  bool Deliver(int to, PacedDirection& line);

  std::string farDevice_;
  int far_ = -1;
  int master_ = -1;
  int slave_ = -1;  // held open so the settings stay and the master never reads EIO
  std::string nearDevice_;
  PacedDirection toFar_;
  PacedDirection toNear_;
};

}  // namespace zemra::bench
