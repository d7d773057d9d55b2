#include <string>

#include <gtest/gtest.h>

#include "CliRig.h"
#include "cli/ExitStatus.h"
#include "cli/Session.h"

namespace zemra::cli {
namespace {

const char kSerialSettings[] =
    "[start]\r\n[Communication Settings]\r\nSerialAddress 5\r\nSerialBaudRate 1\r\n"
    "SerialPort 2\r\nSerialUnitAddress 9\r\nUseTcpMode 0\r\nIpAddress 127.0.0.9\r\n"
    "IpPort 2101\r\n[end]\r\n\r\n";

ConnectionOptions FromFolder(const std::string& folder) {
  ConnectionOptions options;
  options.dataFolder = folder;
  return options;
}

TEST(ConnectionPlan, theSettingsFileGivesTheWindowsConnection) {
  test::TempDir dir;
  test::WriteFile(dir.File("CommsSettings.cfg"), kSerialSettings);
  const PlanResult serial = PlanConnection(FromFolder(dir.Path()));
  ASSERT_TRUE(serial.plan) << serial.message;
  EXPECT_EQ(*serial.plan, (ConnectionPlan{false, "127.0.0.9", 2, "", 5, 1}));

  // The command line's address and speed go over the file's.
  ConnectionOptions overridden = FromFolder(dir.Path() + "/");
  overridden.address = 0;
  overridden.baudIndex = 4;
  const PlanResult plan = PlanConnection(overridden);
  ASSERT_TRUE(plan.plan);
  EXPECT_EQ(plan.plan->address, 0);
  EXPECT_EQ(plan.plan->baudIndex, 4);
  EXPECT_EQ(plan.plan->port, 2);
}

TEST(ConnectionPlan, aSettingsFileThatCannotBeUsedIsAFileError) {
  test::TempDir dir;
  const PlanResult missing = PlanConnection(FromFolder(dir.Path()));
  EXPECT_FALSE(missing.plan);
  EXPECT_EQ(missing.exit, kExitFileError);
  EXPECT_NE(missing.message.find("CommsSettings.cfg was not found."), std::string::npos);

  test::WriteFile(dir.File("CommsSettings.cfg"), "[start]\r\nSerialAddress 1\r\n[end]\r\n");
  const PlanResult garbage = PlanConnection(FromFolder(dir.Path()));
  EXPECT_EQ(garbage.exit, kExitFileError);
  EXPECT_NE(garbage.message.find("The file is not in the expected format."), std::string::npos);
}

TEST(ConnectionPlan, theCommandLinesTransportNeedsNoFile) {
  ConnectionOptions tcp;
  tcp.transport = ConnectionOptions::Transport::kTcp;
  tcp.ipAddress = "127.0.0.7";
  tcp.address = 12;
  EXPECT_EQ(*PlanConnection(tcp).plan, (ConnectionPlan{true, "127.0.0.7", 1, "", 12, 3}));
  ConnectionOptions device;
  device.transport = ConnectionOptions::Transport::kSerialDevice;
  device.device = "/dev/pts/3";
  EXPECT_EQ(*PlanConnection(device).plan, (ConnectionPlan{false, "", 1, "/dev/pts/3", 0, 3}));
}

}  // namespace
}  // namespace zemra::cli
