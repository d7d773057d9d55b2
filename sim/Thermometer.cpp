#include "sim/Thermometer.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace zemra::sim {
namespace {

struct KindFacts {
  int typeNumber;
  const char* modelWord;
  const char* description;
  int lowC, highC;
};

KindFacts Facts(ThermometerKind kind) {
  switch (kind) {
    case ThermometerKind::Ratio:
      return {7, "ZEMR5", "two-colour ratio pyrometer", 700, 1800};
    case ThermometerKind::Neither:
      return {9, "ZEML1", "line scanner head", 200, 1000};
    case ThermometerKind::Single:
      break;
  }
  return {4, "ZEM2A", "single-wavelength pyrometer", 0, 1000};
}

}  // namespace

const char* ModelWord(ThermometerKind kind) {
  return Facts(kind).modelWord;
}

std::optional<ThermometerKind> ParseKind(const std::string& text) {
  if (text == "single") return ThermometerKind::Single;
  if (text == "ratio") return ThermometerKind::Ratio;
  if (text == "neither") return ThermometerKind::Neither;
  return std::nullopt;
}

Thermometer::Thermometer(const ThermometerConfig& config, SecondsClock clock)
    : kind_(config.kind),
      serialNumber_(config.serialNumber),
      laserFitted_(config.laserFitted),
      clock_(std::move(clock)) {
  if (!clock_) {
    const auto start = std::chrono::steady_clock::now();
    clock_ = [start] {
      return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
  }
  const KindFacts facts = Facts(kind_);
  auto& s = working_;
  s.fahrenheit = config.fahrenheit;
  if (config.range) {
    s.rangeLowC = FromUnit(config.range->first);
    s.rangeHighC = FromUnit(config.range->second);
  } else {
    s.rangeLowC = facts.lowC;
    s.rangeHighC = facts.highC;
  }
  s.label = config.label.substr(0, kLabelLimit);
  s.address = config.address;
  s.pptC = s.rangeLowC;
  s.omnC = s.rangeLowC;
  s.omxC = s.rangeHighC;
  s.alarmLevelC[0] = s.rangeLowC + (s.rangeHighC - s.rangeLowC) * 0.1;
  s.alarmLevelC[1] = s.rangeLowC + (s.rangeHighC - s.rangeLowC) * 0.9;
  stored_ = working_;
}

double Thermometer::ToUnit(double celsius) const {
  return working_.fahrenheit ? celsius * 9.0 / 5.0 + 32.0 : celsius;
}
double Thermometer::FromUnit(double value) const {
  return working_.fahrenheit ? (value - 32.0) * 5.0 / 9.0 : value;
}
int Thermometer::Shown(double celsius) const {
  return static_cast<int>(std::lround(ToUnit(celsius)));
}

double Thermometer::SignalC() const {
  if (signalC_) return *signalC_;
  // Wanders slowly through the middle of the range, never leaving it.
  const double mid = (working_.rangeLowC + working_.rangeHighC) / 2;
  const double swing = (working_.rangeHighC - working_.rangeLowC) * 0.3;
  return mid + swing * std::sin(2 * std::numbers::pi * clock_() / 120.0);
}

double Thermometer::InternalC() const {
  if (internalC_) return *internalC_;
  return 28.0 + 3.0 * std::sin(2 * std::numbers::pi * clock_() / 600.0);
}

std::uint32_t Thermometer::FlagsLocked() const {
  const double t = SignalC();
  const double internal = InternalC();
  std::uint32_t flags = extraFlags_;
  if (t < working_.rangeLowC) flags |= kFlagUnderRange;
  if (t > working_.rangeHighC) flags |= kFlagOverRange;
  if (internal >= 70.0) flags |= kFlagInternalHot;
  for (int i = 0; i < 2; ++i) {
    const double level = working_.alarmLevelC[i];
    bool active = false;
    switch (working_.alarmMode[i]) {
      case 0:
        active = t < level;
        break;
      case 1:
        active = t > level;
        break;
      case 2:
        active = internal >= level;
        break;
      default:
        active = (extraFlags_ & kFlagSignalLost) != 0;
        break;
    }
    if (active) flags |= i == 0 ? kFlagAlarm1 : kFlagAlarm2;
  }
  return flags;
}

std::string Thermometer::InformationText() const {
  const KindFacts facts = Facts(kind_);
  char text[512];
  std::snprintf(text, sizeof text,
                "[Thermometer Information]\r\n"
                "%d: %s %s\r\n"
                "Serial %ld\r\n"
                "Firmware 3.12\r\n"
                "IRU%d\r\nTHV%d\r\nTLV%d\r\nLPF%d\r\n"
                "[end]",
                facts.typeNumber, facts.modelWord, facts.description, serialNumber_,
                working_.fahrenheit ? 1 : 0, Shown(working_.rangeHighC), Shown(working_.rangeLowC),
                laserFitted_ ? 1 : 0);
  return text;
}

std::string Thermometer::ShortInformationText() const {
  const KindFacts facts = Facts(kind_);
  char text[256];
  std::snprintf(text, sizeof text, "%s %s\r\nFirmware 3.12\r\nS/N %ld", facts.modelWord,
                facts.description, serialNumber_);
  return text;
}

}  // namespace zemra::sim
