// The thermometer's command vocabulary: what each read answers and what each set changes.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "sim/Thermometer.h"

namespace zemra::sim {
namespace {

std::optional<long> ParseInteger(const std::string& text) {
  if (text.empty() || text.size() > 12) return std::nullopt;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != '\0') return std::nullopt;
  return value;
}

bool InSpan(long value, long low, long high) {
  return value >= low && value <= high;
}

// Settings that are a plain integer within fixed limits.
struct IntegerSetting {
  const char* mnemonic;
  int ThermometerSettings::*field;
  long low, high;
};

constexpr IntegerSetting kIntegers[] = {
    {"EMS", &ThermometerSettings::ems, 1, 1000},    {"NGR", &ThermometerSettings::ngr, 500, 2000},
    {"ANC", &ThermometerSettings::anc, 0, 1},       {"TFN", &ThermometerSettings::tfn, 0, 3},
    {"AVR", &ThermometerSettings::avr, 0, 15},      {"PPM", &ThermometerSettings::ppm, 0, 9},
    {"PPD", &ThermometerSettings::ppd, 0, 12},      {"PON", &ThermometerSettings::pon, 0, 100},
    {"POF", &ThermometerSettings::pof, 0, 100},     {"OPT", &ThermometerSettings::opt, 0, 9},
    {"ODM", &ThermometerSettings::odm, 0, 1},       {"UAP", &ThermometerSettings::uap, 800, 1200},
    {"COM", &ThermometerSettings::address, 1, 254}, {"BRT", &ThermometerSettings::baudIndex, 0, 4},
};

const IntegerSetting* FindInteger(const std::string& mnemonic) {
  for (const auto& setting : kIntegers) {
    if (mnemonic == setting.mnemonic) return &setting;
  }
  return nullptr;
}

// Alarm mnemonics A1L .. A2C: which alarm (0 or 1) and which letter, or nothing.
std::optional<std::pair<int, char>> AlarmMnemonic(const std::string& m) {
  if (m.size() != 3 || m[0] != 'A' || (m[1] != '1' && m[1] != '2')) return std::nullopt;
  if (m[2] != 'L' && m[2] != 'M' && m[2] != 'C') return std::nullopt;
  return std::make_pair(m[1] - '1', m[2]);
}

}  // namespace

std::optional<std::string> Thermometer::Read(const std::string& command) {
  std::lock_guard lock(mutex_);
  return ReadLocked(command);
}

bool Thermometer::Set(const std::string& mnemonic, const std::string& value) {
  std::lock_guard lock(mutex_);
  if (mnemonic == "LBL") {
    working_.label = value.substr(0, kLabelLimit);
    return true;
  }
  if (mnemonic == "MEM") {
    if (value != kMemoryStoreCode) return false;
    stored_ = working_;
    return true;
  }
  const auto number = ParseInteger(value);
  return number && SetLocked(mnemonic, *number);
}

std::string Thermometer::ProbeReply() {
  std::lock_guard lock(mutex_);
  char text[16];
  std::snprintf(text, sizeof text, "*%03d*", working_.address);
  return text;
}

std::optional<std::string> Thermometer::ReadLocked(const std::string& command) {
  auto& s = working_;
  if (const auto* setting = FindInteger(command)) return std::to_string(s.*(setting->field));
  if (const auto alarm = AlarmMnemonic(command)) {
    const int i = alarm->first;
    if (alarm->second == 'L') return std::to_string(Shown(s.alarmLevelC[i]));
    return std::to_string(alarm->second == 'M' ? s.alarmMode[i] : s.alarmContact[i]);
  }
  if (command == "IFO 1") return InformationText();
  if (command == "IFO 0") return ShortInformationText();
  if (command == "LBL") return s.label;
  if (command == "IRU") return std::to_string(s.fahrenheit ? 1 : 0);
  if (command == "PPT") return std::to_string(Shown(s.pptC));
  if (command == "OMX") return std::to_string(Shown(s.omxC));
  if (command == "OMN") return std::to_string(Shown(s.omnC));
  if (command == "THV") return std::to_string(Shown(s.rangeHighC));
  if (command == "TLV") return std::to_string(Shown(s.rangeLowC));
  if (command == "HTP") return std::to_string(std::lround(ToUnit(SignalC()) * 16.0));
  if (command == "IAC") return std::to_string(Shown(InternalC()));
  if (command == "FLG") {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%x", FlagsLocked());
    return hex;
  }
  if (command == "LSR") return laserOn_ ? "1" : "0";
  if (command == "LPF") return laserFitted_ ? "1" : "0";
  if (command == "TSN") return std::to_string(serialNumber_);
  return std::nullopt;
}

bool Thermometer::SetTemperature(double& field, long value) {
  if (!InSpan(value, Shown(working_.rangeLowC), Shown(working_.rangeHighC))) return false;
  field = FromUnit(static_cast<double>(value));
  return true;
}

bool Thermometer::SetLocked(const std::string& mnemonic, long value) {
  auto& s = working_;
  if (const auto* setting = FindInteger(mnemonic)) {
    if (!InSpan(value, setting->low, setting->high)) return false;
    s.*(setting->field) = static_cast<int>(value);
    return true;
  }
  if (const auto alarm = AlarmMnemonic(mnemonic)) {
    const int i = alarm->first;
    if (alarm->second == 'L') return SetTemperature(s.alarmLevelC[i], value);
    if (!InSpan(value, 0, alarm->second == 'M' ? 4 : 9)) return false;
    (alarm->second == 'M' ? s.alarmMode[i] : s.alarmContact[i]) = static_cast<int>(value);
    return true;
  }
  if (mnemonic == "IRU") {
    // Temperatures are kept in Celsius, so every one of them follows the new unit at once.
    s.fahrenheit = value != 0;
    return true;
  }
  if (mnemonic == "PPT") return SetTemperature(s.pptC, value);
  if (mnemonic == "OMX") return SetTemperature(s.omxC, value);
  if (mnemonic == "OMN") return SetTemperature(s.omnC, value);
  if (mnemonic == "LSR") {
    if (!laserFitted_) return false;
    laserOn_ = value != 0;
    return true;
  }
  return false;
}

int Thermometer::Address() {
  std::lock_guard lock(mutex_);
  return working_.address;
}

ThermometerSettings Thermometer::Settings() {
  std::lock_guard lock(mutex_);
  return working_;
}

ThermometerSettings Thermometer::StoredSettings() {
  std::lock_guard lock(mutex_);
  return stored_;
}

void Thermometer::Restart() {
  std::lock_guard lock(mutex_);
  working_ = stored_;
  laserOn_ = false;
}

void Thermometer::SetSignal(std::optional<double> celsius) {
  std::lock_guard lock(mutex_);
  signalC_ = celsius;
}

void Thermometer::SetInternalTemperature(std::optional<double> celsius) {
  std::lock_guard lock(mutex_);
  internalC_ = celsius;
}

void Thermometer::SetExtraFlags(std::uint32_t flags) {
  std::lock_guard lock(mutex_);
  extraFlags_ = flags;
}

bool Thermometer::LaserOn() {
  std::lock_guard lock(mutex_);
  return laserOn_;
}

int Thermometer::TemperatureSixteenths() {
  std::lock_guard lock(mutex_);
  return static_cast<int>(std::lround(ToUnit(SignalC()) * 16.0));
}

int Thermometer::InternalTemperature() {
  std::lock_guard lock(mutex_);
  return Shown(InternalC());
}

std::uint32_t Thermometer::Flags() {
  std::lock_guard lock(mutex_);
  return FlagsLocked();
}

}  // namespace zemra::sim
