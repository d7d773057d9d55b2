// zemra_bench_window: starts the window program as zemranet does and, at the end of the main
// window's first paint, prints the time on the steady clock and the resident memory, then
// ends. zemra_bench starts it and takes the start-up time from its own clock at the spawn.
//
// Usage: zemra_bench_window DATA_FOLDER/
#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "FirstPaintWatch.h"
#include "app/CQorvelControllerApp.h"
#include "ui/CQorvelControllerDlg.h"
#include "ui/ScriptedPrompts.h"

namespace {

struct Memory {
  long residentKib = -1;  // VmRSS
  long peakKib = -1;      // VmHWM
};

// Both read from one look at /proc/self/status, so that they describe the same moment.
Memory ReadMemory() {
  Memory memory;
  std::ifstream status("/proc/self/status");
  std::string line;
  const auto field = [&line](const char* name, long& value) {
    const std::string key = std::string(name) + ":";
    if (line.rfind(key, 0) == 0) value = std::strtol(line.c_str() + key.size(), nullptr, 10);
  };
  while (std::getline(status, line)) {
    field("VmRSS", memory.residentKib);
    field("VmHWM", memory.peakKib);
  }
  return memory;
}

long long SteadyNanoseconds() {
  using namespace std::chrono;
  return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: zemra_bench_window DATA_FOLDER/\n", stderr);
    return 64;
  }
  const std::string dataFolder = argv[1];
  QApplication application(argc, argv);
  // Whatever the start-up asks never waits for a user.
  zemra::ScriptedPrompts prompts;
  zemra::AppOptions options;
  options.prompts = &prompts;
  options.moduleFolders = {QString::fromUtf8(ZEMRA_PROGRAM_DIR)};
  options.dataFolder = dataFolder;
  bool painted = false;
  options.run = [&painted, &prompts](zemra::CQorvelControllerDlg& window) {
    zemra::bench::FirstPaintWatch watch(&window, [&painted, &prompts] {
      const long long at = SteadyNanoseconds();
      const Memory memory = ReadMemory();
      // A prompt shown on the way would have held a user's start-up until answered.
      std::printf("painted_ns %lld\nrss_kib %ld\npeak_rss_kib %ld\nprompts %zu\n", at,
                  memory.residentKib, memory.peakKib, prompts.shown().size());
      std::fflush(stdout);
      painted = true;
      QCoreApplication::exit(0);
    });
    // A window that never paints must not hold the benchmark up.
    QTimer::singleShot(30000, [] { QCoreApplication::exit(1); });
    return window.DoModal();
  };
  zemra::CQorvelControllerApp app(std::move(options));
  app.InitInstance();
  if (!painted) {
    std::fputs("zemra_bench_window: the window never painted\n", stderr);
    for (const auto& shown : prompts.shown()) {
      std::fprintf(stderr, "zemra_bench_window: it said: %s\n", shown.text.toUtf8().constData());
    }
  }
  return painted ? 0 : 1;
}
