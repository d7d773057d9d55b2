#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace zemra::sim {

// How a reply can go wrong.
enum class ReplyFault {
  Silent,      // no reply at all
  ErrorReply,  // an error reply ("*" first) instead of the value
  Garbage,     // noise bytes that are no reply, ended by ETX
  NoEtx        // the reply without its closing ETX
};

// One reply fault, for every frame (command empty, the probe included) or for one command.
// A command of three letters also matches the longer commands that begin with it and a space,
// so "IFO" covers both "IFO 0" and "IFO 1"; "PROBE" names the probe frame.
struct FaultRule {
  ReplyFault fault = ReplyFault::Silent;
  std::string command;
  std::string errorText = "*?";
};

enum class AddpFault { None, Short, Malformed };

struct Faults {
  std::vector<FaultRule> rules;
  int delayMs = 0;            // every reply of a matching command comes this late
  std::string delayCommand;   // empty: every reply
  int splitSegments = 1;      // TCP: each reply in this many segments ...
  int splitGapMs = 20;        // ... this far apart
  int closeAfterFrames = 0;   // TCP: close a connection once it has had this many frames (0 never)
  int hangUpAfterFrames = 0;  // pty: hang up after this many frames (0 never)
  int hangUpMs = 1000;  // pty: how long a hang-up lasts before a new device appears (<0 for good)
  AddpFault addpFault = AddpFault::None;  // a bad datagram sent before each discovery reply ...
  bool addpBadOnly = false;               // ... or instead of it
  bool addpDuplicateIp = false;           // the second unit takes the first one's IP address
};

// True when `rule` applies to a frame with this command ("PROBE" for the probe).
bool RuleMatches(const std::string& ruleCommand, const std::string& command);

// The faults in force, shared by the transports and changed by tests at any moment.
class FaultPlan {
 public:
  Faults Get() {
    std::lock_guard lock(mutex_);
    return faults_;
  }
  void Set(Faults faults) {
    std::lock_guard lock(mutex_);
    faults_ = std::move(faults);
  }
  template <typename Change>
  void Update(Change change) {
    std::lock_guard lock(mutex_);
    change(faults_);
  }
  void Clear() { Set(Faults{}); }

 private:
  std::mutex mutex_;
  Faults faults_;
};

}  // namespace zemra::sim
