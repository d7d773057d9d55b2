#pragma once

#include <string>

#include "link/SerialPort.h"

namespace zemra::cli {

// What a failed link operation leaves behind to name its failure.
struct LinkErrorFields {
  int lastErrorMessage = 0;   // string ID of what failed
  int replyErrorMessage = 0;  // string ID of the error reply, after -2
  std::string systemErrorText;
};

LinkErrorFields ErrorFieldsOf(const SerialPort& link);

// The numbers that complete a range message (result -3): the thermometer's range and the
// smallest analogue output span in the unit the values were given in.
struct RangeLimits {
  long long low = 0;
  long long high = 0;
  long long minOutputSpan = 50;
};

// The smallest output span the thermometer takes: 50 degrees Celsius or 90 Fahrenheit.
constexpr long long MinOutputSpan(int unit) {
  return unit == 0 ? 50 : 90;
}

// The message the window shows for a failed link operation, composed the same way: the text
// of the last error message number, then for -1 the system's error text, for -2 the text of
// the reply error message number, for -3 the limits filled into the text's placeholders. For
// -4 the window shows nothing; here the text alone is given so a script's log says why. Empty
// when the table has no text for the number.
std::string LinkErrorMessage(int result, const LinkErrorFields& fields,
                             const RangeLimits& limits = {});

}  // namespace zemra::cli
