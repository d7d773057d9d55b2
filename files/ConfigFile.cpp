#include "files/ConfigFile.h"

#include <cmath>
#include <limits>

namespace zemra {

namespace {

constexpr std::string_view kHeader = "[Configuration information]";

void AddLine(std::string& text, std::string_view key, std::int32_t value) {
  text.append(key).append(" ").append(FormatInt(value)).append("\n");
}

void AddLine(std::string& text, std::string_view key, const std::optional<std::int32_t>& value) {
  if (value) AddLine(text, key, *value);
}

void AddTimeFunctionLines(std::string& text, const ConfigValues& v) {
  if (!v.timeFunction) return;
  AddLine(text, "TFN", *v.timeFunction);
  if (*v.timeFunction == 1) AddLine(text, "AVR", v.averagingIndex);
  if (*v.timeFunction == 2) {
    AddLine(text, "PPM", v.peakMode);
    AddLine(text, "PPT", v.peakThreshold);
    AddLine(text, "PON", v.peakDelayOn);
    AddLine(text, "POF", v.peakDelayOff);
    AddLine(text, "PPD", v.decayIndex);
  }
}

// The field an integer key sets, or nullptr for a key that is not read (IRT, unknown, wrong
// case). AVR and PPD are handled apart because they are checked against their lists.
std::optional<std::int32_t>* IntegerSlot(ConfigValues& v, std::string_view key) {
  struct Slot {
    std::string_view key;
    std::optional<std::int32_t>* (*field)(ConfigValues&);
  };
  static constexpr Slot kSlots[] = {
      {"IRU", [](ConfigValues& c) { return &c.units; }},
      {"EMS", [](ConfigValues& c) { return &c.emissivity; }},
      {"NGR", [](ConfigValues& c) { return &c.emissivity; }},
      {"TFN", [](ConfigValues& c) { return &c.timeFunction; }},
      {"PPM", [](ConfigValues& c) { return &c.peakMode; }},
      {"PPT", [](ConfigValues& c) { return &c.peakThreshold; }},
      {"PON", [](ConfigValues& c) { return &c.peakDelayOn; }},
      {"POF", [](ConfigValues& c) { return &c.peakDelayOff; }},
      {"A1L", [](ConfigValues& c) { return &c.alarmLevel[0]; }},
      {"A1M", [](ConfigValues& c) { return &c.alarmMode[0]; }},
      {"A1C", [](ConfigValues& c) { return &c.alarmContacts[0]; }},
      {"A2L", [](ConfigValues& c) { return &c.alarmLevel[1]; }},
      {"A2M", [](ConfigValues& c) { return &c.alarmMode[1]; }},
      {"A2C", [](ConfigValues& c) { return &c.alarmContacts[1]; }},
      {"OMX", [](ConfigValues& c) { return &c.outputMax; }},
      {"OMN", [](ConfigValues& c) { return &c.outputMin; }},
      {"OPT", [](ConfigValues& c) { return &c.outputType; }},
      {"ANC", [](ConfigValues& c) { return &c.emissivityControl; }},
      {"UAP", [](ConfigValues& c) { return &c.userCalibration; }},
  };
  for (const Slot& slot : kSlots) {
    if (slot.key == key) return slot.field(v);
  }
  return nullptr;
}

void SelectListEntry(std::optional<std::int32_t>& field, std::int32_t index, std::int32_t entries) {
  if (index >= 0 && index < entries) field = index;
}

// Applies one key line; false when an integer key's value holds no integer.
bool ApplyKeyLine(ConfigValues& v, std::string_view line, const ConfigListSizes& lists) {
  // The key is the first three characters; the fourth, normally a space, is skipped whatever
  // it is.
  const std::string_view key = line.substr(0, 3);
  const std::string_view value = line.size() > 4 ? line.substr(4) : std::string_view{};
  if (key == "LBL") {
    v.label = std::string(value);
    return true;
  }
  const bool isList = key == "AVR" || key == "PPD";
  std::optional<std::int32_t>* slot = isList ? nullptr : IntegerSlot(v, key);
  if (!isList && slot == nullptr) return true;
  const std::optional<std::int32_t> n = ScanInt(value);
  if (!n) return false;
  if (key == "AVR") {
    SelectListEntry(v.averagingIndex, *n, lists.averagingEntries);
  } else if (key == "PPD") {
    SelectListEntry(v.decayIndex, *n, lists.decayEntries);
  } else {
    *slot = *n;
  }
  return true;
}

}  // namespace

std::int32_t ScaleForFile(double shown, int scale) {
  const double product = std::trunc(shown * scale);
  if (std::isnan(product)) return 0;
  if (product >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
    return std::numeric_limits<std::int32_t>::max();
  }
  if (product <= static_cast<double>(std::numeric_limits<std::int32_t>::min())) {
    return std::numeric_limits<std::int32_t>::min();
  }
  return static_cast<std::int32_t>(product);
}

double ScaleFromFile(std::int32_t stored, int scale) {
  return static_cast<double>(stored) / scale;
}

std::string ComposeConfigFile(const ConfigValues& v, const std::optional<ConnectedUnit>& unit) {
  std::string text = "[start]\n[Configuration information]\n";
  text.append("LBL ").append(TextValue(v.label.value_or(std::string{}))).append("\n");
  if (unit) AddLine(text, "IRT", unit->typeNumber);
  AddLine(text, "IRU", v.units);
  if (unit && unit->typeClass == 1) AddLine(text, "NGR", v.emissivity);
  if (unit && unit->typeClass == 0) AddLine(text, "EMS", v.emissivity);
  AddTimeFunctionLines(text, v);
  AddLine(text, "A1L", v.alarmLevel[0]);
  AddLine(text, "A1M", v.alarmMode[0]);
  AddLine(text, "A1C", v.alarmContacts[0]);
  AddLine(text, "A2L", v.alarmLevel[1]);
  AddLine(text, "A2M", v.alarmMode[1]);
  AddLine(text, "A2C", v.alarmContacts[1]);
  AddLine(text, "OMX", v.outputMax);
  AddLine(text, "OMN", v.outputMin);
  AddLine(text, "OPT", v.outputType);
  AddLine(text, "ANC", v.emissivityControl);
  AddLine(text, "UAP", v.userCalibration);
  text.append("[end]\n\n");
  return WithCrLf(text);
}

ConfigParse ParseConfigFile(std::string_view bytes, const ConfigListSizes& lists) {
  ConfigParse result;
  const std::string text = TextFromBytes(bytes);
  const KeyLines found = LocateKeyLines(text, kHeader, "LBL");
  result.status = found.status;
  if (found.status != TextFormat::kOk) return result;
  for (std::string_view line : found.lines) {
    if (!ApplyKeyLine(result.values, line, lists)) {
      result.status = TextFormat::kBadValue;
      return result;
    }
  }
  return result;
}

}  // namespace zemra
