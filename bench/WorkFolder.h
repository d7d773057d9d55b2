#pragma once

#include <string>

namespace zemra::bench {

// A private temporary folder for the simulators' device links and the traffic log; removed
// with everything in it on destruction.
class WorkFolder {
 public:
  WorkFolder();
  ~WorkFolder();
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;

  bool Ok() const { return !path_.empty(); }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// The machine's load average over the last minute, from /proc/loadavg; negative when unknown.
double LoadAverage();

}  // namespace zemra::bench
