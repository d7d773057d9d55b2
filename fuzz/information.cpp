// The information text parse and its extraction from a reply, on any bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "link/Information.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view reply(reinterpret_cast<const char*>(data), size);
  (void)zemra::ExtractIdentityLine(reply);
  if (auto text = zemra::ExtractInformationText(reply)) (void)zemra::ParseInformation(*text);
  (void)zemra::ParseInformation(reply);
  return 0;
}
