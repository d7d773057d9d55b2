#include "link/TrafficLog.h"

#include <cstdio>
#include <memory>
#include <utility>

namespace zemra {

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

TrafficLog::TrafficLog(std::string path) : path_(std::move(path)) {}

std::string FormatLogEntry(TransferKind kind, int count, const std::uint8_t* bytes,
                           std::size_t byteCount, const std::tm& when) {
  char head[96];
  std::snprintf(head, sizeof head, "%02d/%02d/%d %02d:%02d:%02d\t", when.tm_mday, when.tm_mon + 1,
                when.tm_year + 1900, when.tm_hour, when.tm_min, when.tm_sec);
  std::string entry = head;
  std::snprintf(head, sizeof head,
                kind == TransferKind::Read ? "Read %d bytes:" : "Wrote %d bytes:", count);
  entry += head;
  if (bytes == nullptr) byteCount = 0;
  entry.reserve(entry.size() + byteCount * 5 + 1);
  for (std::size_t i = 0; i < byteCount; ++i) {
    char group[8];
    std::snprintf(group, sizeof group, " 0x%02x", static_cast<unsigned>(bytes[i]));
    entry += group;
  }
  entry += '\n';
  return entry;
}

void TrafficLog::LogTransfer(TransferKind kind, int count, const std::uint8_t* bytes,
                             std::size_t byteCount) const {
  // Opened and closed for every entry, so each one is on disk at once and the file may be read
  // or removed between transfers. A log that cannot be written never affects the transfer.
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path_.c_str(), "a"));
  if (!file) return;
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return;
  const std::string entry = FormatLogEntry(kind, count, bytes, byteCount, local);
  // One write per entry, so that a reader never sees half a line from us.
  std::fwrite(entry.data(), 1, entry.size(), file.get());
}

}  // namespace zemra
