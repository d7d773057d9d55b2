#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "files/ConfigFile.h"
#include "link/ParameterTypes.h"

// The bridge between the thermometer's configuration as the link reads and writes it and the
// ".zcf" value record. Plain functions on values, so the window can take them over as they are.

namespace zemra {

// Everything ReadConfiguration gives and WriteConfiguration takes, in one record.
struct LinkConfiguration {
  std::string label;
  Thermometer thermometer;
  std::int32_t units = 0;  // IRU: 0 Celsius, 1 Fahrenheit (the record's flag after a read)
  double emissivity = 1.0;
  std::int32_t emissivityControl = 0;
  double nonGreyness = 1.0;
  TimeFuncData timeFunction;
  AlarmLevel alarmLevel;
  AlarmMode alarmMode;
  AlarmContacts alarmContacts;
  OutputData output;
  std::int32_t userCalibration = 1000;
  std::int32_t driveMode = 0;    // the program's ODM flag (ratio thermometers)
  std::int32_t unitAddress = 1;  // COM

  friend bool operator==(const LinkConfiguration&, const LinkConfiguration&) = default;
};

// The value the panel's one emissivity field stands for: the non-grey ratio on a ratio
// thermometer, the emissivity otherwise. The window sends that one field as both.
double EmissivityField(const LinkConfiguration& config);

// The configuration as the panel would hold it after a read, every key present. Decimal
// values are scaled as the panel's fields show them (EMS/NGR with 3 decimals, PON and POF with
// 1), so 0.95 read as 949.99... is stored as 950. EMS/NGR is present only for a
// single-wavelength or ratio thermometer.
ConfigValues ToConfigValues(const LinkConfiguration& config);

// The type number and kind that a save while connected adds to the file.
ConnectedUnit ConnectedUnitOf(const Thermometer& thermometer);

// The ".zcf" text the window saves while this thermometer is connected.
std::string ComposeConnectedConfigFile(const LinkConfiguration& config);

// Puts every value present in `values` over `config`, scaled back (EMS or NGR n / 1000 into
// the emissivity field, PON and POF n / 10). The label is taken unchanged.
void ApplyConfigValues(const ConfigValues& values, LinkConfiguration& config);

// The emissivity key of a thermometer kind: "EMS", "NGR", or "EMS/NGR" for a thermometer that
// has neither, where a file's value can only be shown.
std::string EmissivityKey(std::int32_t typeClass);

// One key of a configuration, its value as the file writes it.
struct ConfigEntry {
  std::string key;
  std::optional<std::string> value;  // absent when the record does not hold the key

  friend bool operator==(const ConfigEntry&, const ConfigEntry&) = default;
};

// Every key of the file format in file order (IRT excepted), with the values `values` holds.
std::vector<ConfigEntry> ConfigEntries(const ConfigValues& values, std::int32_t typeClass);

// A difference between two configurations: the key and both sides' values.
struct ConfigDifference {
  std::string key;
  std::optional<std::string> thermometer;
  std::optional<std::string> expected;

  friend bool operator==(const ConfigDifference&, const ConfigDifference&) = default;
};

// The keys where `thermometer` differs from `expected`, for every key that `expected` holds.
std::vector<ConfigDifference> CompareConfigValues(const ConfigValues& thermometer,
                                                  const ConfigValues& expected,
                                                  std::int32_t typeClass);

// The value record reduced to the keys a save of it writes: AVR only with TFN 1, the peak
// picker's keys only with TFN 2.
ConfigValues SavedKeysOnly(ConfigValues values);

}  // namespace zemra
