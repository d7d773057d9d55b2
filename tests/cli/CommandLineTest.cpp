#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CliRig.h"
#include "cli/Cli.h"
#include "cli/ExitStatus.h"
#include "cli/Options.h"

namespace zemra::cli {
namespace {

using Transport = ConnectionOptions::Transport;

Invocation Parsed(const std::vector<std::string>& args) {
  const ParseResult result = ParseCommandLine(args);
  EXPECT_TRUE(result.invocation) << result.error;
  return result.invocation.value_or(Invocation{});
}

TEST(CommandLine, connectionOptionsAreTakenWhereverTheyStand) {
  const Invocation serial =
      Parsed({"--serial", "/dev/ttyUSB0", "--address=7", "identify", "--baud-rate", "19200"});
  EXPECT_EQ(serial.command, "identify");
  EXPECT_EQ(serial.connection.transport, Transport::kSerialDevice);
  EXPECT_EQ(serial.connection.device, "/dev/ttyUSB0");
  EXPECT_EQ(serial.connection.address, 7);
  EXPECT_EQ(serial.connection.baudIndex, 1);

  const Invocation com = Parsed({"--com", "3", "--baud", "4", "get", "EMS", "--json"});
  EXPECT_EQ(com.connection.transport, Transport::kComPort);
  EXPECT_EQ(com.connection.comPort, 3);
  EXPECT_EQ(com.connection.baudIndex, 4);
  EXPECT_EQ(com.operands, std::vector<std::string>{"EMS"});
  EXPECT_TRUE(com.json);

  const Invocation tcp = Parsed({"monitor", "--tcp", "10.0.0.5", "--count", "12", "--csv"});
  EXPECT_EQ(tcp.connection.transport, Transport::kTcp);
  EXPECT_EQ(tcp.connection.ipAddress, "10.0.0.5");
  EXPECT_FALSE(tcp.connection.address);
  EXPECT_EQ(tcp.count, 12);
  EXPECT_TRUE(tcp.csv);

  const Invocation settings = Parsed({"--data-folder", "/srv/z", "read-config", "out.zcf"});
  EXPECT_EQ(settings.connection.transport, Transport::kSettingsFile);
  EXPECT_EQ(settings.connection.dataFolder, "/srv/z");
  EXPECT_EQ(settings.operands, std::vector<std::string>{"out.zcf"});
}

TEST(CommandLine, operandsMayBeNegativeOrFollowTheEndOfOptions) {
  EXPECT_EQ(Parsed({"--tcp", "127.0.0.1", "set", "EMS", "-0.5"}).operands,
            (std::vector<std::string>{"EMS", "-0.5"}));
  EXPECT_EQ(Parsed({"--tcp", "127.0.0.1", "read-config", "--", "--odd-name.zcf"}).operands,
            std::vector<std::string>{"--odd-name.zcf"});
}

TEST(CommandLine, helpAndVersionNeedNothingElse) {
  EXPECT_EQ(Parsed({"--help"}).action, Invocation::Action::kHelp);
  EXPECT_EQ(Parsed({"-h"}).action, Invocation::Action::kHelp);
  EXPECT_EQ(Parsed({"--version"}).action, Invocation::Action::kVersion);
  // A command's help, even when its operands are missing.
  const Invocation help = Parsed({"write-config", "--help"});
  EXPECT_EQ(help.action, Invocation::Action::kHelp);
  EXPECT_EQ(help.command, "write-config");
  EXPECT_EQ(Parsed({"help", "monitor"}).command, "monitor");
}

TEST(CommandLine, adaptersAreAddressAndMask) {
  const Invocation inv =
      Parsed({"discover", "--adapter", "127.0.0.1/255.0.0.0", "--adapter=10.1.2.3/255.255.0.0"});
  ASSERT_EQ(inv.adapters.size(), 2u);
  EXPECT_EQ(inv.adapters[0].address, 0x7F000001u);
  EXPECT_EQ(inv.adapters[0].mask, 0xFF000000u);
  EXPECT_EQ(inv.adapters[1].address, 0x0A010203u);
  EXPECT_EQ(inv.adapters[1].mask, 0xFFFF0000u);
}

// Everything here fails before a connection is even tried, so the rows run in-process.
struct BadLine {
  std::vector<std::string> args;
  int exit;
  std::string message;  // a part of the first line on standard error
};

// Names the row by its command line in test output.
void PrintTo(const BadLine& row, std::ostream* os) {
  for (const std::string& arg : row.args) *os << arg << ' ';
}

class BadCommandLine : public testing::TestWithParam<BadLine> {};

TEST_P(BadCommandLine, isRefusedWithOneLineAndItsExitStatus) {
  std::ostringstream out;
  std::ostringstream err;
  NoInterrupt interrupt;
  CommandIo io{out, err, interrupt};
  const BadLine& row = GetParam();
  EXPECT_EQ(RunCli(row.args, io), row.exit);
  const std::string text = err.str();
  const std::string first = text.substr(0, text.find('\n'));
  EXPECT_NE(first.find(row.message), std::string::npos) << text;
  EXPECT_EQ(first.rfind("zemractl: ", 0), 0u) << text;
  EXPECT_EQ(out.str(), "");
}

const std::string kTcp = "127.0.0.1";

INSTANTIATE_TEST_SUITE_P(
    Usage, BadCommandLine,
    testing::Values(
        BadLine{{}, kExitUsage, "no command given"},
        BadLine{{"frobnicate"}, kExitUsage, "unknown command \"frobnicate\""},
        BadLine{{"--tcp", kTcp, "identify", "--frob"}, kExitUsage, "unknown option --frob"},
        BadLine{{"-x", "identify"}, kExitUsage, "unknown option -x"},
        BadLine{{"identify", "--tcp"}, kExitUsage, "option --tcp needs a value"},
        BadLine{{"--json=1", "identify"}, kExitUsage, "option --json takes no value"},
        BadLine{{"--tcp", kTcp, "write-config"}, kExitUsage, "write-config needs FILE"},
        BadLine{{"--tcp", kTcp, "diff"}, kExitUsage, "diff needs FILE"},
        BadLine{{"--tcp", kTcp, "read-config", "a", "b"}, kExitUsage, "too many arguments"},
        BadLine{{"--tcp", kTcp, "identify", "extra"}, kExitUsage, "identify takes no arguments"},
        BadLine{{"--tcp", kTcp, "set", "EMS"}, kExitUsage, "set needs MNEMONIC VALUE"},
        BadLine{{"--address", "255", "identify"}, kExitUsage, "from 0 to 254, not \"255\""},
        BadLine{{"--address", "-1", "identify"}, kExitUsage, "from 0 to 254, not \"-1\""},
        BadLine{{"--address", "3x", "identify"}, kExitUsage, "not \"3x\""},
        BadLine{{"--com", "0", "identify"}, kExitUsage, "--com must be a port number"},
        BadLine{{"--com", "9", "identify"}, kExitUsage, "--com must be a port number"},
        BadLine{{"--baud", "5", "identify"}, kExitUsage, "--baud must be an index from 0 to 4"},
        BadLine{{"--baud-rate", "4800", "identify"}, kExitUsage, "one of 9600, 19200"},
        BadLine{{"--baud", "1", "--baud-rate", "9600", "identify"},
                kExitUsage,
                "only one of --baud and --baud-rate"},
        BadLine{
            {"--tcp", kTcp, "--baud", "1", "identify"}, kExitUsage, "apply to a serial connection"},
        BadLine{{"--tcp", "256.1.1.1", "identify"}, kExitUsage, "an IPv4 address"},
        BadLine{{"--tcp", "localhost", "identify"}, kExitUsage, "an IPv4 address"},
        BadLine{{"--serial", "/dev/x", "--tcp", kTcp, "identify"},
                kExitUsage,
                "only one of --serial, --com and --tcp"},
        BadLine{
            {"--tcp", kTcp, "identify", "--csv"}, kExitUsage, "--csv does not apply to identify"},
        BadLine{{"--tcp", kTcp, "monitor", "--csv", "--json"},
                kExitUsage,
                "only one of --csv and --json"},
        BadLine{{"--tcp", kTcp, "monitor", "--count", "0"}, kExitUsage, "a positive number"},
        BadLine{{"--tcp", kTcp, "discover"}, kExitUsage, "--tcp does not apply to discover"},
        BadLine{{"--tcp", kTcp, "identify", "--adapter", "127.0.0.1/255.0.0.0"},
                kExitUsage,
                "--adapter does not apply to identify"},
        BadLine{{"discover", "--adapter", "127.0.0.1"}, kExitUsage, "ADDRESS/MASK"},
        BadLine{{"set-ip", "00:0A:B0:01:02", "1.2.3.4", "255.0.0.0", "1.2.3.1"},
                kExitUsage,
                "is not a MAC address"},
        BadLine{{"set-ip", "00:0A:B0:01:02:03", "1.2.3", "255.0.0.0", "1.2.3.1"},
                kExitUsage,
                "IP \"1.2.3\" is not a dotted quad"},
        BadLine{{"set-ip", "00:0A:B0:01:02:03", "1.2.3.4", "255.0.0.0", "gw"},
                kExitUsage,
                "GATEWAY \"gw\" is not a dotted quad"},
        BadLine{{"help", "frobnicate"}, kExitUsage, "unknown command"}));

INSTANTIATE_TEST_SUITE_P(
    Values, BadCommandLine,
    testing::Values(
        BadLine{{"--tcp", kTcp, "get", "XYZ"}, kExitUsage, "unknown mnemonic \"XYZ\""},
        BadLine{{"--tcp", kTcp, "set", "LBL", "x"}, kExitUsage, "cannot be set on its own"},
        BadLine{{"--tcp", kTcp, "set", "EMS", "abc"}, kExitUsage, "takes a decimal number"},
        BadLine{{"--tcp", kTcp, "set", "EMS", "0x1p-1"}, kExitUsage, "takes a decimal number"},
        BadLine{{"--tcp", kTcp, "set", "EMS", "nan"}, kExitUsage, "takes a decimal number"},
        BadLine{{"--tcp", kTcp, "set", "IRU", "2"}, kExitUsage, "IRU takes 0 or 1"},
        BadLine{{"--tcp", kTcp, "set", "LSR", "0"}, kExitUsage, "only be set to 1"},
        BadLine{{"--tcp", kTcp, "set", "EMS", "1.01"},
                kExitOutOfRange,
                "The emissivity must lie between 0.100 and 1.000."},
        BadLine{{"--tcp", kTcp, "set", "ems", "0.05"}, kExitOutOfRange, "emissivity"},
        BadLine{{"--tcp", kTcp, "set", "NGR", "1.3"}, kExitOutOfRange, "non-grey ratio"},
        BadLine{{"--tcp", kTcp, "set", "COM", "0"},
                kExitOutOfRange,
                "The unit address must lie between 1 and 254."},
        BadLine{{"--tcp", kTcp, "set", "BRT", "6"}, kExitOutOfRange, "baud rate"},
        BadLine{{"--serial", "/dev/null", "identify"},
                kExitUsage,
                "/dev/null is not a serial device"}));

TEST(CommandLineFiles, aFileThatIsMissingOrGarbageIsRefusedBeforeAnyConnection) {
  test::TempDir dir;
  test::WriteFile(dir.File("garbage.zcf"), "\x01\x02 not a configuration at all\n");
  test::WriteFile(dir.File("bad-value.zcf"),
                  "[start]\r\n[Configuration information]\r\nLBL x\r\nIRU 0\r\nTFN x\r\n"
                  "[end]\r\n\r\n");
  test::WriteFile(dir.File("not-serial"), "");
  const struct {
    std::vector<std::string> args;
    int exit;
    std::string message;
  } rows[] = {
      {{"write-config", dir.File("absent.zcf")}, kExitFileError, "absent.zcf was not found."},
      {{"diff", dir.File("absent.zcf")}, kExitFileError, "was not found."},
      {{"write-config", dir.File("garbage.zcf")},
       kExitFileError,
       "The file is not in the expected format."},
      {{"write-config", dir.File("bad-value.zcf")}, kExitFileError, "not a whole number"},
      {{"diff", dir.File("bad-value.zcf")}, kExitFileError, "expected format"},
      {{"read-config", dir.File("no-such-folder/out.zcf")},
       kExitFileError,
       "contains an incorrect path"},
  };
  for (const auto& row : rows) {
    std::ostringstream out;
    std::ostringstream err;
    NoInterrupt interrupt;
    CommandIo io{out, err, interrupt};
    // An address nothing can answer at: these must fail before it matters.
    std::vector<std::string> args = {"--tcp", "127.0.0.1", "--address", "9"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    EXPECT_EQ(RunCli(args, io), row.exit) << err.str();
    EXPECT_NE(err.str().find(row.message), std::string::npos) << err.str();
  }
  std::ostringstream out;
  std::ostringstream err;
  NoInterrupt interrupt;
  CommandIo io{out, err, interrupt};
  EXPECT_EQ(RunCli({"--serial", dir.File("not-serial"), "store"}, io), kExitUsage);
}

TEST(CommandLineHelp, everyLevelHasUsefulHelp) {
  const auto run = [](const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    NoInterrupt interrupt;
    CommandIo io{out, err, interrupt};
    EXPECT_EQ(RunCli(args, io), kExitOk);
    EXPECT_EQ(err.str(), "");
    return out.str();
  };
  const std::string overview = run({"--help"});
  for (const char* part :
       {"Usage: zemractl", "--serial DEVICE", "--tcp ADDRESS", "--address A", "CommsSettings.cfg",
        "read-config [FILE]", "set-ip", "Exit status", "64"}) {
    EXPECT_NE(overview.find(part), std::string::npos) << part;
  }
  const std::string readConfig = run({"read-config", "--help"});
  EXPECT_NE(readConfig.find("Usage: zemractl [CONNECTION] read-config [FILE]"), std::string::npos);
  EXPECT_NE(readConfig.find("standard output"), std::string::npos);
  EXPECT_EQ(run({"help", "read-config"}), readConfig);
  EXPECT_NE(run({"monitor", "-h"}).find("[--count N] [--csv | --json]"), std::string::npos);
  EXPECT_EQ(run({"--version"}).rfind("zemractl ", 0), 0u);
}

}  // namespace
}  // namespace zemra::cli
