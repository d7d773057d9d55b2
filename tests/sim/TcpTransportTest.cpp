#include <gtest/gtest.h>

#include <dirent.h>

#include <thread>

#include "SimClient.h"
#include "sim/Simulator.h"
#include "sim/TcpTransport.h"

namespace zemra::sim {
namespace {

using simtest::ProbeFrame;
using simtest::ReadFrame;
using simtest::ReplyText;
using simtest::SetFrame;
using simtest::Stream;

int CountEntries(const char* dir) {
  int n = 0;
  if (DIR* d = ::opendir(dir)) {
    while (::readdir(d) != nullptr) ++n;
    ::closedir(d);
  }
  return n;
}

// One simulator on a loopback address of the test's own.
class TcpTransportTest : public ::testing::Test {
 protected:
  void Start(const std::string& address, ThermometerKind kind = ThermometerKind::Ratio) {
    address_ = address;
    SimulatorOptions options;
    options.thermometer.kind = kind;
    options.tcpAddresses = {address};
    sim_ = std::make_unique<Simulator>(options);
    std::string error;
    ASSERT_TRUE(sim_->Start(&error)) << error;
  }
  Stream Connect() {
    Stream s = Stream::Tcp(address_);
    EXPECT_TRUE(s.Ok());
    return s;
  }
  std::string address_;
  std::unique_ptr<Simulator> sim_;
};

TEST_F(TcpTransportTest, servesAnIndependentClient) {
  Start("127.0.5.1");
  Stream s = Connect();
  EXPECT_NE(s.Ask(ProbeFrame()).find('*'), std::string::npos);
  const std::string info = ReplyText(s.Ask(ReadFrame("IFO 1")));
  EXPECT_EQ(info.rfind("[Thermometer Information]\r\n", 0), 0u);
  EXPECT_NE(info.find("[end]"), std::string::npos);
  s.Send(SetFrame("NGR", "1100"));
  s.Send(SetFrame("EMS", "850"));
  EXPECT_EQ(s.ReadFor(150), "") << "set frames are not answered";
  EXPECT_EQ(ReplyText(s.Ask(ReadFrame("NGR"))), "1100");
  EXPECT_EQ(ReplyText(s.Ask(ReadFrame("EMS"))), "850");
  s.Send(ReadFrame("NGR", 9));
  EXPECT_EQ(s.ReadFor(200), "") << "another unit's frame";
  EXPECT_EQ(ReplyText(s.Ask(ReadFrame("NOPE"))).substr(0, 1), "*");
}

TEST_F(TcpTransportTest, recordsEveryFrameWithItsArrivalTime) {
  Start("127.0.5.2");
  Stream s = Connect();
  const auto before = std::chrono::steady_clock::now();
  s.Ask(ReadFrame("TSN"));
  s.Send(SetFrame("UAP", "990"));
  ASSERT_TRUE(
      sim_->Record().WaitFor([](const auto& e) { return e.size() >= 2; }, std::chrono::seconds(2)));
  const auto entries = sim_->Record().Entries();
  EXPECT_EQ(entries[0].kind, "read");
  EXPECT_EQ(entries[0].command, "TSN");
  EXPECT_EQ(entries[0].channel, "tcp 127.0.5.2:2101");
  EXPECT_EQ(entries[1].kind, "set");
  EXPECT_EQ(entries[1].bytes, SetFrame("UAP", "990"));
  EXPECT_GE(entries[0].at, before);
  EXPECT_LE(entries[0].at, entries[1].at);
}

TEST_F(TcpTransportTest, splitRepliesArriveInSeveralSegments) {
  Start("127.0.5.3");
  sim_->Faults().Update([](Faults& f) {
    f.splitSegments = 3;
    f.splitGapMs = 150;
  });
  Stream s = Connect();
  s.Send(ReadFrame("IFO 1"));
  const std::string first = s.ReadSome();
  EXPECT_FALSE(first.empty());
  EXPECT_NE(first.back(), '\x03') << "only the first segment has come";
  const std::string rest = s.ReadReply(1000);
  EXPECT_EQ(ReplyText(first + rest).substr(0, 25), "[Thermometer Information]");
}

TEST_F(TcpTransportTest, delayedSilentAndClosingFaults) {
  Start("127.0.5.4");
  Stream s = Connect();
  sim_->Faults().Update([](Faults& f) { f.delayMs = 300; });
  s.Send(ReadFrame("EMS"));
  EXPECT_EQ(s.ReadFor(150), "");
  EXPECT_EQ(ReplyText(s.ReadReply(1000)), "950");

  sim_->Faults().Update([](Faults& f) {
    f.delayMs = 0;
    f.rules = {FaultRule{ReplyFault::Silent, "HTP"}};
  });
  s.Send(ReadFrame("HTP"));
  EXPECT_EQ(s.ReadFor(150), "");
  EXPECT_EQ(ReplyText(s.Ask(ReadFrame("UAP"))), "1000");

  sim_->Faults().Update([](Faults& f) { f.closeAfterFrames = 2; });
  Stream fresh = Connect();
  EXPECT_EQ(ReplyText(fresh.Ask(ReadFrame("TSN"))), "10001");
  EXPECT_EQ(ReplyText(fresh.Ask(ReadFrame("TSN"))), "10001");
  EXPECT_TRUE(fresh.ClosedWithin(1000));
}

TEST_F(TcpTransportTest, megabyteFramesAndNoiseNeverStopTheNextFrame) {
  Start("127.0.5.5");
  Stream s = Connect();
  std::string junk = "\x02\x01RA";
  junk += std::string(3 * 1024 * 1024, 'Z');
  ASSERT_TRUE(s.Send(junk));
  std::string noise;
  for (int i = 0; i < 70000; ++i) noise.push_back(static_cast<char>((i * 7919) & 0xff));
  ASSERT_TRUE(s.Send(noise));
  ASSERT_TRUE(s.Send("\x03"));
  s.ReadFor(200);  // whatever the noise made of itself
  EXPECT_EQ(ReplyText(s.Ask(ReadFrame("TSN"))), "10001");
}

TEST_F(TcpTransportTest, aCutFrameThenAClosedConnectionLeavesTheServerServing) {
  Start("127.0.5.6");
  {
    Stream s = Connect();
    s.Send("\x02\x01RAIF");
  }
  Stream next = Connect();
  EXPECT_EQ(ReplyText(next.Ask(ReadFrame("TSN"))), "10001");
}

TEST_F(TcpTransportTest, connectionsPastTheLimitAreClosedAndTheFirstOnesKeepWorking) {
  Start("127.0.5.9");
  std::vector<Stream> streams;
  for (std::size_t i = 0; i < TcpTransport::kMaxConnections; ++i) {
    streams.push_back(Connect());
    EXPECT_EQ(ReplyText(streams.back().Ask(ReadFrame("TSN"))), "10001");
  }
  Stream extra = Connect();
  EXPECT_TRUE(extra.ClosedWithin(1000));
  EXPECT_EQ(ReplyText(streams.front().Ask(ReadFrame("TSN"))), "10001");
  streams.pop_back();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  Stream again = Connect();
  EXPECT_EQ(ReplyText(again.Ask(ReadFrame("TSN"))), "10001");
}

TEST_F(TcpTransportTest, refusesAddressesBeyondLoopbackUnlessAllowed) {
  SimulatorOptions options;
  options.tcpAddresses = {"192.0.2.10"};
  Simulator sim(options);
  std::string error;
  EXPECT_FALSE(sim.Start(&error));
  EXPECT_NE(error.find("loopback"), std::string::npos) << error;
}

TEST_F(TcpTransportTest, stopLeavesNoThreadOrDescriptorBehind) {
  const auto round = [this] {
    Start("127.0.5.7");
    Stream s = Connect();
    sim_->Faults().Update([](Faults& f) { f.delayMs = 5000; });
    s.Send(ReadFrame("EMS"));  // a reply still pending when it stops
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    sim_.reset();
  };
  round();  // a sanitizer's helper threads start on first use; they are not ours
  const int fds = CountEntries("/proc/self/fd");
  const int threads = CountEntries("/proc/self/task");
  for (int i = 0; i < 3; ++i) round();
  EXPECT_EQ(CountEntries("/proc/self/fd"), fds);
  EXPECT_EQ(CountEntries("/proc/self/task"), threads);
}

TEST_F(TcpTransportTest, portZeroPicksAFreePort) {
  SimulatorOptions options;
  options.tcpAddresses = {"127.0.5.8"};
  options.tcpPort = 0;
  Simulator sim(options);
  ASSERT_TRUE(sim.Start());
  ASSERT_NE(sim.TcpPort(), 0);
  Stream s = Stream::Tcp("127.0.5.8", sim.TcpPort());
  EXPECT_EQ(ReplyText(s.Ask(ReadFrame("TSN"))), "10001");
}

}  // namespace
}  // namespace zemra::sim
