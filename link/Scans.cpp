#include "link/Scans.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "link/Frames.h"

namespace zemra {

namespace {

// The white-space class of the standard formatted input in the "C" locale.
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::size_t SkipSpace(std::string_view text, std::size_t at = 0) {
  while (at < text.size() && IsSpace(text[at])) ++at;
  return at;
}

// An optional sign at `at`; true when it is a minus.
bool TakeSign(std::string_view text, std::size_t& at) {
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) return text[at++] == '-';
  return false;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::optional<double> ScanDouble(std::string_view text) {
  std::size_t at = SkipSpace(text);
  const bool negative = TakeSign(text, at);
  // from_chars would also take "inf", "nan" and a second sign; insist on a digit or a point.
  if (at >= text.size() || !(IsDigit(text[at]) || text[at] == '.')) return std::nullopt;
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data() + at, text.data() + text.size(), value,
                                            std::chars_format::general);
  (void)end;
  if (error != std::errc() || !std::isfinite(value)) return std::nullopt;
  return negative ? -value : value;
}

std::optional<std::uint32_t> ScanHex(std::string_view text) {
  std::size_t at = SkipSpace(text);
  const bool negative = TakeSign(text, at);
  if (at + 1 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X') &&
      at + 2 < text.size() && HexDigit(text[at + 2]) >= 0) {
    at += 2;
  }
  if (at >= text.size() || HexDigit(text[at]) < 0) return std::nullopt;
  std::uint64_t value = 0;
  for (; at < text.size() && HexDigit(text[at]) >= 0; ++at) {
    if (value <= 0xFFFFFFFFu) value = value * 16 + static_cast<std::uint64_t>(HexDigit(text[at]));
  }
  if (value > 0xFFFFFFFFu) value = 0xFFFFFFFFu;
  const auto word = static_cast<std::uint32_t>(value);
  return negative ? static_cast<std::uint32_t>(0u - word) : word;
}

std::int32_t ScaleToInt(double value, double factor) {
  const double scaled = std::trunc(value * factor);
  if (std::isnan(scaled)) return 0;
  if (scaled <= static_cast<double>(std::numeric_limits<std::int32_t>::min())) {
    return std::numeric_limits<std::int32_t>::min();
  }
  if (scaled >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
    return std::numeric_limits<std::int32_t>::max();
  }
  return static_cast<std::int32_t>(scaled);
}

std::string LabelFromReply(std::string_view reply) {
  std::size_t end = reply.size();
  while (end > 0 && IsSpace(reply[end - 1])) --end;
  return std::string(reply.substr(0, end < kLabelLength ? end : kLabelLength));
}

std::string LabelForFrame(std::string_view label) {
  std::string clean = WithoutControlCharacters(label);
  if (clean.size() > kLabelLength) clean.erase(0, clean.size() - kLabelLength);
  return clean;
}

}  // namespace zemra
