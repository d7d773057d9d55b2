// zemractl over a pty against the stand-in thermometer: the serial opening, the frames and
// waits of a whole configuration read, single sets and reads, and the failures a serial line
// shows. Every wait is real, so each run costs what it costs on a real line.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CliRig.h"

namespace zemra::test {
namespace {

using Commands = std::vector<std::string>;

class SerialCli : public testing::Test {
 protected:
  void Start(sim::ThermometerConfig config = {}) {
    sim::SimulatorOptions options;
    options.thermometer = config;
    options.ptyLink = dir_.File("pty");
    simulator_ = StartSimulator(options);
    ASSERT_FALSE(simulator_->PtyPath().empty());
  }

  CliResult Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--serial", simulator_->PtyPath()});
    return RunZemractl(args, dir_.Path());
  }

  // Seconds from the frame at `from` to the frame at `to` of the record. The simulator stamps
  // a frame when its thread gets to it, which on a loaded machine can be some milliseconds after
  // the write; the allowance keeps that from passing for a shortened wait.
  double Gap(std::size_t from, std::size_t to) {
    const auto entries = simulator_->Record().Entries();
    return entries.at(to).seconds - entries.at(from).seconds + kStampAllowance;
  }
  static constexpr double kStampAllowance = 0.020;

  TempDir dir_;
  std::unique_ptr<sim::Simulator> simulator_;
};

const Commands kOpening = {"probe", "SABRT 3", "SAMEM 3958"};
const Commands kSingleWavelengthRead = {"IFO 1", "LBL", "EMS", "COM", "TFN", "AVR", "PPM", "PON",
                                        "POF",   "PPD", "PPT", "A1L", "A1M", "A1C", "A2L", "A2M",
                                        "A2C",   "OMX", "OMN", "OPT", "ANC", "UAP"};

const char kDefaultSingleFile[] =
    "[start]\r\n[Configuration information]\r\nLBL ZEMRA\r\nIRT 4\r\nIRU 0\r\nEMS 950\r\n"
    "TFN 0\r\nA1L 100\r\nA1M 0\r\nA1C 0\r\nA2L 900\r\nA2M 1\r\nA2C 0\r\nOMX 1000\r\nOMN 0\r\n"
    "OPT 0\r\nANC 0\r\nUAP 1000\r\n[end]\r\n\r\n";

TEST_F(SerialCli, readConfigOpensLikeTheWindowAndSavesTheConnectedFile) {
  Start();
  const CliResult result = Run({"read-config", "saved.zcf"});
  ASSERT_EQ(result.exit, 0) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(ReadFile(dir_.File("saved.zcf")), kDefaultSingleFile);

  Commands expected = kOpening;
  expected.insert(expected.end(), kSingleWavelengthRead.begin(), kSingleWavelengthRead.end());
  ASSERT_EQ(ReceivedCommands(*simulator_), expected);
  // The probe's 50 ms; the BRT set's 100 ms and the 50 ms after the confirmation; the
  // memory store's full second; then a read's 100 ms and a 50 ms gap between reads.
  EXPECT_GE(Gap(0, 1), 0.050);
  EXPECT_GE(Gap(1, 2), 0.150);
  EXPECT_GE(Gap(2, 3), 1.000);
  for (std::size_t i = 3; i + 1 < expected.size(); ++i) EXPECT_GE(Gap(i, i + 1), 0.150) << i;

  // The traffic log in the working directory, as the link writes it: the probe at address 0.
  const std::string log = ReadFile(dir_.File("ZEMRAnet.log"));
  EXPECT_NE(log.find("\tWrote 4 bytes: 0x02 0x00 0x03 0x00\n"), std::string::npos) << log;
}

TEST_F(SerialCli, setAndGetTheEmissivity) {
  Start();
  CliResult set = Run({"set", "EMS", "0.9"});
  ASSERT_EQ(set.exit, 0) << set.err;
  EXPECT_EQ(Run({"get", "EMS"}).out, "0.9\n");
  set = Run({"set", "ems", "0.95"});
  ASSERT_EQ(set.exit, 0) << set.err;
  const CliResult json = Run({"get", "EMS", "--json"});
  ASSERT_EQ(json.exit, 0) << json.err;
  EXPECT_EQ(json.out, "{\"mnemonic\": \"EMS\", \"value\": 0.95}\n");

  const Commands commands = ReceivedCommands(*simulator_);
  EXPECT_NE(std::find(commands.begin(), commands.end(), "SAEMS 900"), commands.end());
  EXPECT_EQ(commands[commands.size() - 5], "SAEMS 950");  // then the next opening and the read
  EXPECT_EQ(commands.back(), "EMS");
}

TEST_F(SerialCli, theAddressPicksTheUnitOnTheBus) {
  sim::ThermometerConfig config;
  config.address = 7;
  Start(config);
  const CliResult own = Run({"--address", "7", "get", "COM"});
  ASSERT_EQ(own.exit, 0) << own.err;
  EXPECT_EQ(own.out, "7\n");
  const CliResult other = Run({"--address", "8", "identify"});
  EXPECT_EQ(other.exit, 1);
  EXPECT_EQ(other.err, "zemractl: No thermometer answers at unit address 8 on " +
                           simulator_->PtyPath() + ".\n");
  EXPECT_EQ(other.out, "");
}

TEST_F(SerialCli, aSilentUnitIsNoThermometer) {
  Start();
  simulator_->Faults().Update([](sim::Faults& f) {
    f.rules = {{sim::ReplyFault::Silent, "", "*?"}};
  });
  const CliResult result = Run({"identify", "--json"});
  EXPECT_EQ(result.exit, 1);
  EXPECT_NE(result.err.find("No thermometer answers at unit address 0"), std::string::npos)
      << result.err;
  EXPECT_EQ(ReceivedCommands(*simulator_), Commands{"probe"});
}

TEST_F(SerialCli, anErrorReplyIsARefusalWithBothMessages) {
  Start();
  simulator_->Faults().Update([](sim::Faults& f) {
    f.rules = {{sim::ReplyFault::ErrorReply, "EMS", "*?"}};
  });
  const CliResult result = Run({"get", "EMS"});
  EXPECT_EQ(result.exit, 2);
  EXPECT_EQ(result.err,
            "zemractl: The emissivity could not be read.\n"
            "zemractl: The thermometer refused the command.\n");
  EXPECT_EQ(result.out, "");
}

TEST_F(SerialCli, aFileThatFailsToParseNeverReachesTheThermometer) {
  Start();
  // Good lines before the bad one: none of them may be sent either.
  WriteFile(dir_.File("half.zcf"),
            "[start]\r\n[Configuration information]\r\nLBL Changed\r\nIRU 1\r\nEMS 500\r\n"
            "TFN two\r\nA1L 300\r\n[end]\r\n\r\n");
  const CliResult result = Run({"write-config", "half.zcf"});
  EXPECT_EQ(result.exit, 4);
  EXPECT_NE(result.err.find("half.zcf: The file is not in the expected format."), std::string::npos)
      << result.err;
  EXPECT_EQ(simulator_->Record().Count(), 0u);
  EXPECT_EQ(simulator_->Model().Settings().label, "ZEMRA");
}

TEST_F(SerialCli, aDeviceThatCannotBeOpenedIsNamed) {
  Start();
  const CliResult result =
      RunZemractl({"--serial", dir_.File("no-such-device"), "store"}, dir_.Path());
  EXPECT_EQ(result.exit, 1);
  EXPECT_NE(
      result.err.find("The serial device " + dir_.File("no-such-device") + " could not be opened."),
      std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("No such file or directory"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace zemra::test
