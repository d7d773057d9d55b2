#include <gtest/gtest.h>
#include <termios.h>

#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "link/SerialPort.h"
#include "support/PtyPair.h"
#include "support/ScriptedSerialBackend.h"

namespace zemra {
namespace {

using Bytes = std::vector<std::uint8_t>;
using SteadyClock = std::chrono::steady_clock;

long MillisSince(SteadyClock::time_point start) {
  return static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count());
}

// SerialPort on the termios line, COM3 handed a pty whose master plays the thermometer.
class SerialPortPtyTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(pty.Ok()); }

  std::unique_ptr<SerialPort> MakePort(const std::string& device) {
    auto resolver = std::make_shared<test::FixedPortResolver>();
    resolver->Map(3, device);
    auto made = std::make_unique<SerialPort>(MakeTermiosBackend(), resolver,
                                             TrafficLog(dir.File("ZEMRAnet.log")));
    made->m_portNumber = 3;
    made->m_baudRate = 19200;
    return made;
  }

  std::vector<std::string> LogLines() const {
    std::ifstream file(dir.File("ZEMRAnet.log"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
  }

  test::PtyPair pty;
  test::TempDir dir;
};

TEST_F(SerialPortPtyTest, AnExchangeOverARealLine) {
  auto port = MakePort(pty.SlavePath());
  ASSERT_EQ(port->OpenPort(), 0) << port->SystemErrorText();
  termios tio{};
  ASSERT_EQ(tcgetattr(pty.Master(), &tio), 0);
  EXPECT_EQ(cfgetospeed(&tio), speed_t{B19200});

  const Bytes frame = {0x02, 0x01, 0x52, 0x41, 0x45, 0x4d, 0x53, 0x03, 0x00};
  EXPECT_EQ(port->WriteBytes(frame.data(), 9), 9);
  EXPECT_EQ(pty.Receive(9), frame);

  const Bytes reply = {0x02, 0x01, '9', '5', '0', 0x0d, 0x0a, 0x03};
  pty.Send(reply);
  std::uint8_t buffer[2048];
  auto start = SteadyClock::now();
  EXPECT_EQ(port->ReadBytes(buffer, 2048), 8);
  EXPECT_LT(MillisSince(start), 500);  // at once, not after 2049 ms
  EXPECT_EQ(Bytes(buffer, buffer + 8), reply);

  start = SteadyClock::now();
  EXPECT_EQ(port->ReadBytes(buffer, 300), 0);
  const long took = MillisSince(start);
  EXPECT_GE(took, 300);
  EXPECT_LT(took, 2000);

  const std::vector<std::string> lines = LogLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_NE(lines[0].find("\tWrote 9 bytes: 0x02 0x01 0x52 0x41 0x45 0x4d 0x53 0x03 0x00"),
            std::string::npos);
  EXPECT_NE(lines[1].find("\tRead 8 bytes: 0x02 0x01 0x39 0x35 0x30 0x0d 0x0a 0x03"),
            std::string::npos);
  EXPECT_TRUE(lines[2].ends_with("\tRead 0 bytes:")) << lines[2];
  EXPECT_EQ(port->ClosePort(), 0);
}

TEST_F(SerialPortPtyTest, TheDeviceIsHeldUntilClosedOrDestroyed) {
  const std::size_t before = test::OpenDescriptorCount();
  auto port = MakePort(pty.SlavePath());
  ASSERT_EQ(port->OpenPort(), 0) << port->SystemErrorText();
  auto rival = MakePort(pty.SlavePath());
  EXPECT_EQ(rival->OpenPort(), -1);
  EXPECT_EQ(rival->LastErrorMessage(), 204);
  EXPECT_EQ(rival->SystemErrorText(), "Device or resource busy");

  port.reset();  // destruction closes the port
  EXPECT_EQ(test::OpenDescriptorCount(), before);
  EXPECT_EQ(rival->OpenPort(), 0) << rival->SystemErrorText();
}

// A link that uses the open flag for a connection of its own, as the Ethernet mode does.
class FlagClearingPort : public SerialPort {
 public:
  using SerialPort::SerialPort;
  void DropOpenFlag() { m_open = false; }
};

TEST_F(SerialPortPtyTest, DestructionClosesTheDeviceEvenWhenTheFlagWasCleared) {
  const std::size_t before = test::OpenDescriptorCount();
  {
    auto resolver = std::make_shared<test::FixedPortResolver>(pty.SlavePath());
    FlagClearingPort link(MakeTermiosBackend(), resolver, TrafficLog(dir.File("x.log")));
    ASSERT_EQ(link.OpenPort(), 0) << link.SystemErrorText();
    link.DropOpenFlag();
  }
  EXPECT_EQ(test::OpenDescriptorCount(), before);
}

TEST_F(SerialPortPtyTest, BadDevicesFailClearlyAndLeaveNothingOpen) {
  const std::string plain = dir.File("not-a-tty");
  std::ofstream(plain) << "x";
  struct Case {
    std::string device;
    char parity;
    std::string text;
  };
  const Case cases[] = {
      {dir.File("COM3"), 'N', "No such file or directory"},
      {plain, 'N', "Inappropriate ioctl for device"},
      {pty.SlavePath(), 'Q',
       "The line settings \"COM3: baud=19200 parity=Q data=8 stop=1\" are not valid."},
  };
  const std::size_t before = test::OpenDescriptorCount();
  for (const Case& c : cases) {
    auto port = MakePort(c.device);
    port->m_parity = c.parity;
    EXPECT_EQ(port->OpenPort(), -1) << c.device;
    EXPECT_EQ(port->LastErrorMessage(), 204) << c.device;
    EXPECT_EQ(port->SystemErrorText(), c.text);
    EXPECT_FALSE(port->IsOpen());
    EXPECT_EQ(test::OpenDescriptorCount(), before) << c.device;
  }
  // The pty was left free for the next opener.
  auto port = MakePort(pty.SlavePath());
  EXPECT_EQ(port->OpenPort(), 0) << port->SystemErrorText();
}

}  // namespace
}  // namespace zemra
