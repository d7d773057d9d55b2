#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "LinkTcpPeer.h"
#include "link/CQRVSerialPort.h"
#include "support/FakeClock.h"
#include "support/ScriptedSerialBackend.h"

namespace zemra::test {

enum class LinkMode { Serial, Ethernet };

std::string ModeName(LinkMode mode);
inline void PrintTo(LinkMode mode, std::ostream* os) {
  *os << ModeName(mode);
}

// The reply bytes to one frame, or nothing when the unit stays silent.
using FrameResponder = std::function<std::optional<std::string>(const Frame& frame)>;

// A link on a fake clock with a stand-in unit behind it: a scripted serial line, or a TCP peer
// on a loopback address of its own. Frames and waits land in one ordered record of events,
// "tx <frame>" and "wait <ms>".
class LinkRig {
 public:
  explicit LinkRig(LinkMode mode, std::int32_t unitAddress = 1);
  ~LinkRig();

  CQRVSerialPort& Link() { return *link_; }
  LinkMode Mode() const { return mode_; }
  const std::string& Prefix() const { return prefix_; }
  void Respond(FrameResponder responder) { responder_ = std::move(responder); }

  // Opens the link and forgets what the opening recorded (events, sleeps, line calls). Serial: the
  // unit must answer the probe. Ethernet: waits for the connected event and takes the connection.
  void Connect();

  // The events since the last call.
  std::vector<std::string> Take();

  FakeClock clock;
  ScriptedSerialBackend* line = nullptr;  // the serial line, there in both modes
  std::unique_ptr<LinkTcpPeer> peer;      // Ethernet only

  // Posts of the socket event command seen so far; waits up to two seconds for `count`.
  bool WaitForPosts(int count);

 private:
  void Note(const Frame& frame) { events_.push_back("tx " + Describe(frame)); }

  LinkMode mode_;
  std::int32_t address_;
  std::string prefix_;
  FrameResponder responder_;
  std::unique_ptr<CQRVSerialPort> link_;
  std::vector<std::string> events_;
  struct Posts;
  std::shared_ptr<Posts> posts_;
};

// A loopback address of this test's own, so that tests running side by side never share one
// on the fixed port 2101.
std::string TestAddress();

// A unit that answers read frames from a table of command → reply text, answers the probe, and
// takes set frames silently. Unknown commands get an empty reply text.
struct TableUnit {
  std::map<std::string, std::string> replies;
  std::string prefix;
  FrameResponder Responder() const;
};

// The information reply of a unit of the given type class, range 200 to 1000 (Celsius).
std::string InformationReply(int typeClass, int fahrenheit = 0);

// The expected record of a sequence, built step by step.
class Expect {
 public:
  Expect(LinkMode mode, std::string prefix) : mode_(mode), prefix_(std::move(prefix)) {}
  Expect& Read(const std::string& command);
  Expect& SetInt(const std::string& mnemonic, std::int32_t value);
  Expect& SetText(const std::string& mnemonic, const std::string& text);
  Expect& Probe();
  Expect& Wait(std::uint32_t ms);
  Expect& ReadGap() { return Wait(mode_ == LinkMode::Serial ? 50 : 5); }
  Expect& WriteGap() { return Wait(mode_ == LinkMode::Serial ? 50 : 20); }
  const std::vector<std::string>& Events() const { return events_; }

 private:
  LinkMode mode_;
  std::string prefix_;
  std::vector<std::string> events_;
};

// Only the frames of a record.
std::vector<std::string> FramesOf(const std::vector<std::string>& events);

}  // namespace zemra::test
