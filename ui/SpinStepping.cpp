#include "ui/SpinStepping.h"

#include <charconv>
#include <cmath>

namespace zemra {

double StepForRange(double minimum, double maximum, double step) {
  if (step != 0.0) return step;
  const double span = maximum - minimum;
  if (!(span > 0.0) || !std::isfinite(span)) return 1.0;
  return std::pow(10.0, std::ceil(std::log10(span) - 3.0));
}

double StepDecimal(double shown, int delta, double step, double minimum, double maximum) {
  double x = shown + delta * step;
  if (x > maximum) {
    x = maximum;
  } else if (x < minimum) {
    x = minimum;
  }
  return x;
}

std::string FormatFixed(double value, int decimals) {
  if (decimals < 0) decimals = 0;
  if (decimals > 100) decimals = 100;
  char buffer[512];
  auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (ec != std::errc{}) return FormatShortest(value);
  std::string text(buffer, end);
  // "-0.000" reads as a negative value to the user; it is zero.
  if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  return text;
}

std::string FormatShortest(double value) {
  char buffer[64];
  auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
  if (ec != std::errc{}) return {};
  return std::string(buffer, end);
}

int StepListIndex(std::span<const double> items, double shown, int delta) {
  const int count = static_cast<int>(items.size());
  if (delta > 0) {
    int index = 0;
    while (index < count - 1 && !(items[index] > shown)) ++index;
    return index;
  }
  int index = count - 1;
  while (index >= 1 && !(items[index] < shown)) --index;
  return index;
}

SpinAccels Accelerations(int accel2, int accel3) {
  return {SpinAccel{0.0, 1}, SpinAccel{2.0, accel2}, SpinAccel{5.0, accel3}};
}

int AccelIncrement(const SpinAccels& accels, double secondsHeld) {
  int increment = accels[0].increment;
  for (const SpinAccel& a : accels) {
    if (secondsHeld >= a.seconds) increment = a.increment;
  }
  return increment;
}

}  // namespace zemra
