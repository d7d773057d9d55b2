// The "CommsSettings.cfg" parser on any bytes; a file it accepts reads back unchanged after a
// save.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "files/CommsSettingsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const zemra::CommsSettings start;
  const auto parsed = zemra::ParseCommsSettings(bytes, start);
  // Texts are stored as they stand, so a text holding a line end, a NUL or "[end]" changes
  // the file's lines when it is saved again; such texts cannot come from the settings dialog.
  const auto plain = [](const std::string& text) {
    return text.find_first_of(std::string("\r\n\0", 3)) == std::string::npos &&
           text.find("[end]") == std::string::npos;
  };
  if (parsed.status == zemra::TextFormat::kOk && plain(parsed.settings.IpAddress) &&
      plain(parsed.settings.IpPort)) {
    const auto again = zemra::ParseCommsSettings(zemra::ComposeCommsSettings(parsed.settings), start);
    if (again.status != zemra::TextFormat::kOk || !(again.settings == parsed.settings)) {
      __builtin_trap();
    }
  }
  return 0;
}
