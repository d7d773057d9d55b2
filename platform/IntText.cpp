#include "platform/IntText.h"

#include <limits>

namespace zemra {

namespace {

// The white-space class of the standard formatted input in the "C" locale.
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::optional<std::int32_t> ScanInt(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && IsSpace(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  if (at >= text.size() || !IsDigit(text[at])) return std::nullopt;
  // Accumulate a magnitude that stops growing once it passes any 32-bit value.
  constexpr std::int64_t kCap = std::int64_t{1} << 32;
  std::int64_t magnitude = 0;
  for (; at < text.size() && IsDigit(text[at]); ++at) {
    if (magnitude < kCap) magnitude = magnitude * 10 + (text[at] - '0');
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(value < kMin ? kMin : (value > kMax ? kMax : value));
}

}  // namespace zemra
