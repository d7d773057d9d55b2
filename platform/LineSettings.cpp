#include <cctype>
#include <charconv>
#include <set>
#include <sstream>
#include <string>

#include "platform/SerialBackend.h"
#include "platform/SerialSpeeds.h"

namespace zemra {

namespace {

// Parses the whole of `value` as a decimal number; no sign, no trailing characters.
template <typename Number>
bool ParseNumber(const std::string& value, Number& out) {
  if (value.empty() || !std::isdigit(static_cast<unsigned char>(value.front()))) return false;
  const char* end = value.data() + value.size();
  auto [ptr, ec] = std::from_chars(value.data(), end, out);
  return ec == std::errc() && ptr == end;
}

bool ApplyKey(const std::string& key, const std::string& value, LineSettings& line) {
  if (key == "baud") return ParseNumber(value, line.baudRate) && IsSupportedBaudRate(line.baudRate);
  if (key == "parity") {
    if (value.size() != 1) return false;
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(value[0])));
    if (std::string("NEOMS").find(letter) == std::string::npos) return false;
    line.parity = letter;
    return true;
  }
  if (key == "data")
    return ParseNumber(value, line.dataBits) && line.dataBits >= 5 && line.dataBits <= 8;
  // The line can send one or two stop bits; one and a half has no termios equivalent.
  if (key == "stop")
    return ParseNumber(value, line.stopBits) && (line.stopBits == 1 || line.stopBits == 2);
  return false;
}

}  // namespace

// The text is an optional device name ending in ':' followed by key=value settings separated
// by blanks. Settings that are not named keep their values, as a device-control text only
// changes what it names; an unknown key, a repeated key, a value out of range or a text that
// names nothing is refused as a whole.
bool BuildLineSettings(const std::string& text, LineSettings& settings) {
  std::string rest = text;
  if (const auto colon = rest.find(':'); colon != std::string::npos) {
    const std::string name = rest.substr(0, colon);
    if (name.empty() || name.find_first_of(" \t=") != std::string::npos) return false;
    rest.erase(0, colon + 1);
  }
  LineSettings line = settings;
  std::set<std::string> seen;
  std::istringstream tokens(rest);
  std::string token;
  while (tokens >> token) {
    const auto equals = token.find('=');
    if (equals == std::string::npos) return false;
    std::string key = token.substr(0, equals);
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (!seen.insert(key).second) return false;
    if (!ApplyKey(key, token.substr(equals + 1), line)) return false;
  }
  if (seen.empty()) return false;
  settings = line;
  return true;
}

}  // namespace zemra
