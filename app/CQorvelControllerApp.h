#pragma once

#include <QStringList>
#include <functional>
#include <optional>
#include <string>

namespace zemra {

class CQorvelControllerDlg;
class Prompts;

struct AppOptions {
  Prompts* prompts = nullptr;  // not owned
  // Where the language module is looked for, in order.
  QStringList moduleFolders;
  // Replaces the machine's data folder (--data-folder).
  std::optional<std::string> dataFolder;
  // Runs the main window; the modal run unless a test looks on.
  std::function<int(CQorvelControllerDlg&)> run;
};

// The application: builds the main window, runs it modally and ends when it is gone. It holds
// no state of its own beyond how it was started.
class CQorvelControllerApp {
 public:
  explicit CQorvelControllerApp(AppOptions options);

  // Always false: the process ends once the window is gone, with no message loop of its own.
  bool InitInstance();

 private:
  AppOptions m_options;
};

}  // namespace zemra
