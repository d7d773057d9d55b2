#include "files/TextLines.h"

#include <limits>

namespace zemra {

namespace {

// White space as "%d" skips it in the C locale.
bool IsCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

constexpr std::string_view kEndMark = "[end]";

}  // namespace

std::string TextFromBytes(std::string_view bytes) {
  bytes = bytes.substr(0, kTextReadLimit);
  bytes = bytes.substr(0, bytes.find('\0'));
  std::string text;
  text.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    text.push_back(bytes[i]);
  }
  return text;
}

std::string WithCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8 + 2);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\r\n";
    } else if (c == '\n') {
      out += "\r\n";
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::string_view TextValue(std::string_view text) {
  return text.substr(0, text.find('\0'));
}

std::optional<std::int32_t> ScanInt(std::string_view value) {
  std::size_t i = 0;
  while (i < value.size() && IsCSpace(value[i])) ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
    negative = value[i] == '-';
    ++i;
  }
  if (i >= value.size() || !IsDigit(value[i])) return std::nullopt;

  // Accumulate the magnitude but stop growing just past the 32-bit range, so a run of any
  // length of digits cannot overflow; the remaining digits are still consumed.
  constexpr std::int64_t kCap = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  for (; i < value.size() && IsDigit(value[i]); ++i) {
    magnitude = magnitude * 10 + (value[i] - '0');
    if (magnitude > kCap) magnitude = kCap;
  }
  const std::int64_t signed_value = negative ? -magnitude : magnitude;
  if (signed_value > std::numeric_limits<std::int32_t>::max()) {
    return std::numeric_limits<std::int32_t>::max();
  }
  return static_cast<std::int32_t>(signed_value);
}

std::string FormatInt(std::int32_t value) {
  return std::to_string(value);
}

KeyLines LocateKeyLines(std::string_view text, std::string_view header, std::string_view firstKey) {
  KeyLines result;
  const std::size_t headerAt = text.find(header);
  if (headerAt == std::string_view::npos) {
    result.status = TextFormat::kNoHeader;
    return result;
  }
  // The body starts after the header and the one character behind it, whatever that is. A
  // header at the very end leaves a start past the text, where nothing can be found.
  const std::size_t bodyStart = headerAt + header.size() + 1;
  const std::size_t endAt = text.find(kEndMark, bodyStart);
  if (endAt == std::string_view::npos) {
    result.status = TextFormat::kNoEnd;
    return result;
  }
  std::size_t lineStart = text.find(firstKey, bodyStart);
  if (lineStart == std::string_view::npos) {
    result.status = TextFormat::kNoStartKey;
    return result;
  }
  for (;;) {
    const std::size_t lf = text.find('\n', lineStart);
    if (lf == std::string_view::npos || lf >= endAt) break;
    result.lines.push_back(text.substr(lineStart, lf - lineStart));
    lineStart = lf + 1;
  }
  return result;
}

}  // namespace zemra
