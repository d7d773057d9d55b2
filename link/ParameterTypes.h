#pragma once

#include <cstdint>
#include <string>

namespace zemra {

// Result codes of every link operation.
inline constexpr int kLinkOk = 0;
inline constexpr int kLinkIoFailed = -1;    // write, read or open failed
inline constexpr int kLinkErrorReply = -2;  // the thermometer answered "*..."
inline constexpr int kLinkOutOfRange = -3;  // a value outside its allowed range
inline constexpr int kLinkNoReply = -4;     // no reply and no answer to the probe

// Stored as the reply error message number after an error reply.
inline constexpr int kMsgErrorReply = 190;

// Type classes of a thermometer, from the type character of its model word.
inline constexpr int kTypeSingleWavelength = 0;  // emissivity applies
inline constexpr int kTypeRatio = 1;             // non-grey ratio applies
inline constexpr int kTypeNeither = 2;
// Any other type character, or a model word too short to hold one. Every caller treats it as
// "neither single-wavelength nor ratio".
inline constexpr int kTypeUnknown = -1;

// Time-function (signal processing) settings: TFN 0 none, 1 averager, 2 peak picker,
// 3 track hold, and the settings of the averager and the peak picker.
struct TimeFuncData {
  std::int32_t tfn = 0;
  std::int32_t ppm = 0;
  std::int32_t ppt = 0;
  std::int32_t ppd = 12;
  double pon = 0.0;
  double pof = 1.0;
  std::int32_t avr = 1;

  bool operator==(const TimeFuncData&) const = default;
};

// Analogue output span and type.
struct OutputData {
  std::int32_t omn = 0;
  std::int32_t omx = 0;
  std::int32_t opt = 0;

  bool operator==(const OutputData&) const = default;
};

// Per-alarm values, index 0 for alarm 1 and index 1 for alarm 2.
struct AlarmLevel {
  std::int32_t value[2] = {0, 0};
  bool operator==(const AlarmLevel&) const = default;
};
struct AlarmMode {
  std::int32_t value[2] = {0, 0};
  bool operator==(const AlarmMode&) const = default;
};
struct AlarmContacts {
  std::int32_t value[2] = {0, 0};
  bool operator==(const AlarmContacts&) const = default;
};

// What the "IFO 1" information text says about the thermometer.
struct Thermometer {
  std::int32_t typeNumber = 0;
  std::int32_t typeClass = kTypeUnknown;
  char secondTypeChar = '\0';
  std::int32_t rangeLow = 0;   // TLV
  std::int32_t rangeHigh = 0;  // THV
  std::int32_t fahrenheit = 0;
  std::int32_t reserved = -1;
  std::int32_t laserFitted = 0;

  bool operator==(const Thermometer&) const = default;
};

}  // namespace zemra
