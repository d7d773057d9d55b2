#include "sim/Recorder.h"

#include "sim/FrameCodec.h"

namespace zemra::sim {

Recorder::Recorder(std::size_t capacity)
    : capacity_(capacity == 0 ? 1 : capacity), start_(std::chrono::steady_clock::now()) {}

Recorder::~Recorder() {
  if (trace_ != nullptr) std::fclose(trace_);
}

bool Recorder::TraceTo(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) return false;
  std::lock_guard lock(mutex_);
  if (trace_ != nullptr) std::fclose(trace_);
  trace_ = file;
  return true;
}

std::string Recorder::TraceLine(const RecordEntry& entry) {
  char time[32];
  std::snprintf(time, sizeof time, "%.3f", entry.seconds);
  std::string line = std::string(time) + " " + entry.channel;
  if (!entry.peer.empty()) line += " from " + entry.peer;
  line += " " + entry.kind + " " + Printable(entry.bytes);
  return line;
}

void Recorder::Add(RecordEntry entry) {
  entry.at = std::chrono::steady_clock::now();
  entry.seconds = std::chrono::duration<double>(entry.at - start_).count();
  if (entry.bytes.size() > kMaxStoredBytes) entry.bytes.resize(kMaxStoredBytes);
  {
    std::lock_guard lock(mutex_);
    if (trace_ != nullptr) {
      const std::string line = TraceLine(entry) + "\n";
      std::fputs(line.c_str(), trace_);
      std::fflush(trace_);
    }
    storedBytes_ += entry.bytes.size();
    entries_.push_back(std::move(entry));
    while (entries_.size() > capacity_ || storedBytes_ > kMaxTotalBytes) {
      storedBytes_ -= entries_.front().bytes.size();
      entries_.pop_front();
    }
  }
  changed_.notify_all();
}

std::vector<RecordEntry> Recorder::Entries() {
  std::lock_guard lock(mutex_);
  return {entries_.begin(), entries_.end()};
}

std::size_t Recorder::Count() {
  std::lock_guard lock(mutex_);
  return entries_.size();
}

void Recorder::Clear() {
  std::lock_guard lock(mutex_);
  entries_.clear();
  storedBytes_ = 0;
}

bool Recorder::WaitFor(const std::function<bool(const std::vector<RecordEntry>&)>& done,
                       std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::unique_lock lock(mutex_);
  for (;;) {
    const std::vector<RecordEntry> snapshot(entries_.begin(), entries_.end());
    if (done(snapshot)) return true;
    if (changed_.wait_until(lock, deadline) == std::cv_status::timeout) {
      const std::vector<RecordEntry> last(entries_.begin(), entries_.end());
      return done(last);
    }
  }
}

}  // namespace zemra::sim
