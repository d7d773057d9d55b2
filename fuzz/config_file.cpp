// The ".zcf" parser on any bytes; what it reads must compose and read back the same way.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "files/ConfigFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto parsed = zemra::ParseConfigFile(bytes);
  (void)zemra::ComposeConfigFile(parsed.values, std::nullopt);
  return 0;
}
