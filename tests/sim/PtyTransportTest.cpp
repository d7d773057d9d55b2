#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "SimClient.h"
#include "sim/Simulator.h"

namespace zemra::sim {
namespace {

using simtest::ProbeFrame;
using simtest::ReadFrame;
using simtest::ReplyText;
using simtest::SetFrame;
using simtest::Stream;

class PtyTransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/zemrasim-pty-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    dir_ = dir;
    link_ = dir_ + "/line";
  }
  void TearDown() override {
    sim_.reset();
    std::filesystem::remove_all(dir_);
  }
  void Start(Faults faults = {}) {
    SimulatorOptions options;
    options.thermometer.kind = ThermometerKind::Ratio;
    options.ptyLink = link_;
    options.faults = faults;
    sim_ = std::make_unique<Simulator>(options);
    std::string error;
    ASSERT_TRUE(sim_->Start(&error)) << error;
  }
  std::string dir_, link_;
  std::unique_ptr<Simulator> sim_;
};

TEST_F(PtyTransportTest, linkNamesTheDeviceAndTheProtocolIsServedOnIt) {
  Start();
  EXPECT_EQ(std::filesystem::read_symlink(link_).string(), sim_->PtyPath());
  Stream line = Stream::Pty(link_);
  ASSERT_TRUE(line.Ok());
  EXPECT_NE(line.Ask(ProbeFrame()).find('*'), std::string::npos);
  EXPECT_NE(ReplyText(line.Ask(ReadFrame("IFO 1"))).find("[end]"), std::string::npos);
  line.Send(SetFrame("NGR", "1050"));
  EXPECT_EQ(line.ReadFor(150), "") << "set frames are not answered";
  EXPECT_EQ(ReplyText(line.Ask(ReadFrame("NGR"))), "1050");
  line.Send(ReadFrame("NGR", 2));
  EXPECT_EQ(line.ReadFor(150), "");
  EXPECT_EQ(ReplyText(line.Ask(ReadFrame("WHAT"))), "*?");
}

// The link reads 100 ms after it has written a read frame; a reply later than that is lost.
TEST_F(PtyTransportTest, repliesComeWithinTheLinksHundredMilliseconds) {
  Start();
  Stream line = Stream::Pty(link_);
  line.Send(ReadFrame("HTP"));
  const auto sent = std::chrono::steady_clock::now();
  const std::string reply = line.ReadReply(1000);
  EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::milliseconds(100));
  EXPECT_EQ(reply.back(), '\x03');
}

TEST_F(PtyTransportTest, aHangUpIsSeenAndANewDeviceAppearsBehindTheLink) {
  Faults faults;
  faults.hangUpAfterFrames = 2;
  faults.hangUpMs = 200;
  Start(faults);
  const std::string first = sim_->PtyPath();
  Stream line = Stream::Pty(link_);
  EXPECT_EQ(ReplyText(line.Ask(ReadFrame("TSN"))), "10001");
  line.Send(ReadFrame("TSN"));
  EXPECT_TRUE(line.ClosedWithin(1000));
  for (int i = 0; i < 100 && sim_->PtyPath().empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_FALSE(sim_->PtyPath().empty());
  EXPECT_EQ(std::filesystem::read_symlink(link_).string(), sim_->PtyPath());
  Stream again = Stream::Pty(link_);
  ASSERT_TRUE(again.Ok());
  EXPECT_EQ(ReplyText(again.Ask(ReadFrame("TSN"))), "10001");
}

TEST_F(PtyTransportTest, hangUpForGoodRemovesTheDevice) {
  Start();
  Stream line = Stream::Pty(link_);
  sim_->HangUpPty(-1);
  EXPECT_TRUE(line.ClosedWithin(1000));
  EXPECT_EQ(sim_->PtyPath(), "");
}

TEST_F(PtyTransportTest, garbageAndMissingEtxFaults) {
  Start();
  Stream line = Stream::Pty(link_);
  sim_->Faults().Update([](Faults& f) {
    f.rules = {FaultRule{ReplyFault::NoEtx, "EMS"}, FaultRule{ReplyFault::Garbage, "TSN"}};
  });
  line.Send(ReadFrame("EMS"));
  EXPECT_EQ(line.ReadFor(150),
            "\x02\x01"
            "950\r\n");
  const std::string garbage = line.Ask(ReadFrame("TSN"));
  EXPECT_EQ(garbage.find('\x02'), std::string::npos);
  EXPECT_EQ(garbage.find("10001"), std::string::npos);
}

TEST_F(PtyTransportTest, anExistingFileIsNotReplacedByTheLink) {
  { std::ofstream(link_) << "keep me"; }
  SimulatorOptions options;
  options.ptyLink = link_;
  Simulator sim(options);
  std::string error;
  EXPECT_FALSE(sim.Start(&error));
  EXPECT_NE(error.find("not a symbolic link"), std::string::npos) << error;
  std::ifstream in(link_);
  std::string text;
  std::getline(in, text);
  EXPECT_EQ(text, "keep me");
}

TEST_F(PtyTransportTest, stoppingRemovesTheLink) {
  Start();
  sim_.reset();
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link_)));
}

}  // namespace
}  // namespace zemra::sim
