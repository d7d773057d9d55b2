#pragma once

#include <functional>
#include <string>

#include "sim/FaultPlan.h"
#include "sim/Fd.h"
#include "sim/FrameCodec.h"
#include "sim/Reactor.h"
#include "sim/Recorder.h"
#include "sim/Thermometer.h"

namespace zemra::sim {

// The thermometer on a serial line: a pseudo-terminal whose device a symbolic link names. It
// answers a read frame as soon as the frame is complete (the link reads 100 ms after writing)
// and never answers a set frame. Lives on the reactor's thread.
class PtyTransport {
 public:
  using DeviceChanged = std::function<void(const std::string& devicePath)>;

  PtyTransport(Reactor& reactor, Thermometer& model, FaultPlan& faults, Recorder& recorder,
               std::string linkPath);
  ~PtyTransport();
  PtyTransport(const PtyTransport&) = delete;
  PtyTransport& operator=(const PtyTransport&) = delete;

  // Creates the pty and points the link at it. An existing file that is not a symbolic link
  // is left alone and reported.
  bool Open(std::string& error);
  // Called with the new device after a hang-up is over (not for the first one).
  void OnDeviceChanged(DeviceChanged callback) { deviceChanged_ = std::move(callback); }

  // The device path, e.g. "/dev/pts/7" (empty while hung up). Any thread.
  std::string DevicePath() const;

  // Hangs up: the device goes away, the open side sees a hang-up. After `reopenMs` (negative:
  // never) a new device appears behind the same link.
  void HangUp(int reopenMs);

 private:
  bool CreatePty(std::string& error);
  bool PointLink(std::string& error);
  void OnReadable(short revents);
  void Serve(const Frame& frame);
  void Send(const std::string& bytes);
  void Flush();
  void Watch();
  void Reopen();

  Reactor& reactor_;
  Thermometer& model_;
  FaultPlan& faults_;
  Recorder& recorder_;
  const std::string linkPath_;
  Fd master_;
  Fd slave_;  // held open so the master never reads EIO while no program has the device
  std::string device_;
  mutable std::mutex deviceMutex_;
  FrameDecoder decoder_;
  std::string pending_;
  int framesSeen_ = 0;
  unsigned generation_ = 0;  // replies timed for an earlier device are dropped
  bool linkMade_ = false;
  DeviceChanged deviceChanged_;
};

}  // namespace zemra::sim
