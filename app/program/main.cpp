// zemranet: the window program.
#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "app/CQorvelControllerApp.h"
#include "app/CommandLine.h"
#include "ui/QtPrompts.h"

#ifndef ZEMRA_MODULE_INSTALL_DIR
#define ZEMRA_MODULE_INSTALL_DIR ""
#endif
#ifndef ZEMRA_VERSION
#define ZEMRA_VERSION "0"
#endif

namespace {

std::vector<std::string> Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

}  // namespace

int main(int argc, char** argv) {
  const char* program = argc > 0 ? argv[0] : "zemranet";
  if (const auto early = Arguments(argc, argv); zemra::AsksForHelpOrVersion(early)) {
    const zemra::CommandLine line = zemra::ParseCommandLine(early);
    if (line.help || !line.error.empty()) {
      std::fputs(zemra::HelpText(program).c_str(), stdout);
    } else {
      std::printf("zemranet %s\n", ZEMRA_VERSION);
    }
    return 0;
  }

  QApplication application(argc, argv);  // takes Qt's own options out of argv
  const zemra::CommandLine line = zemra::ParseCommandLine(Arguments(argc, argv));
  if (!line.error.empty()) {
    std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", program, line.error.c_str(), program);
    return 64;
  }

  zemra::QtPrompts prompts;
  zemra::AppOptions options;
  options.prompts = &prompts;
  options.moduleFolders = {QCoreApplication::applicationDirPath(),
                           QString::fromUtf8(ZEMRA_MODULE_INSTALL_DIR)};
  options.dataFolder = line.dataFolder;
  zemra::CQorvelControllerApp app(std::move(options));
  app.InitInstance();
  return 0;
}
