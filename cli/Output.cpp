#include "cli/Output.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace zemra::cli {

std::string Latin1ToUtf8(std::string_view latin1) {
  std::string utf8;
  utf8.reserve(latin1.size());
  for (const char c : latin1) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(0xC0 | (byte >> 6));
      utf8 += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return utf8;
}

std::string DisplayText(std::string_view latin1) {
  std::string safe(latin1);
  for (char& c : safe) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || (byte >= 0x80 && byte < 0xA0)) c = '?';
  }
  return Latin1ToUtf8(safe);
}

std::string JsonString(std::string_view latin1) {
  std::string out = "\"";
  for (const char c : Latin1ToUtf8(latin1)) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string FormatNumber(double value) {
  if (!std::isfinite(value)) return "null";
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string LocalTimeStamp(std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  return text;
}

JsonObject& JsonObject::Text(std::string_view key, std::string_view latin1) {
  return Raw(key, JsonString(latin1));
}

JsonObject& JsonObject::Number(std::string_view key, double value) {
  return Raw(key, FormatNumber(value));
}

JsonObject& JsonObject::Integer(std::string_view key, long long value) {
  return Raw(key, std::to_string(value));
}

JsonObject& JsonObject::Bool(std::string_view key, bool value) {
  return Raw(key, value ? "true" : "false");
}

JsonObject& JsonObject::Raw(std::string_view key, std::string json) {
  members_.emplace_back(JsonString(key), std::move(json));
  return *this;
}

std::string JsonObject::Str() const {
  std::string out = "{";
  for (std::size_t i = 0; i < members_.size(); ++i) {
    if (i > 0) out += ", ";
    out += members_[i].first + ": " + members_[i].second;
  }
  return out + "}";
}

std::string DisplayLines(std::string_view latin1) {
  std::string text;
  std::size_t start = 0;
  while (start <= latin1.size()) {
    std::size_t end = latin1.find('\n', start);
    if (end == std::string_view::npos) end = latin1.size();
    std::string_view line = latin1.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (start > 0) text += '\n';
    text += DisplayText(line);
    start = end + 1;
  }
  return text;
}

}  // namespace zemra::cli
