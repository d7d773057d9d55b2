// zemractl over TCP against the stand-in thermometer, each test on a loopback address of its
// own: identification, whole configurations read, written, verified and compared, the live
// monitor and its Ctrl-C, the settings file, and a connection nobody answers.

#include <signal.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CliRig.h"

namespace zemra::test {
namespace {

using Commands = std::vector<std::string>;

class TcpCli : public testing::Test {
 protected:
  void Start(const std::string& address, sim::ThermometerKind kind = sim::ThermometerKind::Ratio) {
    address_ = address;
    sim::SimulatorOptions options;
    options.thermometer.kind = kind;
    options.tcpAddresses = {address};
    simulator_ = StartSimulator(options);
  }

  std::vector<std::string> With(std::vector<std::string> args) const {
    args.insert(args.begin(), {"--tcp", address_});
    return args;
  }
  CliResult Run(std::vector<std::string> args) { return RunZemractl(With(args), dir_.Path()); }

  Commands SetsReceived() {
    Commands sets;
    for (const std::string& c : ReceivedCommands(*simulator_)) {
      if (c.rfind("SA", 0) == 0) sets.push_back(c);
    }
    return sets;
  }

  TempDir dir_;
  std::string address_;
  std::unique_ptr<sim::Simulator> simulator_;
};

const char kDefaultRatioFile[] =
    "[start]\r\n[Configuration information]\r\nLBL ZEMRA\r\nIRT 7\r\nIRU 0\r\nNGR 1000\r\n"
    "TFN 0\r\nA1L 810\r\nA1M 0\r\nA1C 0\r\nA2L 1690\r\nA2M 1\r\nA2C 0\r\nOMX 1800\r\n"
    "OMN 700\r\nOPT 0\r\nANC 0\r\nUAP 1000\r\n[end]\r\n\r\n";

TEST_F(TcpCli, identifyGivesTheThermometersRecord) {
  Start("127.0.7.1");
  const CliResult json = Run({"identify", "--json"});
  ASSERT_EQ(json.exit, 0) << json.err;
  EXPECT_EQ(json.out,
            "{\"identity\": \"7: ZEMR5 two-colour ratio pyrometer\", \"serialNumber\": 10001, "
            "\"typeNumber\": 7, \"kind\": \"ratio\", \"rangeLow\": 700, \"rangeHigh\": 1800, "
            "\"unit\": \"Celsius\", \"laserFitted\": true}\n");
  // Over Ethernet there is no probe, no baud-rate confirmation and no memory store.
  EXPECT_EQ(ReceivedCommands(*simulator_), (Commands{"IFO 1", "TSN", "IFO 1"}));

  const CliResult text = Run({"identify"});
  ASSERT_EQ(text.exit, 0) << text.err;
  EXPECT_NE(text.out.find("Kind:           ratio\n"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("Range:          700 to 1800\n"), std::string::npos) << text.out;
}

TEST_F(TcpCli, readConfigWritesTheWindowsFileToStandardOutput) {
  Start("127.0.7.2");
  const CliResult result = Run({"read-config"});
  ASSERT_EQ(result.exit, 0) << result.err;
  EXPECT_EQ(result.out, kDefaultRatioFile);
  EXPECT_EQ(ReceivedCommands(*simulator_),
            (Commands{"IFO 1", "LBL", "NGR", "COM", "TFN", "AVR", "PPM", "PON",
                      "POF",   "PPD", "PPT", "A1L", "A1M", "A1C", "A2L", "A2M",
                      "A2C",   "OMX", "OMN", "OPT", "ANC", "UAP", "ODM"}));
}

TEST_F(TcpCli, writeConfigPutsTheFileOverTheThermometerAndVerifies) {
  Start("127.0.7.3");
  WriteFile(dir_.File("new.zcf"),
            "[start]\r\n[Configuration information]\r\nLBL Line 4 pyrometer\r\nNGR 1050\r\n"
            "TFN 1\r\nAVR 5\r\nA1L 900\r\nOMN 800\r\n[end]\r\n\r\n");
  const CliResult result = Run({"write-config", "new.zcf", "--verify"});
  ASSERT_EQ(result.exit, 0) << result.err;
  EXPECT_EQ(result.out, "");

  const sim::ThermometerSettings stored = simulator_->Model().StoredSettings();
  EXPECT_EQ(stored.label, "ine 4 pyrometer");  // the link sends the last 15 characters
  EXPECT_EQ(stored.ngr, 1050);
  EXPECT_EQ(stored.tfn, 1);
  EXPECT_EQ(stored.avr, 5);
  EXPECT_DOUBLE_EQ(stored.alarmLevelC[0], 900);
  EXPECT_DOUBLE_EQ(stored.omnC, 800);
  EXPECT_DOUBLE_EQ(stored.omxC, 1800);  // not in the file: kept

  // The file's keys over what was read, sent in the write's order and stored.
  EXPECT_EQ(SetsReceived(), (Commands{"SAIRU 0",    "SAANC 0",    "SANGR 1050",
                                      "SATFN 1",    "SATFN 1",    "SAAVR 5",
                                      "SAA1M 0",    "SAA1L 900",  "SAA1C 0",
                                      "SAA2M 1",    "SAA2L 1690", "SAA2C 0",
                                      "SAOMX 1800", "SAOMN 800",  "SAOMX 1800",
                                      "SAOMN 800",  "SAOPT 0",    "SALBL ine 4 pyrometer",
                                      "SAANC 0",    "SAUAP 1000", "SAODM 1",
                                      "SAMEM 3958"}));
}

TEST_F(TcpCli, verifyListsWhatTheThermometerDidNotTake) {
  Start("127.0.7.4");
  // No limit of the link stops an output type of 12, but the unit takes only 0 to 9 and, as
  // set frames are never answered, keeps its old one without a word.
  WriteFile(dir_.File("odd.zcf"),
            "[start]\r\n[Configuration information]\r\nLBL ZEMRA\r\nOPT 12\r\nA2M 0\r\n"
            "[end]\r\n\r\n");
  const CliResult result = Run({"write-config", "odd.zcf", "--verify"});
  EXPECT_EQ(result.exit, 1);
  EXPECT_EQ(result.out, "OPT: thermometer 0, sent 12\n");
  EXPECT_EQ(result.err, "zemractl: 1 value(s) differ from what was sent.\n");
  EXPECT_EQ(simulator_->Model().Settings().alarmMode[1], 0);
}

TEST_F(TcpCli, anOutOfRangeFileSendsNothingAndNamesTheLimits) {
  Start("127.0.7.5");
  WriteFile(dir_.File("hot.zcf"),
            "[start]\r\n[Configuration information]\r\nLBL Hot\r\nA1L 5000\r\n[end]\r\n\r\n");
  const CliResult result = Run({"write-config", "hot.zcf"});
  EXPECT_EQ(result.exit, 3);
  EXPECT_EQ(result.err, "zemractl: The alarm levels must lie between 700 and 1800.\n");
  EXPECT_TRUE(SetsReceived().empty());
  EXPECT_EQ(simulator_->Model().Settings().label, "ZEMRA");
}

TEST_F(TcpCli, diffShowsWhereTheThermometerDiffersFromAFile) {
  Start("127.0.7.6");
  ASSERT_EQ(Run({"read-config", "same.zcf"}).exit, 0);
  const CliResult same = Run({"diff", "same.zcf"});
  EXPECT_EQ(same.exit, 0) << same.err;
  EXPECT_EQ(same.out, "");

  WriteFile(dir_.File("other.zcf"),
            "[start]\r\n[Configuration information]\r\nLBL Kiln\r\nA2L 1500\r\nUAP 1000\r\n"
            "[end]\r\n\r\n");
  const CliResult other = Run({"diff", "other.zcf"});
  EXPECT_EQ(other.exit, 1);
  EXPECT_EQ(other.out,
            "LBL: thermometer \"ZEMRA\", file \"Kiln\"\n"
            "A2L: thermometer 1690, file 1500\n");
}

TEST_F(TcpCli, monitorRunsTheWindowsPollCycle) {
  Start("127.0.7.7");
  const CliResult result = Run({"monitor", "--count", "12", "--csv"});
  ASSERT_EQ(result.exit, 0) << result.err;
  std::istringstream lines(result.out);
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line, "time,temperature,internal_temperature,flags,over_range,under_range,laser");
  int rows = 0;
  while (std::getline(lines, line)) {
    ++rows;
    EXPECT_EQ(std::count(line.begin(), line.end(), ','), 6) << line;
    EXPECT_NE(line.find(",0x0"), std::string::npos) << line;
  }
  EXPECT_EQ(rows, 12);

  // A full poll, ten quick ones, a full one; each poll two seconds after the previous ended.
  const Commands full = {"IFO 1", "LBL", "TFN", "OMX", "OMN", "OPT",
                         "FLG",   "HTP", "IAC", "LSR", "IAC"};
  const Commands quick = {"HTP", "IAC", "ANC", "FLG", "LSR", "IAC"};
  Commands expected = full;
  for (int i = 0; i < 10; ++i) expected.insert(expected.end(), quick.begin(), quick.end());
  expected.insert(expected.end(), full.begin(), full.end());
  ASSERT_EQ(ReceivedCommands(*simulator_), expected);
  const auto entries = simulator_->Record().Entries();
  std::size_t end = full.size() - 1;
  for (int poll = 1; poll < 12; ++poll) {
    // Less a few milliseconds of the simulator's own stamping delay.
    EXPECT_GE(entries[end + 1].seconds - entries[end].seconds, 1.98) << poll;
    end += poll < 11 ? quick.size() : full.size();
  }
}

TEST_F(TcpCli, aRefusedReadingIsReportedAndPollingGoesOn) {
  Start("127.0.7.10");
  simulator_->Faults().Update([](sim::Faults& f) {
    f.rules = {{sim::ReplyFault::ErrorReply, "ANC", "*?"}};
  });
  const CliResult result = Run({"monitor", "--count", "3", "--json"});
  EXPECT_EQ(result.exit, 2);
  EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 1) << result.out;
  const std::string refused =
      "zemractl: The emissivity control could not be read.\n"
      "zemractl: The thermometer refused the command.\n";
  EXPECT_EQ(result.err, refused + refused);
  // The full poll, then two quick polls that each end at the refused reading.
  const Commands commands = ReceivedCommands(*simulator_);
  ASSERT_EQ(commands.size(), 17u);
  EXPECT_EQ(Commands(commands.begin() + 11, commands.end()),
            (Commands{"HTP", "IAC", "ANC", "HTP", "IAC", "ANC"}));
}

TEST_F(TcpCli, ctrlCEndsTheMonitorCleanly) {
  Start("127.0.7.8");
  CliProcess monitor(With({"monitor", "--json"}), dir_.Path());
  ASSERT_TRUE(monitor.WaitForOutput(
      [](const std::string& out) { return out.find('\n') != std::string::npos; },
      std::chrono::seconds(20)));
  const auto stop = std::chrono::steady_clock::now();
  monitor.Signal(SIGINT);
  const CliResult result = monitor.Finish(std::chrono::seconds(10));
  EXPECT_LT(std::chrono::steady_clock::now() - stop, std::chrono::seconds(3));
  EXPECT_EQ(result.exit, 0) << result.err;
  EXPECT_EQ(result.err, "");
  ASSERT_FALSE(result.out.empty());
  EXPECT_EQ(result.out.back(), '\n');
  EXPECT_EQ(result.out.rfind("{\"time\": ", 0), 0u) << result.out;
}

TEST_F(TcpCli, theSettingsFileSaysWhereTheThermometerIs) {
  Start("127.0.7.9");
  WriteFile(dir_.File("CommsSettings.cfg"),
            "[start]\r\n[Communication Settings]\r\nSerialAddress 0\r\nSerialBaudRate 3\r\n"
            "SerialPort 1\r\nSerialUnitAddress 1\r\nUseTcpMode 1\r\nIpAddress 127.0.7.9\r\n"
            "IpPort 2101\r\n[end]\r\n\r\n");
  const CliResult result = RunZemractl({"--data-folder", dir_.Path(), "get", "LBL"}, dir_.Path());
  ASSERT_EQ(result.exit, 0) << result.err;
  EXPECT_EQ(result.out, "ZEMRA\n");
}

TEST_F(TcpCli, aRefusedConnectionIsNoThermometer) {
  address_ = "127.0.7.99";  // nothing listens there
  const CliResult result = Run({"identify"});
  EXPECT_EQ(result.exit, 1);
  EXPECT_EQ(result.err, "zemractl: Cannot connect to 127.0.7.99 port 2101: Connection Refused\n");
}

}  // namespace
}  // namespace zemra::test
