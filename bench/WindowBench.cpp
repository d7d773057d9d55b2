#include "bench/WindowBench.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/ChildProcess.h"
#include "bench/Figures.h"
#include "files/CommsSettingsFile.h"
#include "files/ConfigFile.h"

namespace zemra::bench {

namespace {

constexpr int kProbeTimeoutMs = 60000;

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary);
  file << bytes;
  return static_cast<bool>(file);
}

// A default configuration as a user would have saved one. Without it the start-up stops at a
// message about the missing file before the window is shown.
ConfigValues DefaultConfiguration() {
  ConfigValues values;
  values.label = "ZEMRA";
  values.units = 0;
  values.timeFunction = 0;
  values.alarmLevel = {500, 800};
  values.alarmMode = {0, 1};
  values.alarmContacts = {0, 0};
  values.outputMax = 1000;
  values.outputMin = 0;
  values.outputType = 0;
  values.emissivityControl = 0;
  values.userCalibration = 1000;
  return values;
}

// A data folder of the window's own, with settings that point at a loopback address where
// nothing answers, so that a connect attempt, should one start, stays on this machine.
bool MakeDataFolder(const std::string& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) return false;
  CommsSettings settings;
  settings.UseTcpMode = true;
  settings.IpAddress = "127.0.0.1";
  return WriteFile(folder + "/" + std::string(kCommsSettingsFileName),
                   ComposeCommsSettings(settings)) &&
         WriteFile(folder + "/default.zcf", ComposeConfigFile(DefaultConfiguration(), {}));
}

// "name value" from the probe's output; false when the line is not there.
bool ProbeValue(const ChildProcess& probe, const std::string& name, double& value) {
  for (const std::string& line : probe.OutputLines()) {
    if (line.rfind(name + " ", 0) == 0) {
      value = std::strtod(line.c_str() + name.size() + 1, nullptr);
      return true;
    }
  }
  return false;
}

bool MeasureOnce(const std::string& probePath, const std::string& folder, Figures& figures) {
  if (!MakeDataFolder(folder)) {
    std::fprintf(stderr, "bench: window: cannot make %s\n", folder.c_str());
    return false;
  }
  ChildProcess probe;
  std::string error;
  if (!probe.Start(probePath, {folder + "/"}, 4, 0, error, kProbeTimeoutMs)) {
    std::fprintf(stderr, "bench: window: %s\n", error.c_str());
    return false;
  }
  double paintedNs = 0;
  double rss = 0;
  double peak = 0;
  double prompts = 0;
  if (!ProbeValue(probe, "painted_ns", paintedNs) || !ProbeValue(probe, "rss_kib", rss) ||
      !ProbeValue(probe, "peak_rss_kib", peak) || !ProbeValue(probe, "prompts", prompts)) {
    std::fputs("bench: window: the probe's report is incomplete\n", stderr);
    return false;
  }
  figures.Add("first_paint_ms", (paintedNs - static_cast<double>(probe.SpawnedAtNs())) / 1e6);
  figures.Add("rss_kib", rss);
  figures.Add("peak_rss_kib", peak);
  figures.Add("prompts_before_paint", prompts, Figures::Reduce::kMaximum);
  return true;
}

}  // namespace

bool RunWindowBench(const std::string& probe, const std::string& workFolder, int repeats,
                    std::FILE* out) {
  if (probe.empty()) {
    std::fputs("bench: window: the window program is not built here; no start-up figures\n",
               stderr);
    return true;
  }
  // No display inside the namespace; the offscreen platform paints all the same.
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Figures figures("window");
  for (int run = 0; run < repeats; ++run) {
    if (!MeasureOnce(probe, workFolder + "/window" + std::to_string(run), figures)) return false;
  }
  figures.Print(out);
  return true;
}

}  // namespace zemra::bench
