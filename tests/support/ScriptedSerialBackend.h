#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/SerialBackend.h"

namespace zemra::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes ToBytes(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

// One call made on the scripted line, in the order it was made.
struct SerialCall {
  std::string op;         // "Open", "Close", "GetState", "SetState", "GetTimeouts",
                          // "SetTimeouts", "PurgeInput", "PurgeOutput", "Read", "Write"
  bool ok = true;         // what the call returned
  std::string device;     // Open: the path asked for
  LineSettings settings;  // GetState: served; SetState: applied
  PortTimeouts timeouts;  // GetTimeouts: served; SetTimeouts: applied
  std::size_t count = 0;  // Read: bytes asked for; Write: bytes handed in
  Bytes bytes;            // Read: bytes served; Write: bytes handed in
};

// A serial line run from a script, for tests of everything above the backend.
//
// Replies: QueueReply() appends a chunk; each Read serves the next chunk cut to the count asked,
// or nothing when none is queued. What a Read cuts off stays as pending input (served first by
// the next Read) until PurgeInput discards it, as on a real port. `onWrite`, when set, sees each
// written frame and returns the chunks that answer it (queued after any already waiting).
//
// Failures: FailOn("PurgeInput", "Input/output error") makes that call fail from now on (until
// Heal), FailOnce() only the next time. A failed Read serves nothing, a failed Write takes
// `writtenOnFailure` bytes. LastErrorText() returns the text of the last failure and is not
// recorded as a call.
//
// SerialPort owns its backend, so keep a raw pointer before moving the unique_ptr in:
//   auto backend = std::make_unique<ScriptedSerialBackend>();
//   ScriptedSerialBackend& line = *backend;
class ScriptedSerialBackend final : public SerialBackend {
 public:
  bool Open(const std::string& device) override {
    SerialCall call = NewCall("Open");
    call.device = device;
    if (!Pass(call)) return Record(std::move(call));
    open = true;
    return Record(std::move(call));
  }

  bool Close() override {
    SerialCall call = NewCall("Close");
    open = false;  // a failed close still gives the handle up, as the port does
    Pass(call);
    return Record(std::move(call));
  }

  bool GetState(LineSettings& settings) override {
    SerialCall call = NewCall("GetState");
    call.settings = state;
    if (Pass(call)) settings = state;
    return Record(std::move(call));
  }

  bool SetState(const LineSettings& settings) override {
    SerialCall call = NewCall("SetState");
    call.settings = settings;
    if (Pass(call)) state = settings;
    return Record(std::move(call));
  }

  bool GetTimeouts(PortTimeouts& value) override {
    SerialCall call = NewCall("GetTimeouts");
    call.timeouts = timeouts;
    if (Pass(call)) value = timeouts;
    return Record(std::move(call));
  }

  bool SetTimeouts(const PortTimeouts& value) override {
    SerialCall call = NewCall("SetTimeouts");
    call.timeouts = value;
    if (Pass(call)) timeouts = value;
    return Record(std::move(call));
  }

  bool PurgeInput() override {
    SerialCall call = NewCall("PurgeInput");
    if (Pass(call)) pending_.clear();
    return Record(std::move(call));
  }

  bool PurgeOutput() override {
    SerialCall call = NewCall("PurgeOutput");
    Pass(call);
    return Record(std::move(call));
  }

  bool Read(std::uint8_t* buffer, std::size_t count, std::size_t& got) override {
    SerialCall call = NewCall("Read");
    call.count = count;
    got = 0;
    if (Pass(call)) {
      if (pending_.empty() && !replies_.empty()) {
        pending_ = std::move(replies_.front());
        replies_.pop_front();
      }
      got = std::min(count, pending_.size());
      std::copy_n(pending_.begin(), got, buffer);
      call.bytes.assign(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(got));
      pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(got));
    }
    return Record(std::move(call));
  }

  bool Write(const std::uint8_t* bytes, std::size_t count, std::size_t& written) override {
    SerialCall call = NewCall("Write");
    call.count = count;
    call.bytes = Bytes(bytes, bytes + count);
    const bool ok = Pass(call);
    written = ok ? count : std::min(writtenOnFailure, count);
    if (ok && onWrite) {
      for (Bytes& chunk : onWrite(call.bytes)) replies_.push_back(std::move(chunk));
    }
    return Record(std::move(call));
  }

  std::string LastErrorText() override { return lastError_; }

  // --- Script ---
  void QueueReply(Bytes chunk) { replies_.push_back(std::move(chunk)); }
  void QueueReply(std::string_view chunk) { QueueReply(ToBytes(chunk)); }
  void FailOn(const std::string& op, std::string text = "Input/output error") {
    failures_[op] = {std::move(text), false};
  }
  void FailOnce(const std::string& op, std::string text = "Input/output error") {
    failures_[op] = {std::move(text), true};
  }
  void Heal(const std::string& op) { failures_.erase(op); }
  // Bytes that have arrived and not been read or purged yet.
  std::size_t PendingInput() const { return pending_.size(); }
  std::size_t QueuedReplies() const { return replies_.size(); }

  // --- Record ---
  std::vector<std::string> Ops() const {
    std::vector<std::string> ops;
    for (const SerialCall& call : calls) ops.push_back(call.op);
    return ops;
  }
  std::vector<Bytes> Writes() const {
    std::vector<Bytes> frames;
    for (const SerialCall& call : calls) {
      if (call.op == "Write") frames.push_back(call.bytes);
    }
    return frames;
  }
  std::vector<std::size_t> ReadCounts() const {
    std::vector<std::size_t> counts;
    for (const SerialCall& call : calls) {
      if (call.op == "Read") counts.push_back(call.count);
    }
    return counts;
  }

  std::vector<SerialCall> calls;
  std::function<std::vector<Bytes>(const Bytes& frame)> onWrite;
  std::size_t writtenOnFailure = 0;
  bool open = false;
  // What GetState and GetTimeouts serve until something is applied.
  LineSettings state;
  PortTimeouts timeouts{.readInterval = 50, .readTotalMultiplier = 10, .readTotalConstant = 100};

 private:
  static SerialCall NewCall(const char* op) {
    SerialCall call;
    call.op = op;
    return call;
  }

  struct Failure {
    std::string text;
    bool once = false;
  };

  bool Pass(SerialCall& call) {
    auto it = failures_.find(call.op);
    if (it == failures_.end()) return call.ok = true;
    lastError_ = it->second.text;
    if (it->second.once) failures_.erase(it);
    return call.ok = false;
  }
  bool Record(SerialCall call) {
    const bool ok = call.ok;
    calls.push_back(std::move(call));
    return ok;
  }

  std::deque<Bytes> replies_;
  Bytes pending_;
  std::map<std::string, Failure> failures_;
  std::string lastError_;
};

// Hands every port the same device, or one device per port; ports it was not given resolve to
// nothing. Records the port numbers asked for.
class FixedPortResolver final : public PortResolver {
 public:
  FixedPortResolver() = default;
  explicit FixedPortResolver(std::string anyPort) : any_(std::move(anyPort)) {}
  FixedPortResolver& Map(unsigned port, std::string path) {
    paths_[port] = std::move(path);
    return *this;
  }

  std::string DevicePath(unsigned portNumber) override {
    asked.push_back(portNumber);
    auto it = paths_.find(portNumber);
    return it != paths_.end() ? it->second : any_;
  }

  std::vector<unsigned> asked;

 private:
  std::string any_;
  std::map<unsigned, std::string> paths_;
};

}  // namespace zemra::test
