#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace zemra::sim {

// One frame or datagram as it arrived.
struct RecordEntry {
  std::chrono::steady_clock::time_point at;
  double seconds = 0;   // since the recorder was made
  std::string channel;  // "pty", "tcp 127.0.0.5:2101", "addp"
  std::string peer;     // the sender, where the transport knows it
  std::string kind;     // "read", "set", "probe", "unknown", "oversized", "datagram"
  std::string command;  // read and set frames: the command or mnemonic
  std::string bytes;    // as received (long ones cut; the frame or datagram is still counted)
};

// Everything the simulator received, in order, for tests to read back and for --trace.
// Bounded: past `capacity` entries, or past kMaxTotalBytes of stored bytes, the oldest go.
class Recorder {
 public:
  static constexpr std::size_t kDefaultCapacity = 100000;
  static constexpr std::size_t kMaxStoredBytes = 4096;
  static constexpr std::size_t kMaxTotalBytes = 16 * 1024 * 1024;

  explicit Recorder(std::size_t capacity = kDefaultCapacity);
  ~Recorder();
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  // Writes each entry as one line to `path` as well; false when it cannot be opened.
  bool TraceTo(const std::string& path);

  void Add(RecordEntry entry);
  std::vector<RecordEntry> Entries();
  std::size_t Count();
  void Clear();
  // Waits until `done(entries)` holds or the time-out passes; returns whether it held.
  bool WaitFor(const std::function<bool(const std::vector<RecordEntry>&)>& done,
               std::chrono::milliseconds timeout);

  static std::string TraceLine(const RecordEntry& entry);

 private:
  const std::size_t capacity_;
  const std::chrono::steady_clock::time_point start_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<RecordEntry> entries_;
  std::size_t storedBytes_ = 0;
  std::FILE* trace_ = nullptr;
};

}  // namespace zemra::sim
