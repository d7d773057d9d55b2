#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>
#include <vector>

#include "platform/SerialBackend.h"
#include "support/PtyPair.h"

namespace zemra {
namespace {

using test::PtyPair;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

long MillisSince(Clock::time_point start) {
  return static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// The line the link asks for: 1 ms time-outs, 8N1, the three extra flags set.
constexpr PortTimeouts kLinkTimeouts{1, 1, 1, 1, 1};
constexpr LineSettings kLinkLine{19200, 'N', 8, 1, true, true, true};

class TermiosBackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.Ok());
    ASSERT_TRUE(line->Open(pty.SlavePath())) << line->LastErrorText();
    ASSERT_TRUE(line->SetState(kLinkLine)) << line->LastErrorText();
    ASSERT_TRUE(line->SetTimeouts(kLinkTimeouts));
  }

  Bytes Read(std::size_t count) {
    Bytes buffer(count);
    std::size_t got = 0;
    EXPECT_TRUE(line->Read(buffer.data(), count, got)) << line->LastErrorText();
    buffer.resize(got);
    return buffer;
  }

  PtyPair pty;
  std::unique_ptr<SerialBackend> line = MakeTermiosBackend();
};

// Bytes a cooked terminal would change or act on: CR, LF, ETX (^C), XON, XOFF, DEL, 8-bit.
const Bytes kAwkwardBytes = {0x02, 0x01, 0x0D, 0x0A, 0x03, 0x11, 0x13, 0x7F, 0x1A, 0xB0, 0xFF};

TEST_F(TermiosBackendTest, WrittenBytesArriveExactly) {
  Bytes frame = kAwkwardBytes;
  frame.push_back(0x00);  // the link's read frames end in a zero byte, and it must go out
  std::size_t written = 0;
  ASSERT_TRUE(line->Write(frame.data(), frame.size(), written)) << line->LastErrorText();
  EXPECT_EQ(written, frame.size());
  EXPECT_EQ(pty.Receive(frame.size()), frame);
}

TEST_F(TermiosBackendTest, ReceivedBytesComeBackExactlyWithoutNulBytes) {
  Bytes sent = kAwkwardBytes;
  sent.insert(sent.begin() + 3, 0x00);
  sent.push_back(0x00);
  pty.Send(sent);
  EXPECT_EQ(Read(100), kAwkwardBytes);
}

TEST_F(TermiosBackendTest, NulBytesStayWhenTheLineKeepsThem) {
  LineSettings keep = kLinkLine;
  keep.discardNull = false;
  ASSERT_TRUE(line->SetState(keep));
  pty.Send({0x41, 0x00, 0x42});
  EXPECT_EQ(Read(10), (Bytes{0x41, 0x00, 0x42}));
}

TEST_F(TermiosBackendTest, AWaitingReplyComesBackAtOnce) {
  const Bytes reply = {0x02, 0x01, '9', '5', '0', 0x0D, 0x0A, 0x03};
  pty.Send(reply);
  const auto start = Clock::now();
  EXPECT_EQ(Read(2048), reply);
  // The total time-out would be 2049 ms; the interval time-out ends the read 1 ms after the
  // last byte instead.
  EXPECT_LT(MillisSince(start), 500);
}

TEST_F(TermiosBackendTest, AReadEndsAsSoonAsCountBytesHaveCome) {
  pty.Send({1, 2, 3, 4, 5, 6, 7, 8, 9});
  const auto start = Clock::now();
  EXPECT_EQ(Read(4), (Bytes{1, 2, 3, 4}));
  EXPECT_EQ(Read(100), (Bytes{5, 6, 7, 8, 9}));
  EXPECT_LT(MillisSince(start), 500);
}

TEST_F(TermiosBackendTest, AReadOfNothingWaitsCountPlusOneMilliseconds) {
  const auto start = Clock::now();
  EXPECT_TRUE(Read(200).empty());
  const long took = MillisSince(start);
  EXPECT_GE(took, 200);
  EXPECT_LT(took, 1500);
}

TEST_F(TermiosBackendTest, AGapAfterTheFirstBytesEndsTheRead) {
  std::thread farEnd([this] {
    pty.Send({'A', 'B'});
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    pty.Send({'C'});
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  const auto start = Clock::now();
  const Bytes first = Read(1000);
  const long took = MillisSince(start);
  farEnd.join();
  EXPECT_EQ(first, (Bytes{'A', 'B'}));
  EXPECT_LT(took, 140);
  EXPECT_EQ(Read(1000), (Bytes{'C'}));
}

TEST_F(TermiosBackendTest, ASlowLineDeliveringAtItsOwnPaceIsReadWhole) {
  // At 9600 baud a character takes 1.04 ms: bytes paced like that must not be cut at the
  // link's 1 ms gap, or a long reply still arriving is lost halfway. The far end notes when each
  // byte really went, so a loaded machine that delays it cannot make the test fail falsely:
  // every byte up to the first gap of 3.5 ms or more must come in the one read.
  ASSERT_TRUE(line->SetState({9600, 'N', 8, 1, true, true, true})) << line->LastErrorText();
  const Bytes reply = {0x02, 0x01, 'I', 'F', 'O', ' ', 't', 'e', 'x', 't', 0x03};
  std::vector<Clock::time_point> sent;
  std::thread farEnd([this, &reply, &sent] {
    for (const std::uint8_t byte : reply) {
      ASSERT_EQ(::write(pty.Master(), &byte, 1), 1);
      sent.push_back(Clock::now());
      std::this_thread::sleep_for(std::chrono::microseconds(1300));
    }
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(1));
  const Bytes got = Read(200);
  farEnd.join();
  std::size_t beforeFirstLongGap = reply.size();
  for (std::size_t i = 1; i < sent.size(); ++i) {
    if (sent[i] - sent[i - 1] >= std::chrono::microseconds(3500)) {
      beforeFirstLongGap = i;
      break;
    }
  }
  EXPECT_GE(got.size(), beforeFirstLongGap);
  EXPECT_EQ(got, Bytes(reply.begin(), reply.begin() + static_cast<long>(got.size())));
}

TEST_F(TermiosBackendTest, LineStateIsAppliedAndReadBack) {
  // A pty keeps speed and stop bits but always runs 8 bits without parity; the other formats
  // are covered on a termios record in TermiosSettingsTest.
  const LineSettings lines[] = {
      {9600, 'N', 8, 1, true, true, true},
      {115200, 'N', 8, 2, false, true, false},
      {38400, 'N', 8, 1, true, false, true},
      {57600, 'N', 8, 2, false, false, false},
  };
  for (const LineSettings& want : lines) {
    ASSERT_TRUE(line->SetState(want)) << want.baudRate << " " << line->LastErrorText();
    LineSettings got;
    ASSERT_TRUE(line->GetState(got));
    EXPECT_EQ(got, want) << want.baudRate;
  }
  // The far end sees a raw line: no echo, no line editing, no translation, no flow control.
  termios tio{};
  ASSERT_EQ(tcgetattr(pty.Master(), &tio), 0);
  EXPECT_EQ(tio.c_lflag & (ECHO | ICANON | ISIG | IEXTEN), 0u);
  EXPECT_EQ(tio.c_iflag & (ICRNL | INLCR | IGNCR | IXON | IXOFF | ISTRIP), 0u);
  EXPECT_EQ(tio.c_oflag & OPOST, 0u);
  EXPECT_EQ(tio.c_cflag & CRTSCTS, 0u);
}

TEST_F(TermiosBackendTest, AFormatTheDriverIgnoresIsRefused) {
  // The pty drops parity; a line that silently ran another format would garble every frame.
  EXPECT_FALSE(line->SetState({9600, 'E', 7, 1}));
  EXPECT_EQ(line->LastErrorText(), "Invalid argument");
}

TEST_F(TermiosBackendTest, AnUnknownSpeedIsRefusedAndTheLineKeepsItsState) {
  EXPECT_FALSE(line->SetState({12345, 'N', 8, 1}));
  EXPECT_EQ(line->LastErrorText(), "Invalid argument");
  LineSettings got;
  ASSERT_TRUE(line->GetState(got));
  EXPECT_EQ(got, kLinkLine);
}

TEST_F(TermiosBackendTest, TimeoutsAreKeptAsGiven) {
  PortTimeouts got;
  ASSERT_TRUE(line->GetTimeouts(got));
  EXPECT_EQ(got, kLinkTimeouts);
}

TEST_F(TermiosBackendTest, PurgeInputDiscardsWhatHasArrived) {
  pty.Send({1, 2, 3});
  EXPECT_TRUE(line->PurgeInput()) << line->LastErrorText();
  EXPECT_TRUE(line->PurgeOutput()) << line->LastErrorText();
  EXPECT_TRUE(Read(10).empty());
  pty.Send({4});
  EXPECT_EQ(Read(10), (Bytes{4}));
}

TEST_F(TermiosBackendTest, TheDeviceIsNotShared) {
  auto second = MakeTermiosBackend();
  EXPECT_FALSE(second->Open(pty.SlavePath()));
  EXPECT_EQ(second->LastErrorText(), "Device or resource busy");
  EXPECT_FALSE(line->Open(pty.SlavePath()));  // nor opened twice through one backend
  ASSERT_TRUE(line->Close());
  EXPECT_TRUE(second->Open(pty.SlavePath())) << second->LastErrorText();
}

TEST_F(TermiosBackendTest, AHungUpLineFailsQuicklyInsteadOfSpinning) {
  pty.CloseMaster();
  std::uint8_t buffer[64];
  std::size_t got = 99;
  const auto start = Clock::now();
  EXPECT_FALSE(line->Read(buffer, sizeof buffer, got));
  EXPECT_EQ(got, 0u);
  EXPECT_LT(MillisSince(start), 500);
  std::size_t written = 99;
  EXPECT_FALSE(line->Write(buffer, 4, written));
  EXPECT_EQ(written, 0u);
  EXPECT_FALSE(line->LastErrorText().empty());
}

TEST_F(TermiosBackendTest, AWriteTimeOutReturnsWhatTheLineTook) {
  // The far end reads nothing, so the kernel's buffers fill and the write time-out ends it.
  ASSERT_TRUE(line->SetTimeouts({1, 1, 1, 0, 100}));
  const Bytes block(4 << 20, 'x');
  std::size_t written = 0;
  const auto start = Clock::now();
  EXPECT_TRUE(line->Write(block.data(), block.size(), written)) << line->LastErrorText();
  EXPECT_GT(written, 0u);
  EXPECT_LT(written, block.size());
  EXPECT_LT(MillisSince(start), 2000);
}

TEST(TermiosBackend, CallsOnAClosedLineFailWithoutTouchingAnything) {
  auto line = MakeTermiosBackend();
  LineSettings settings;
  PortTimeouts timeouts;
  std::uint8_t byte = 0;
  std::size_t n = 0;
  EXPECT_FALSE(line->Close());
  EXPECT_FALSE(line->GetState(settings));
  EXPECT_FALSE(line->SetState(settings));
  EXPECT_FALSE(line->GetTimeouts(timeouts));
  EXPECT_FALSE(line->SetTimeouts(timeouts));
  EXPECT_FALSE(line->PurgeInput());
  EXPECT_FALSE(line->PurgeOutput());
  EXPECT_FALSE(line->Read(&byte, 1, n));
  EXPECT_FALSE(line->Write(&byte, 1, n));
  EXPECT_EQ(line->LastErrorText(), "Bad file descriptor");
}

TEST(TermiosBackend, OnlyAnExistingTerminalDeviceOpens) {
  test::TempDir dir;
  const std::string plain = dir.File("plain-file");
  std::ofstream(plain) << "not a serial line";
  struct Case {
    std::string path;
    const char* text;
  };
  const Case cases[] = {
      {dir.File("no-such-device"), "No such file or directory"},
      {plain, "Inappropriate ioctl for device"},
      {dir.Path().string(), "Is a directory"},
  };
  const std::size_t before = test::OpenDescriptorCount();
  for (const Case& c : cases) {
    auto line = MakeTermiosBackend();
    EXPECT_FALSE(line->Open(c.path)) << c.path;
    EXPECT_EQ(line->LastErrorText(), c.text) << c.path;
  }
  EXPECT_EQ(test::OpenDescriptorCount(), before);
  EXPECT_FALSE(std::filesystem::exists(dir.File("no-such-device")));  // never created
}

}  // namespace
}  // namespace zemra
