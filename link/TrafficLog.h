#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

namespace zemra {

enum class TransferKind { Read, Wrote };

// The traffic log: one line per serial transfer, appended to a text file that is opened and
// closed for every entry. Failures to write it are silent.
class TrafficLog {
 public:
  explicit TrafficLog(std::string path = "ZEMRAnet.log");

  // Appends one entry. `count` fills the heading; the `byteCount` bytes are listed.
  void LogTransfer(TransferKind kind, int count, const std::uint8_t* bytes,
                   std::size_t byteCount) const;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// One entry, line end included, as it is written at local time `when`.
std::string FormatLogEntry(TransferKind kind, int count, const std::uint8_t* bytes,
                           std::size_t byteCount, const std::tm& when);

}  // namespace zemra
