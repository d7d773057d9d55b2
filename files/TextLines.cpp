#include "files/TextLines.h"

namespace zemra {

namespace {

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
