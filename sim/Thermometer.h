#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace zemra::sim {

enum class ThermometerKind { Single, Ratio, Neither };

// Status flag bits of FLG.
inline constexpr std::uint32_t kFlagUnderRange = 0x10;
inline constexpr std::uint32_t kFlagOverRange = 0x20;
inline constexpr std::uint32_t kFlagSignalLost = 0x40;  // only ever set by a test or option
inline constexpr std::uint32_t kFlagAlarm1 = 0x200;
inline constexpr std::uint32_t kFlagAlarm2 = 0x400;
inline constexpr std::uint32_t kFlagInternalHot = 0x800;

inline constexpr const char* kMemoryStoreCode = "3958";
inline constexpr std::size_t kLabelLimit = 15;  // characters a label keeps

// How a thermometer leaves the factory.
struct ThermometerConfig {
  ThermometerKind kind = ThermometerKind::Single;
  bool fahrenheit = false;
  int address = 1;
  // Range in the starting unit (Fahrenheit when `fahrenheit`); empty: the kind's default.
  std::optional<std::pair<int, int>> range;
  std::string label = "ZEMRA";
  long serialNumber = 10001;
  bool laserFitted = true;
};

// The settings a thermometer keeps. Temperatures are held in Celsius whatever IRU says, so that
// switching units back and forth never drifts; they are shown rounded in the current unit.
struct ThermometerSettings {
  bool fahrenheit = false;
  double rangeLowC = 0, rangeHighC = 1000;
  int ems = 950, ngr = 1000, anc = 0;
  std::string label;
  int tfn = 0, avr = 0, ppm = 0, ppd = 0, pon = 0, pof = 0;
  double pptC = 0;
  double alarmLevelC[2] = {0, 0};
  int alarmMode[2] = {0, 1}, alarmContact[2] = {0, 0};
  double omxC = 1000, omnC = 0;
  int opt = 0, odm = 1, uap = 1000;
  int address = 1, baudIndex = 0;
};

// The stand-in thermometer: answers read commands and takes set commands exactly as text, the
// way the instrument's firmware would. Thread-safe: transports and tests may call it at once.
class Thermometer {
 public:
  using SecondsClock = std::function<double()>;

  explicit Thermometer(const ThermometerConfig& config, SecondsClock clock = {});

  // The reply text to a read command ("EMS", "IFO 1"), or empty when the command is unknown.
  std::optional<std::string> Read(const std::string& command);
  // Applies a set command; false when the mnemonic is unknown or the value is refused (a real
  // unit keeps its old value then, and says nothing either way).
  bool Set(const std::string& mnemonic, const std::string& value);
  // The reply text to the probe frame.
  std::string ProbeReply();

  int Address();
  ThermometerKind Kind() const { return kind_; }
  ThermometerSettings Settings();
  ThermometerSettings StoredSettings();
  // Power cycle: the working settings fall back to those last stored with MEM.
  void Restart();

  // Pins the measured temperature (Celsius); empty lets it wander through the range again.
  void SetSignal(std::optional<double> celsius);
  void SetInternalTemperature(std::optional<double> celsius);
  void SetExtraFlags(std::uint32_t flags);
  bool LaserOn();

  // Readings as the thermometer would report them now.
  int TemperatureSixteenths();
  int InternalTemperature();
  std::uint32_t Flags();

 private:
  std::optional<std::string> ReadLocked(const std::string& command);
  bool SetLocked(const std::string& mnemonic, long value);
  bool SetTemperature(double& field, long value);
  std::string InformationText() const;
  std::string ShortInformationText() const;
  double SignalC() const;
  double InternalC() const;
  std::uint32_t FlagsLocked() const;
  double ToUnit(double celsius) const;
  double FromUnit(double value) const;
  int Shown(double celsius) const;

  const ThermometerKind kind_;
  const long serialNumber_;
  const bool laserFitted_;
  SecondsClock clock_;
  std::mutex mutex_;
  ThermometerSettings working_;
  ThermometerSettings stored_;
  bool laserOn_ = false;
  std::optional<double> signalC_;
  std::optional<double> internalC_;
  std::uint32_t extraFlags_ = 0;
};

// The model word of the first information line; its fourth character tells the kind.
const char* ModelWord(ThermometerKind kind);
std::optional<ThermometerKind> ParseKind(const std::string& text);

}  // namespace zemra::sim
