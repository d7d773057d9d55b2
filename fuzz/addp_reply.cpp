// The ADDP discovery reply parser on datagrams of any size and content.
#include <cstddef>
#include <cstdint>
#include <span>

#include "net/AddpMessages.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (auto reply = zemra::addp::ParseDiscoveryReply(std::span<const std::uint8_t>(data, size))) {
    (void)reply;
  }
  return 0;
}
