// The connection life cycle against the stand-in thermometer, over TCP on a loopback address
// of its own and over a pty. Real sockets and a real serial line; the window's timers are
// fired by hand, so no test waits out a connect period.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>

#include "WindowRig.h"
#include "platform/SerialBackend.h"
#include "sim/Simulator.h"

namespace zemra {
namespace {

QString TextOf(CQorvelControllerDlg& w, int id) {
  if (auto* label = w.Control<QLabel>(id)) return label->text();
  if (auto* edit = w.Control<QLineEdit>(id)) return edit->text();
  return {};
}

std::unique_ptr<sim::Simulator> StartSimulator(sim::SimulatorOptions options) {
  options.thermometer.serialNumber = 4711;
  options.thermometer.label = "FURNACE 3";
  auto simulator = std::make_unique<sim::Simulator>(std::move(options));
  std::string error;
  EXPECT_TRUE(simulator->Start(&error)) << error;
  return simulator;
}

// Settings that send the window over Ethernet to the simulator at `address`.
void WriteEthernetSettings(WindowRig& rig, const std::string& address) {
  WriteAll(rig.SettingsPath(), QByteArray("[Communication Settings]\nSerialAddress 0\n"
                                          "UseTcpMode 1\nIpAddress ") +
                                   address.c_str() + "\n[end]\n");
}

// Serial port 1 is the simulator's pty.
class PtyResolver final : public PortResolver {
 public:
  explicit PtyResolver(std::string device) : m_device(std::move(device)) {}
  std::string DevicePath(unsigned portNumber) override { return portNumber == 1 ? m_device : ""; }

 private:
  std::string m_device;
};

void ExpectIdentified(CQorvelControllerDlg& w) {
  EXPECT_TRUE(w.IsConnected());
  EXPECT_FALSE(w.IsConnecting());
  EXPECT_FALSE(TextOf(w, 1117).isEmpty());
  EXPECT_EQ(TextOf(w, 2111), "4711");
  EXPECT_EQ(TextOf(w, 2112), "1");
  EXPECT_TRUE(w.IsCommandEnabled(1102));
  EXPECT_FALSE(w.IsCommandEnabled(1099));
}

void ExpectDropped(WindowRig& rig) {
  CQorvelControllerDlg& w = *rig.window;
  EXPECT_FALSE(w.IsConnected());
  EXPECT_TRUE(w.IsConnecting());
  for (int id : {1117, 2111, 2112}) EXPECT_TRUE(TextOf(w, id).isEmpty()) << id;
  EXPECT_FALSE(rig.timers->IsRunning(kPollTimer));
  EXPECT_TRUE(rig.timers->IsRunning(kConnectTimer));
  EXPECT_EQ(rig.timers->Period(kConnectTimer), 2000);
  EXPECT_EQ(w.PollCycle(), 10);  // the first poll after the next connection is a full one
  EXPECT_FALSE(w.IsCommandEnabled(1102));
}

TEST(ConnectionLifeCycle, overTcpFindsIdentifiesLosesAndFindsAgain) {
  const std::string address = "127.0.21.1";
  sim::SimulatorOptions options;
  options.tcpAddresses = {address};
  auto simulator = StartSimulator(options);

  WindowRig rig;
  WriteEthernetSettings(rig, address);
  rig.Build();
  CQorvelControllerDlg& w = *rig.window;
  ASSERT_TRUE(rig.timers->Fire(kConnectTimer));
  ASSERT_TRUE(SpinUntil([&] { return w.IsConnected(); })) << "no connection";
  ExpectIdentified(w);
  EXPECT_TRUE(rig.timers->IsRunning(kPollTimer));
  EXPECT_EQ(rig.timers->Period(kPollTimer), 2000);
  EXPECT_FALSE(rig.timers->IsRunning(kConnectTimer));

  // A full poll first, then quick ones.
  ASSERT_TRUE(rig.timers->Fire(kPollTimer));
  EXPECT_TRUE(w.IsConnected());
  EXPECT_EQ(w.PollCycle(), 0);
  ASSERT_TRUE(rig.timers->Fire(kPollTimer));
  EXPECT_EQ(w.PollCycle(), 1);
  w.grab().save(QStringLiteral(ZEMRA_TEST_OUTPUT "/window-connected.png"));

  simulator->Stop();
  ASSERT_TRUE(rig.timers->Fire(kPollTimer));
  ExpectDropped(rig);

  // While it is away every attempt fails and schedules the next.
  const int starts = rig.timers->Starts(kConnectTimer);
  ASSERT_TRUE(rig.timers->Fire(kConnectTimer));
  ASSERT_TRUE(SpinUntil([&] { return rig.timers->Starts(kConnectTimer) > starts; }));
  EXPECT_FALSE(w.IsConnected());
  EXPECT_EQ(rig.timers->Period(kConnectTimer), 2000);

  simulator = StartSimulator(options);
  ASSERT_TRUE(rig.timers->Fire(kConnectTimer));
  ASSERT_TRUE(SpinUntil([&] { return w.IsConnected(); })) << "no reconnection";
  ExpectIdentified(w);
}

TEST(ConnectionLifeCycle, overASerialLineFindsIdentifiesLosesAndFindsAgain) {
  QTemporaryDir scratch;
  const std::string link = scratch.path().toStdString() + "/ttyZEMRA";
  sim::SimulatorOptions options;
  options.ptyLink = link;
  auto simulator = StartSimulator(options);

  WindowRig rig;
  WriteAll(rig.SettingsPath(),
           "[Communication Settings]\nSerialAddress 1\nSerialBaudRate 3\n"
           "SerialPort 1\nUseTcpMode 0\n[end]\n");
  const std::string log = scratch.path().toStdString() + "/ZEMRAnet.log";
  rig.Build([&](EventPoster poster) {
    return std::make_unique<CQRVSerialPort>(std::move(poster), SystemClock(), MakeTermiosBackend(),
                                            std::make_shared<PtyResolver>(link), TrafficLog(log));
  });
  CQorvelControllerDlg& w = *rig.window;
  ASSERT_TRUE(rig.timers->Fire(kConnectTimer));  // a serial open completes at once
  ExpectIdentified(w);
  ASSERT_TRUE(rig.timers->Fire(kPollTimer));
  EXPECT_TRUE(w.IsConnected());
  EXPECT_TRUE(QFile::exists(QString::fromStdString(log)));

  simulator->Stop();
  ASSERT_TRUE(rig.timers->Fire(kPollTimer));
  ExpectDropped(rig);

  ASSERT_TRUE(rig.timers->Fire(kConnectTimer));  // no device: the next attempt is scheduled
  EXPECT_FALSE(w.IsConnected());
  EXPECT_TRUE(rig.timers->IsRunning(kConnectTimer));
  EXPECT_EQ(rig.timers->Period(kConnectTimer), 2000);
  for (int id : {1117, 2111}) EXPECT_TRUE(TextOf(w, id).isEmpty());

  simulator = StartSimulator(options);
  ASSERT_TRUE(rig.timers->Fire(kConnectTimer));
  ExpectIdentified(w);
}

TEST(ConnectionLifeCycle, anErrorReplyDuringAPollIsShownAndPollingGoesOn) {
  const std::string address = "127.0.21.2";
  sim::SimulatorOptions options;
  options.tcpAddresses = {address};
  auto simulator = StartSimulator(options);
  WindowRig rig;
  WriteEthernetSettings(rig, address);
  rig.Build();
  CQorvelControllerDlg& w = *rig.window;
  ASSERT_TRUE(rig.timers->Fire(kConnectTimer));
  ASSERT_TRUE(SpinUntil([&] { return w.IsConnected(); }));
  ASSERT_TRUE(rig.timers->Fire(kPollTimer));  // the full poll

  simulator->Faults().Update([](sim::Faults& faults) {
    faults.rules.push_back({sim::ReplyFault::ErrorReply, "HTP", "*?"});
  });
  rig.prompts.Clear();
  ASSERT_TRUE(rig.timers->Fire(kPollTimer));
  ASSERT_EQ(rig.prompts.shown().size(), 1u);
  EXPECT_EQ(rig.prompts.shown()[0].caption, w.ModuleString(1));
  EXPECT_EQ(rig.prompts.shown()[0].text, w.ModuleString(180) + "\n" + w.ModuleString(190));
  EXPECT_TRUE(w.IsConnected());
  EXPECT_TRUE(rig.timers->IsRunning(kPollTimer));
}

TEST(ConnectionLifeCycle, theLaserButtonSwitchesTheLaserOnAndWaitsForThePoll) {
  const std::string address = "127.0.21.3";
  sim::SimulatorOptions options;
  options.tcpAddresses = {address};
  auto simulator = StartSimulator(options);
  WindowRig rig;
  WriteEthernetSettings(rig, address);
  rig.Build();
  CQorvelControllerDlg& w = *rig.window;
  ASSERT_TRUE(rig.timers->Fire(kConnectTimer));
  ASSERT_TRUE(SpinUntil([&] { return w.IsConnected(); }));
  w.OnCommand(1115);
  EXPECT_FALSE(w.Control(1115)->isEnabled());
  EXPECT_TRUE(simulator->Model().LaserOn());
  ASSERT_TRUE(rig.timers->Fire(kPollTimer));
  EXPECT_FALSE(w.Control(1115)->isEnabled());  // the laser is still on
}

}  // namespace
}  // namespace zemra
