// The window's plumbing: notifications from other threads, real window timers, and the
// program's command line.
#include <gtest/gtest.h>

#include <QObject>
#include <QProcess>
#include <QThread>
#include <atomic>
#include <thread>
#include <vector>

#include "WindowRig.h"
#include "ui/CommandRelay.h"
#include "ui/WindowTimers.h"

namespace zemra {
namespace {

TEST(CommandRelay, postsFromAnyThreadRunOnTheWindowsThreadAndStopWhenDetached) {
  QObject window;
  std::vector<int> received;
  std::atomic<bool> wrongThread{false};
  QThread* const windowThread = QThread::currentThread();
  auto relay = std::make_shared<CommandRelay>(&window, [&](int id) {
    if (QThread::currentThread() != windowThread) wrongThread = true;
    received.push_back(id);
  });
  EventPoster poster = relay->MakePoster();
  std::thread connectThread([&] { poster(125); });
  connectThread.join();
  EXPECT_TRUE(received.empty()) << "queued, never run on the poster's thread";
  ASSERT_TRUE(SpinUntil([&] { return received.size() == 1; }));
  EXPECT_EQ(received[0], 125);
  EXPECT_FALSE(wrongThread);

  relay->Detach();
  std::thread late([&] { poster(125); });
  late.join();
  QCoreApplication::processEvents();
  EXPECT_EQ(received.size(), 1u);
  relay.reset();
  poster(125);  // the relay is gone: nothing happens
}

TEST(QtWindowTimers, fireUntilKilledOnTheOwnersThread) {
  QObject owner;
  auto timers = MakeQtWindowTimers(&owner);
  int fired = 0;
  timers->SetExpiry([&](int id) {
    EXPECT_EQ(id, 2);
    if (++fired == 2) timers->Kill(2);
  });
  EXPECT_FALSE(timers->IsRunning(2));
  timers->Start(2, 5);
  EXPECT_TRUE(timers->IsRunning(2));
  ASSERT_TRUE(SpinUntil([&] { return fired >= 2; }));
  EXPECT_FALSE(timers->IsRunning(2));
  QThread::msleep(30);
  QCoreApplication::processEvents();
  EXPECT_EQ(fired, 2);
}

struct ProgramRun {
  int exitCode;
  QString out, err;
};

ProgramRun RunProgram(const QStringList& arguments) {
  QProcess process;
  process.start(QStringLiteral(ZEMRA_MODULE_DIR "/zemranet"), arguments);
  process.waitForFinished(10000);
  return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
          QString::fromLocal8Bit(process.readAllStandardError())};
}

TEST(Program, helpAndRefusedArguments) {
  const ProgramRun help = RunProgram({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(help.out.contains("--data-folder DIR"));
  EXPECT_TRUE(help.out.contains("Orvane/Zemranet/"));
  const ProgramRun version = RunProgram({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_TRUE(version.out.startsWith("zemranet "));
  for (const QStringList& bad : {QStringList{"--colour"}, QStringList{"--data-folder"}}) {
    const ProgramRun refused = RunProgram(bad + QStringList{"-platform", "offscreen"});
    EXPECT_EQ(refused.exitCode, 64) << bad.join(' ').toStdString();
    EXPECT_TRUE(refused.err.contains("--help")) << refused.err.toStdString();
  }
}

}  // namespace
}  // namespace zemra
