#include "bench/CountingSerialBackend.h"

#include <utility>

namespace zemra::bench {

CountingSerialBackend::CountingSerialBackend(std::unique_ptr<SerialBackend> inner,
                                             std::shared_ptr<LineBytes> bytes)
    : inner_(std::move(inner)), bytes_(std::move(bytes)) {}

bool CountingSerialBackend::Read(std::uint8_t* buffer, std::size_t count, std::size_t& got) {
  const bool ok = inner_->Read(buffer, count, got);
  bytes_->read += got;
  return ok;
}

bool CountingSerialBackend::Write(const std::uint8_t* bytes, std::size_t count,
                                  std::size_t& written) {
  const bool ok = inner_->Write(bytes, count, written);
  bytes_->written += written;
  return ok;
}

}  // namespace zemra::bench
