#include "cli/ConfigMapping.h"

#include <cstdio>
#include <cstdlib>

namespace zemra {

namespace {

constexpr int kEmissivityDecimals = 3;
constexpr int kDelayDecimals = 1;

// A decimal field's value is the text it shows read back as a number, so the file gets the
// shown digits rather than the binary value behind them.
std::int32_t ShownScaled(double value, int decimals, int scale) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return ScaleForFile(std::strtod(text, nullptr), scale);
}

std::optional<std::string> Text(const std::optional<std::int32_t>& value) {
  if (!value) return std::nullopt;
  return FormatInt(*value);
}

}  // namespace

double EmissivityField(const LinkConfiguration& config) {
  return config.thermometer.typeClass == kTypeRatio ? config.nonGreyness : config.emissivity;
}

ConfigValues ToConfigValues(const LinkConfiguration& c) {
  ConfigValues v;
  v.label = c.label;
  v.units = c.units;
  const std::int32_t typeClass = c.thermometer.typeClass;
  if (typeClass == kTypeSingleWavelength || typeClass == kTypeRatio) {
    v.emissivity = ShownScaled(EmissivityField(c), kEmissivityDecimals, kEmissivityScale);
  }
  const TimeFuncData& t = c.timeFunction;
  v.timeFunction = t.tfn;
  v.averagingIndex = t.avr;
  v.peakMode = t.ppm;
  v.peakThreshold = t.ppt;
  v.peakDelayOn = ShownScaled(t.pon, kDelayDecimals, kDelayScale);
  v.peakDelayOff = ShownScaled(t.pof, kDelayDecimals, kDelayScale);
  v.decayIndex = t.ppd;
  for (int i = 0; i < 2; ++i) {
    v.alarmLevel[i] = c.alarmLevel.value[i];
    v.alarmMode[i] = c.alarmMode.value[i];
    v.alarmContacts[i] = c.alarmContacts.value[i];
  }
  v.outputMax = c.output.omx;
  v.outputMin = c.output.omn;
  v.outputType = c.output.opt;
  v.emissivityControl = c.emissivityControl;
  v.userCalibration = c.userCalibration;
  return v;
}

ConnectedUnit ConnectedUnitOf(const Thermometer& thermometer) {
  return {thermometer.typeNumber, thermometer.typeClass};
}

std::string ComposeConnectedConfigFile(const LinkConfiguration& config) {
  return ComposeConfigFile(ToConfigValues(config), ConnectedUnitOf(config.thermometer));
}

void ApplyConfigValues(const ConfigValues& v, LinkConfiguration& c) {
  if (v.label) c.label = *v.label;
  if (v.units) c.units = *v.units;
  if (v.emissivity) {
    // One field stands for both, as in the panel; the write sends whichever the kind uses.
    c.emissivity = ScaleFromFile(*v.emissivity, kEmissivityScale);
    c.nonGreyness = c.emissivity;
  }
  TimeFuncData& t = c.timeFunction;
  if (v.timeFunction) t.tfn = *v.timeFunction;
  if (v.averagingIndex) t.avr = *v.averagingIndex;
  if (v.peakMode) t.ppm = *v.peakMode;
  if (v.peakThreshold) t.ppt = *v.peakThreshold;
  if (v.peakDelayOn) t.pon = ScaleFromFile(*v.peakDelayOn, kDelayScale);
  if (v.peakDelayOff) t.pof = ScaleFromFile(*v.peakDelayOff, kDelayScale);
  if (v.decayIndex) t.ppd = *v.decayIndex;
  for (int i = 0; i < 2; ++i) {
    if (v.alarmLevel[i]) c.alarmLevel.value[i] = *v.alarmLevel[i];
    if (v.alarmMode[i]) c.alarmMode.value[i] = *v.alarmMode[i];
    if (v.alarmContacts[i]) c.alarmContacts.value[i] = *v.alarmContacts[i];
  }
  if (v.outputMax) c.output.omx = *v.outputMax;
  if (v.outputMin) c.output.omn = *v.outputMin;
  if (v.outputType) c.output.opt = *v.outputType;
  if (v.emissivityControl) c.emissivityControl = *v.emissivityControl;
  if (v.userCalibration) c.userCalibration = *v.userCalibration;
}

std::string EmissivityKey(std::int32_t typeClass) {
  if (typeClass == kTypeRatio) return "NGR";
  if (typeClass == kTypeSingleWavelength) return "EMS";
  return "EMS/NGR";
}

std::vector<ConfigEntry> ConfigEntries(const ConfigValues& v, std::int32_t typeClass) {
  return {
      {"LBL", v.label},
      {"IRU", Text(v.units)},
      {EmissivityKey(typeClass), Text(v.emissivity)},
      {"TFN", Text(v.timeFunction)},
      {"AVR", Text(v.averagingIndex)},
      {"PPM", Text(v.peakMode)},
      {"PPT", Text(v.peakThreshold)},
      {"PON", Text(v.peakDelayOn)},
      {"POF", Text(v.peakDelayOff)},
      {"PPD", Text(v.decayIndex)},
      {"A1L", Text(v.alarmLevel[0])},
      {"A1M", Text(v.alarmMode[0])},
      {"A1C", Text(v.alarmContacts[0])},
      {"A2L", Text(v.alarmLevel[1])},
      {"A2M", Text(v.alarmMode[1])},
      {"A2C", Text(v.alarmContacts[1])},
      {"OMX", Text(v.outputMax)},
      {"OMN", Text(v.outputMin)},
      {"OPT", Text(v.outputType)},
      {"ANC", Text(v.emissivityControl)},
      {"UAP", Text(v.userCalibration)},
  };
}

std::vector<ConfigDifference> CompareConfigValues(const ConfigValues& thermometer,
                                                  const ConfigValues& expected,
                                                  std::int32_t typeClass) {
  const std::vector<ConfigEntry> held = ConfigEntries(thermometer, typeClass);
  const std::vector<ConfigEntry> wanted = ConfigEntries(expected, typeClass);
  std::vector<ConfigDifference> differences;
  for (std::size_t i = 0; i < wanted.size(); ++i) {
    if (!wanted[i].value || held[i].value == wanted[i].value) continue;
    differences.push_back({wanted[i].key, held[i].value, wanted[i].value});
  }
  return differences;
}

ConfigValues SavedKeysOnly(ConfigValues v) {
  const std::int32_t tfn = v.timeFunction.value_or(0);
  if (tfn != 1) v.averagingIndex.reset();
  if (tfn != 2) {
    v.peakMode.reset();
    v.peakThreshold.reset();
    v.peakDelayOn.reset();
    v.peakDelayOff.reset();
    v.decayIndex.reset();
  }
  return v;
}

}  // namespace zemra
