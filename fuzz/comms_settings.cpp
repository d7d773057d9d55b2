// The "CommsSettings.cfg" parser on any bytes; a file it accepts reads back unchanged after a
// save.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "files/CommsSettingsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const zemra::CommsSettings start;
  const auto parsed = zemra::ParseCommsSettings(bytes, start);
  if (parsed.status == zemra::TextFormat::kOk) {
    const auto again = zemra::ParseCommsSettings(zemra::ComposeCommsSettings(parsed.settings), start);
    if (again.status != zemra::TextFormat::kOk || !(again.settings == parsed.settings)) {
      __builtin_trap();
    }
  }
  return 0;
}
