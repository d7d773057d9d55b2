#include "files/CommsSettingsFile.h"

#include <cstdint>
#include <optional>

namespace zemra {

namespace {

constexpr std::string_view kHeader = "[Communication Settings]";

std::int32_t* IntegerField(CommsSettings& s, std::string_view key) {
  if (key == "SerialAddress") return &s.SerialAddress;
  if (key == "SerialBaudRate") return &s.SerialBaudRate;
  if (key == "SerialPort") return &s.SerialPort;
  if (key == "SerialUnitAddress") return &s.SerialUnitAddress;
  return nullptr;
}

// Applies one key line; false when an integer key's value holds no integer. The key is the
// text before the first space and the value everything after that one space, so spaces
// inside or around a text value survive any number of saves and loads.
bool ApplyKeyLine(CommsSettings& s, std::string_view line) {
  const std::size_t space = line.find(' ');
  if (space == std::string_view::npos) return true;
  const std::string_view key = line.substr(0, space);
  const std::string_view value = line.substr(space + 1);
  if (key == "IpAddress") {
    s.IpAddress = std::string(value);
  } else if (key == "IpPort") {
    s.IpPort = std::string(value);
  } else if (std::int32_t* field = IntegerField(s, key)) {
    const std::optional<std::int32_t> n = ScanInt(value);
    if (!n) return false;
    *field = *n;
  } else if (key == "UseTcpMode") {
    const std::optional<std::int32_t> n = ScanInt(value);
    if (!n) return false;
    s.UseTcpMode = *n != 0;
  }
  return true;
}

void AddLine(std::string& text, std::string_view key, std::string_view value) {
  text.append(key).append(" ").append(value).append("\n");
}

}  // namespace

std::string ComposeCommsSettings(const CommsSettings& s) {
  std::string text = "[start]\n[Communication Settings]\n";
  AddLine(text, "SerialAddress", FormatInt(s.SerialAddress));
  AddLine(text, "SerialBaudRate", FormatInt(s.SerialBaudRate));
  AddLine(text, "SerialPort", FormatInt(s.SerialPort));
  AddLine(text, "SerialUnitAddress", FormatInt(s.SerialUnitAddress));
  AddLine(text, "UseTcpMode", s.UseTcpMode ? "1" : "0");
  AddLine(text, "IpAddress", TextValue(s.IpAddress));
  AddLine(text, "IpPort", TextValue(s.IpPort));
  text.append("[end]\n\n");
  return WithCrLf(text);
}

CommsParse ParseCommsSettings(std::string_view bytes, const CommsSettings& start) {
  CommsParse result{start, TextFormat::kOk};
  const std::string text = TextFromBytes(bytes);
  const KeyLines found = LocateKeyLines(text, kHeader, "SerialAddress");
  result.status = found.status;
  if (found.status != TextFormat::kOk) return result;
  for (std::string_view line : found.lines) {
    if (!ApplyKeyLine(result.settings, line)) {
      result.status = TextFormat::kBadValue;
      return result;
    }
  }
  return result;
}

}  // namespace zemra
