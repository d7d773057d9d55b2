#pragma once

#include <array>
#include <span>
#include <string>

#include <string_view>
#include "link/Scans.h"

// The arithmetic of the panel's spin controls, free of any window: the step rule of SetRange,
// the arrows' stepping and clamping, the value scan and the two text formats. Numbers are read
// and written with the point as decimal separator whatever the locale.

namespace zemra {

// The step SetRange stores: `step` itself, or for a step of exactly 0 the power of ten
// 10^ceil(log10(maximum - minimum) - 3), a thousandth of the span rounded up to a power of ten
// (span 1000 gives 1, span 1 gives 0.001). An empty or inverted span gives 1.
double StepForRange(double minimum, double maximum, double step);

// The value after `delta` arrow steps from `shown`: clamped to the limits, never wrapped.
double StepDecimal(double shown, int delta, double step, double minimum, double maximum);

// "%.*f" with `decimals` digits after the point (negative counts as 0). A value that rounds to
// zero is written without a minus sign.
std::string FormatFixed(double value, int decimals);

// "%g": six significant digits, no trailing zeros (0.5 gives "0.5", 20 gives "20").
std::string FormatShortest(double value);

// The buddy's text is read as "%lg" reads it, with the link's ScanDouble (link/Scans.h).

// The list arrows step by value: up gives the first item greater than `shown` (or the last
// item), down the last item less than `shown` (or the first). `items` is ascending and not
// empty.
int StepListIndex(std::span<const double> items, double shown, int delta);

// Holding an arrow: after `seconds` the increment of the last entry whose threshold has passed.
struct SpinAccel {
  double seconds;
  int increment;
};
using SpinAccels = std::array<SpinAccel, 3>;

// The up-down control's usual thresholds (0, 2 and 5 seconds) with increments 1, accel2 and
// accel3.
SpinAccels Accelerations(int accel2, int accel3);
int AccelIncrement(const SpinAccels& accels, double secondsHeld);

}  // namespace zemra
