#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/SerialDevices.h"
#include "support/PtyPair.h"

namespace zemra {
namespace {

// A device folder and a tty class folder of our own, laid out like a machine with two USB
// converters, a modem-class device, an ARM UART and 8250 ports of which only one has a UART.
class SerialDevicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir.Path() / "dev");
    for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS0", "ttyS1", "ttyS2", "ttyS3",
                             "ttyAMA0", "ttySAC0", "ttyUSB", "tty0", "console", "ttyUSBx1"}) {
      std::ofstream(dir.Path() / "dev" / name);
    }
    Uart("ttyS0", "0");
    Uart("ttyS1", "4");
    Uart("ttyS3", "garbage");
  }

  void Uart(const char* name, const char* type) {
    std::filesystem::create_directories(dir.Path() / "sys" / name);
    std::ofstream(dir.Path() / "sys" / name / "type") << type << "\n";
  }

  std::string Dev(const char* name) const { return (dir.Path() / "dev" / name).string(); }
  std::string DevDir() const { return (dir.Path() / "dev").string(); }
  std::string SysDir() const { return (dir.Path() / "sys").string(); }

  test::TempDir dir;
};

TEST_F(SerialDevicesTest, PortsAreNumberedUsbFirstThenByKernelNumber) {
  EXPECT_EQ(ListSerialDevices(DevDir(), SysDir()),
            (std::vector<std::string>{Dev("ttyUSB2"), Dev("ttyUSB10"), Dev("ttyACM0"), Dev("ttyS1"),
                                      Dev("ttyAMA0")}));
}

TEST_F(SerialDevicesTest, TheResolverGivesComNAndNothingBeyondTheList) {
  auto resolver = MakeSystemPortResolver(DevDir(), SysDir());
  EXPECT_EQ(resolver->DevicePath(1), Dev("ttyUSB2"));
  EXPECT_EQ(resolver->DevicePath(4), Dev("ttyS1"));
  EXPECT_EQ(resolver->DevicePath(5), Dev("ttyAMA0"));
  EXPECT_EQ(resolver->DevicePath(6), "");
  EXPECT_EQ(resolver->DevicePath(0), "");
  // An adapter plugged in later is found at the next look-up.
  std::ofstream(dir.Path() / "dev" / "ttyUSB0");
  EXPECT_EQ(resolver->DevicePath(1), Dev("ttyUSB0"));
}

TEST(SerialDevices, AMissingFolderMeansNoPorts) {
  EXPECT_TRUE(ListSerialDevices("/nonexistent-zemra-dev", "/nonexistent-zemra-sys").empty());
  EXPECT_EQ(MakeSystemPortResolver("/nonexistent-zemra-dev", "")->DevicePath(1), "");
}

}  // namespace
}  // namespace zemra
