// End to end: the link against the zemrasim program, over a real pty and real loopback TCP,
// with the real clock. Few and slow on purpose: the protocol's waits are real here.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "LinkRig.h"
#include "link/CQRVSerialPort.h"
#include "support/ScriptedSerialBackend.h"

extern char** environ;

namespace zemra {
namespace {

using test::LinkMode;

// The simulator as a child process; its first line on stdout is the pty's device, printed once
// every transport is open.
class SimulatorProcess {
 public:
  explicit SimulatorProcess(std::vector<std::string> args) {
    int out[2];
    if (::pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    args.insert(args.begin(), ZEMRASIM_PROGRAM);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    out_ = out[0];
  }
  ~SimulatorProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      int status = 0;
      ::waitpid(pid_, &status, 0);
    }
    if (out_ >= 0) ::close(out_);
  }

  std::string FirstLine() {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
      pollfd ready{out_, POLLIN, 0};
      if (::poll(&ready, 1, 100) != 1) continue;
      char c = 0;
      if (::read(out_, &c, 1) != 1) break;
      if (c == '\n') return line;
      line.push_back(c);
    }
    return std::string();
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
};

// A configuration inside the simulated unit's range that differs from its factory settings.
struct Written {
  std::string label = "Kiln 4";
  double nonGreyness = 1.05;
  TimeFuncData timeFunction{1, 0, 0, 12, 0.0, 1.0, 5};
  AlarmLevel level{{300, 900}};
  AlarmMode mode{{1, 0}};
  AlarmContacts contacts{{0, 1}};
  OutputData output{250, 950, 1};
  std::int32_t userCalibration = 1010;
  std::int32_t driveMode = 0;
};

class LinkSimulator : public ::testing::TestWithParam<LinkMode> {
 protected:
  void SetUp() override {
    const std::string ptyLink =
        ::testing::TempDir() + "zemrasim-link-" + std::to_string(::getpid());
    address_ = test::TestAddress();
    sim_ = std::make_unique<SimulatorProcess>(
        std::vector<std::string>{"--pty", ptyLink, "--tcp", address_, "--kind", "ratio", "--range",
                                 "200:1000", "--label", "ZEMRA", "--serial-number", "20123"});
    device_ = sim_->FirstLine();
    ASSERT_FALSE(device_.empty()) << "zemrasim did not start";
    link_ =
        std::make_unique<CQRVSerialPort>([](int) {}, SystemClock(), MakeTermiosBackend(),
                                         std::make_shared<test::FixedPortResolver>(device_),
                                         TrafficLog(::testing::TempDir() + "zemrasim-traffic.log"));
  }

  void Connect() {
    if (GetParam() == LinkMode::Serial) {
      ASSERT_EQ(link_->Open(1, 1, 0, false, ""), kLinkOk);
      return;
    }
    ASSERT_EQ(link_->Open(1, 1, 0, true, address_), kLinkIoFailed);
    int event = -1;
    for (int i = 0; i < 300 && event == -1; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      event = link_->EthernetClient()->TakeEvent();
    }
    ASSERT_EQ(event, kEventConnected);
  }

  std::string address_;
  std::string device_;
  std::unique_ptr<SimulatorProcess> sim_;
  std::unique_ptr<CQRVSerialPort> link_;
};

TEST_P(LinkSimulator, ReadsAndWritesAWholeConfiguration) {
  Connect();
  CQRVSerialPort& link = *link_;
  std::string line;
  ASSERT_EQ(link.ReadIdentityLine(line), kLinkOk);
  EXPECT_FALSE(line.empty());
  std::int32_t serial = 0;
  ASSERT_EQ(link.ReadTSN(serial), kLinkOk);
  EXPECT_EQ(serial, 20123);

  std::string label;
  Thermometer record;
  double emissivity = -1, nonGreyness = -1;
  std::int32_t control = -1, calibration = -1, driveMode = -1, unitAddress = -1;
  TimeFuncData tf;
  AlarmLevel level;
  AlarmMode mode;
  AlarmContacts contacts;
  OutputData output;
  ASSERT_EQ(link.ReadConfiguration(label, record, emissivity, control, nonGreyness, tf, level, mode,
                                   contacts, output, calibration, driveMode, unitAddress),
            kLinkOk);
  EXPECT_EQ(label, "ZEMRA");
  EXPECT_EQ(record.typeClass, kTypeRatio);
  EXPECT_EQ(record.rangeLow, 200);
  EXPECT_EQ(record.rangeHigh, 1000);
  EXPECT_EQ(unitAddress, 1);
  EXPECT_EQ(emissivity, -1);  // a ratio thermometer has none

  const Written w;
  ASSERT_EQ(link.WriteConfiguration(w.label, 0, 0.95, 0, w.nonGreyness, w.timeFunction, w.level,
                                    w.mode, w.contacts, w.output, w.userCalibration, w.driveMode),
            kLinkOk);
  ASSERT_EQ(link.StoreToMemory(), kLinkOk);

  std::string labelBack;
  double ngrBack = 0;
  std::int32_t tfnBack = -1, avrBack = -1, omxBack = -1, omnBack = -1, a1lBack = -1;
  std::int32_t uapBack = -1, odmBack = -1;
  ASSERT_EQ(link.ReadLBL(labelBack), kLinkOk);
  ASSERT_EQ(link.ReadNGR(ngrBack), kLinkOk);
  ASSERT_EQ(link.ReadTFN(tfnBack), kLinkOk);
  ASSERT_EQ(link.ReadAVR(avrBack), kLinkOk);
  ASSERT_EQ(link.ReadOMX(omxBack), kLinkOk);
  ASSERT_EQ(link.ReadOMN(omnBack), kLinkOk);
  ASSERT_EQ(link.ReadAlarmLevel(1, a1lBack), kLinkOk);
  ASSERT_EQ(link.ReadUAP(uapBack), kLinkOk);
  ASSERT_EQ(link.ReadODM(odmBack), kLinkOk);
  EXPECT_EQ(labelBack, w.label);
  EXPECT_EQ(ngrBack, 1.05);
  EXPECT_EQ(tfnBack, 1);
  EXPECT_EQ(avrBack, 5);
  EXPECT_EQ(omxBack, 950);
  EXPECT_EQ(omnBack, 250);
  EXPECT_EQ(a1lBack, 300);
  EXPECT_EQ(uapBack, 1010);
  EXPECT_EQ(odmBack, w.driveMode);
  link.Close();
}

INSTANTIATE_TEST_SUITE_P(Modes, LinkSimulator,
                         ::testing::Values(LinkMode::Serial, LinkMode::Ethernet),
                         [](const auto& info) { return test::ModeName(info.param); });

}  // namespace
}  // namespace zemra
