#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "ManualTimers.h"
#include "ui/CQorvelControllerDlg.h"
#include "ui/ModuleLoading.h"
#include "ui/ScriptedPrompts.h"

// Readable QStrings in test failures.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace zemra {

inline QString ModuleDir() {
  return QStringLiteral(ZEMRA_MODULE_DIR);
}

// Runs the event loop until `done` or `timeoutMs` has passed; true when done.
inline bool SpinUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(2);
  }
  return true;
}

inline QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(bytes);
}

// A main window built from the real language module, with scripted prompts, timers fired by
// hand and a data folder of its own.
struct WindowRig {
  ScriptedPrompts prompts;
  QTemporaryDir dataDir;
  ManualTimers* timers = nullptr;  // owned by the window
  std::unique_ptr<CQorvelControllerDlg> window;

  QString DataPath(const QString& name) const { return QDir(dataDir.path()).filePath(name); }
  QString SettingsPath() const { return DataPath(QStringLiteral("CommsSettings.cfg")); }

  // Builds and initialises the window; `folder` replaces the data folder when given.
  void Build(std::function<std::unique_ptr<CQRVSerialPort>(EventPoster)> makeLink = {},
             std::optional<std::string> folder = std::nullopt) {
    WindowSetup setup;
    setup.prompts = &prompts;
    setup.openModule = SearchFolders({ModuleDir()});
    const std::string data = folder ? *folder : dataDir.path().toStdString() + "/";
    setup.resolveDataFolder = [data] { return data; };
    setup.makeLink = std::move(makeLink);
    auto manual = std::make_unique<ManualTimers>();
    timers = manual.get();
    setup.timers = std::move(manual);
    window = std::make_unique<CQorvelControllerDlg>(std::move(setup));
    ASSERT_TRUE(window->Create());
    window->show();
  }
};

}  // namespace zemra
