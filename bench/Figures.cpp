#include "bench/Figures.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace zemra::bench {

namespace {

double NowMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

double ProcessCpuMs() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Enough digits to tell a figure from its target: shares and ratios need more than times.
int DecimalsFor(const std::string& name, double value) {
  const auto endsWith = [&](const char* tail) {
    const std::string t(tail);
    return name.size() >= t.size() && name.compare(name.size() - t.size(), t.size(), t) == 0;
  };
  if (value == std::floor(value) && std::fabs(value) < 1e15) return 0;
  if (endsWith("cpu_share")) return 4;
  if (endsWith("_ms")) return 1;
  return 3;
}

}  // namespace

Stopwatch::Stopwatch() : wallStart_(NowMs()), cpuStart_(ProcessCpuMs()) {}

double Stopwatch::WallMs() const {
  return NowMs() - wallStart_;
}

double Stopwatch::CpuMs() const {
  return ProcessCpuMs() - cpuStart_;
}

double Median(std::vector<double> values) {
  if (values.empty()) return std::nan("");
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  return values.size() % 2 == 1 ? values[mid] : (values[mid - 1] + values[mid]) / 2.0;
}

double Figures::Series::Value() const {
  if (reduce == Reduce::kMedian) return Median(values);
  if (values.empty()) return std::nan("");
  return reduce == Reduce::kMinimum ? *std::min_element(values.begin(), values.end())
                                    : *std::max_element(values.begin(), values.end());
}

void Figures::Add(const std::string& name, double value, Reduce reduce) {
  for (Series& series : series_) {
    if (series.name == name) {
      series.values.push_back(value);
      return;
    }
  }
  series_.push_back(Series{name, reduce, {value}});
}

double Figures::ValueOf(const std::string& name) const {
  for (const Series& series : series_) {
    if (series.name == name) return series.Value();
  }
  return std::nan("");
}

void Figures::Print(std::FILE* out) const {
  for (const Series& series : series_)
    PrintFigure(out, prefix_ + "." + series.name, series.Value());
}

void PrintFigure(std::FILE* out, const std::string& name, double value) {
  std::fprintf(out, "%s = %.*f\n", name.c_str(), DecimalsFor(name, value), value);
  std::fflush(out);
}

}  // namespace zemra::bench
