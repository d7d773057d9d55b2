#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/SerialBackend.h"

namespace zemra::bench {

// Bytes that crossed the serial line, both ways.
struct LineBytes {
  std::uint64_t written = 0;
  std::uint64_t read = 0;
};

// Passes every call to the real backend and counts the bytes the line carried, so a run's
// time on the wire can be worked out from what was actually sent and received. The counts
// live outside the backend because the link owns the backend.
class CountingSerialBackend final : public SerialBackend {
 public:
  CountingSerialBackend(std::unique_ptr<SerialBackend> inner, std::shared_ptr<LineBytes> bytes);

  bool Open(const std::string& device) override { return inner_->Open(device); }
  bool Close() override { return inner_->Close(); }
  bool GetState(LineSettings& settings) override { return inner_->GetState(settings); }
  bool SetState(const LineSettings& settings) override { return inner_->SetState(settings); }
  bool GetTimeouts(PortTimeouts& timeouts) override { return inner_->GetTimeouts(timeouts); }
  bool SetTimeouts(const PortTimeouts& timeouts) override { return inner_->SetTimeouts(timeouts); }
  bool PurgeInput() override { return inner_->PurgeInput(); }
  bool PurgeOutput() override { return inner_->PurgeOutput(); }
  bool Read(std::uint8_t* buffer, std::size_t count, std::size_t& got) override;
  bool Write(const std::uint8_t* bytes, std::size_t count, std::size_t& written) override;
  std::string LastErrorText() override { return inner_->LastErrorText(); }

 private:
  std::unique_ptr<SerialBackend> inner_;
  std::shared_ptr<LineBytes> bytes_;
};

// A resolver that gives one device for every port number.
class FixedPortResolver final : public PortResolver {
 public:
  explicit FixedPortResolver(std::string device) : device_(std::move(device)) {}
  std::string DevicePath(unsigned) override { return device_; }

 private:
  std::string device_;
};

}  // namespace zemra::bench
