#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace zemra::bench {

// Wall time and the process's CPU time (user + system, every thread, from getrusage) of one
// stretch of work.
class Stopwatch {
 public:
  Stopwatch();
  double WallMs() const;
  double CpuMs() const;

 private:
  double wallStart_;
  double cpuStart_;
};

double Median(std::vector<double> values);

// The repeated runs of one measured thing: each named value is collected once per run and
// reported as the median of the runs.
class Figures {
 public:
  explicit Figures(std::string prefix) : prefix_(std::move(prefix)) {}

  // How the runs of one value are summed up: their median, their lowest value (for a yes/no
  // check that must hold in every run), or their highest (for a count that should stay 0).
  enum class Reduce { kMedian, kMinimum, kMaximum };

  void Add(const std::string& name, double value, Reduce reduce = Reduce::kMedian);
  // Prints "prefix.name = value" for every value, in the order first added.
  void Print(std::FILE* out) const;
  double ValueOf(const std::string& name) const;

 private:
  struct Series {
    std::string name;
    Reduce reduce;
    std::vector<double> values;
    double Value() const;
  };
  std::string prefix_;
  std::vector<Series> series_;
};

// Prints one figure line now.
void PrintFigure(std::FILE* out, const std::string& name, double value);

}  // namespace zemra::bench
