#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// How values are written on standard output: texts from the thermometer are Latin-1 bytes and
// may hold anything, so every text shown is turned into UTF-8 and made harmless first.

namespace zemra::cli {

// Latin-1 bytes as UTF-8.
std::string Latin1ToUtf8(std::string_view latin1);

// A thermometer's text for a terminal: UTF-8, control characters (which could steer the
// terminal) shown as "?".
std::string DisplayText(std::string_view latin1);

// A multi-line thermometer text (the information texts) for a terminal: lines end in LF, every
// other control character shows as "?".
std::string DisplayLines(std::string_view latin1);

// A JSON string literal, quotes included, of Latin-1 bytes.
std::string JsonString(std::string_view latin1);

// A number in its shortest form that reads back exactly (500, 500.0625, 0.95).
std::string FormatNumber(double value);

// Local time as "YYYY-MM-DDTHH:MM:SS".
std::string LocalTimeStamp(std::time_t when);

// One JSON object, written on one line, members in the order added.
class JsonObject {
 public:
  JsonObject& Text(std::string_view key, std::string_view latin1);
  JsonObject& Number(std::string_view key, double value);
  JsonObject& Integer(std::string_view key, long long value);
  JsonObject& Bool(std::string_view key, bool value);
  JsonObject& Raw(std::string_view key, std::string json);
  std::string Str() const;

 private:
  std::vector<std::pair<std::string, std::string>> members_;
};

}  // namespace zemra::cli
