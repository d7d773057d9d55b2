// The scans of reply values and the label rules, on any text.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "link/Scans.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  (void)zemra::ScanInt(text);
  (void)zemra::ScanHex(text);
  if (auto value = zemra::ScanDouble(text)) {
    if (!std::isfinite(*value)) __builtin_trap();
    (void)zemra::ScaleToInt(*value, 1000.0);
    (void)zemra::ScaleToInt(*value, 16.0);
  }
  if (zemra::LabelFromReply(text).size() > zemra::kLabelLength) __builtin_trap();
  const auto label = zemra::LabelForFrame(text);
  if (label.size() > zemra::kLabelLength) __builtin_trap();
  for (const char c : label) {
    if (static_cast<unsigned char>(c) < 0x20) __builtin_trap();
  }
  return 0;
}
