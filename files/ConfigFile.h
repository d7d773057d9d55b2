#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "files/TextLines.h"

// The ".zcf" configuration text: one panel configuration as key lines between
// "[Configuration information]" and "[end]". This is the text half only: bytes in, values
// out, and back. The window turns its panel into ConfigValues and applies what a file gave.

namespace zemra {

// Everything a ".zcf" file can carry, each value present or absent. The integers are the
// file's own: decimal fields are stored scaled (see ScaleForFile), list fields as the index
// of the entry shown, radio groups and combo boxes as the index chosen.
struct ConfigValues {
  std::optional<std::string> label;          // LBL, unchanged
  std::optional<std::int32_t> units;         // IRU
  std::optional<std::int32_t> emissivity;    // EMS or NGR, value x 1000
  std::optional<std::int32_t> timeFunction;  // TFN: 0 none, 1 averager, 2 peak picker, 3 track hold
  std::optional<std::int32_t> averagingIndex;                // AVR
  std::optional<std::int32_t> peakMode;                      // PPM
  std::optional<std::int32_t> peakThreshold;                 // PPT
  std::optional<std::int32_t> peakDelayOn;                   // PON, value x 10
  std::optional<std::int32_t> peakDelayOff;                  // POF, value x 10
  std::optional<std::int32_t> decayIndex;                    // PPD
  std::array<std::optional<std::int32_t>, 2> alarmLevel;     // A1L, A2L
  std::array<std::optional<std::int32_t>, 2> alarmMode;      // A1M, A2M
  std::array<std::optional<std::int32_t>, 2> alarmContacts;  // A1C, A2C
  std::optional<std::int32_t> outputMax;                     // OMX
  std::optional<std::int32_t> outputMin;                     // OMN
  std::optional<std::int32_t> outputType;                    // OPT
  std::optional<std::int32_t> emissivityControl;             // ANC
  std::optional<std::int32_t> userCalibration;               // UAP

  friend bool operator==(const ConfigValues&, const ConfigValues&) = default;
};

// Scales of the decimal fields in the file.
inline constexpr int kEmissivityScale = 1000;  // EMS, NGR
inline constexpr int kDelayScale = 10;         // PON, POF

// A decimal field's shown value as the file stores it: value x scale, truncated toward zero
// (1.001 x 1000 gives 1000, 0.950 x 1000 gives 950). Values beyond the 32-bit range saturate
// and a value that is not a number gives 0, so no field text can make the conversion
// undefined.
std::int32_t ScaleForFile(double shown, int scale);

// The field value a stored integer stands for: n / scale in floating point (950 gives 0.95).
double ScaleFromFile(std::int32_t stored, int scale);

// What the connected thermometer contributes to a saved file: its type number (IRT) and type
// class, which picks the emissivity key (0 "EMS", 1 "NGR", 2 neither).
struct ConnectedUnit {
  std::int32_t typeNumber = 0;
  std::int32_t typeClass = 0;
};

// The file text, every line ended by CR LF and the whole ended by "[end]" CR LF CR LF. IRT and
// EMS/NGR are written only with a connected unit; AVR only when TFN is 1; PPM, PPT, PON, POF,
// PPD only when TFN is 2. An absent value gives no line, except the label, which is always
// written (empty when absent) because a file without it cannot be read back.
std::string ComposeConfigFile(const ConfigValues& values, const std::optional<ConnectedUnit>& unit);

// Entry counts of the panel's two list fields: a stored index outside them selects nothing,
// so the field keeps the entry it had (or one that an earlier line of the file selected).
struct ConfigListSizes {
  std::int32_t averagingEntries = 16;  // AVR
  std::int32_t decayEntries = 13;      // PPD
};

struct ConfigParse {
  ConfigValues values;  // what the file set; absent keys leave their fields as they were
  TextFormat status = TextFormat::kOk;
};

// Reads a configuration file's bytes (any bytes; only the first kTextReadLimit are looked at).
// On a value without an integer the result is kBadValue and `values` holds what the lines
// before it set, which the window applies as well. On the other format errors `values` is
// empty.
ConfigParse ParseConfigFile(std::string_view bytes, const ConfigListSizes& lists = {});

}  // namespace zemra
