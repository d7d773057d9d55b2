#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "Program.h"
#include "SimClient.h"

namespace zemra::simtest {
namespace {

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/zemrasim-program-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    dir_ = dir;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string dir_;
};

// What an engineer checks first on a new thermometer, over one transport.
void CheckServes(Stream& s) {
  EXPECT_NE(s.Ask(ProbeFrame()).find('*'), std::string::npos);
  const std::string info = ReplyText(s.Ask(ReadFrame("IFO 1")));
  EXPECT_EQ(info.rfind("[Thermometer Information]\r\n", 0), 0u) << info;
  for (const char* key : {"IRU", "THV", "TLV", "LPF", "[end]"}) {
    EXPECT_NE(info.find(key), std::string::npos) << key;
  }
  s.Send(SetFrame("NGR", "1200"));
  s.Send(SetFrame("EMS", "900"));
  EXPECT_EQ(ReplyText(s.Ask(ReadFrame("NGR"))), "1200");
  EXPECT_EQ(ReplyText(s.Ask(ReadFrame("EMS"))), "900");
  s.Send(ReadFrame("NGR", 77));
  EXPECT_EQ(s.ReadFor(200), "");
  EXPECT_EQ(ReplyText(s.Ask(ReadFrame("XQZ"))).substr(0, 1), "*");
}

TEST_F(ProgramTest, servesPtyAndTcpAndExitsCleanlyOnSigterm) {
  const std::string link = dir_ + "/x";
  const std::string trace = dir_ + "/trace.txt";
  Program sim({"--tcp", "127.0.0.5", "--pty", link, "--kind", "ratio", "--trace", trace});
  ASSERT_TRUE(sim.Started());
  const std::string device = sim.OutLine();
  ASSERT_EQ(device.rfind("/dev/pts/", 0), 0u) << device << sim.AllErr(100);
  EXPECT_EQ(std::filesystem::read_symlink(link).string(), device);
  {
    Stream tcp = Stream::Tcp("127.0.0.5");
    ASSERT_TRUE(tcp.Ok());
    CheckServes(tcp);
    Stream pty = Stream::Pty(link);
    ASSERT_TRUE(pty.Ok());
    CheckServes(pty);
  }
  sim.Signal(SIGTERM);
  EXPECT_EQ(sim.Wait(), 0);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
  std::ifstream in(trace);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find("tcp 127.0.0.5:2101 from 127.0.0.1:"), std::string::npos);
  EXPECT_NE(text.str().find(" pty read <02><01>RAIFO 1<03>"), std::string::npos) << text.str();
}

TEST_F(ProgramTest, sigintAlsoEndsItWithZero) {
  Program sim({"--tcp", "127.0.6.1"});
  ASSERT_NE(sim.ErrLine().find("127.0.6.1:2101"), std::string::npos);
  sim.Signal(SIGINT);
  EXPECT_EQ(sim.Wait(), 0);
}

TEST_F(ProgramTest, helpDescribesEveryOption) {
  Program sim({"--help"});
  const std::string help = sim.AllOut();
  EXPECT_EQ(sim.Wait(), 0);
  for (const char* option : {"--pty",
                             "--tcp",
                             "--addp",
                             "--allow-any-address",
                             "--kind",
                             "--fahrenheit",
                             "--address",
                             "--range",
                             "--label",
                             "--serial-number",
                             "--laser-fitted",
                             "--silent",
                             "--error-reply",
                             "--garbage",
                             "--no-etx",
                             "--delay",
                             "--split",
                             "--close-after",
                             "--hangup-after",
                             "--addp-short",
                             "--addp-malformed",
                             "--addp-duplicate-ip",
                             "--trace",
                             "--help"}) {
    EXPECT_NE(help.find(option), std::string::npos) << option;
  }
}

TEST_F(ProgramTest, refusesWhatItCannotOrMustNotDo) {
  const struct {
    std::vector<std::string> args;
    int status;
    const char* message;
  } cases[] = {
      {{"--tcp", "10.1.10.200"}, 1, "not a loopback address"},
      {{"--tcp", "localhost"}, 64, "not a dotted IPv4 address"},
      {{"--bogus"}, 64, "unknown option --bogus"},
      {{}, 64, "nothing to serve"},
      {{"--tcp", "127.0.6.2", "--kind", "dual"}, 64, "--kind"},
      {{"--tcp", "127.0.6.2", "--address", "255"}, 64, "--address"},
      {{"--tcp", "127.0.6.2", "--range", "900:100"}, 64, "--range"},
      {{"--tcp"}, 64, "wants a value"},
  };
  for (const auto& c : cases) {
    Program sim(c.args);
    const std::string err = sim.AllErr();
    EXPECT_EQ(sim.Wait(), c.status) << err;
    EXPECT_NE(err.find(c.message), std::string::npos) << err;
  }
}

TEST_F(ProgramTest, optionsShapeTheThermometer) {
  Program sim({"--tcp", "127.0.6.3", "--fahrenheit", "--address", "7", "--range", "100:2000",
               "--label", "Kiln 3", "--serial-number", "55501", "--laser-fitted", "0", "--kind",
               "neither"});
  ASSERT_FALSE(sim.ErrLine().empty());
  Stream s = Stream::Tcp("127.0.6.3");
  const std::string info = ReplyText(s.Ask(ReadFrame("IFO 1", 7)));
  EXPECT_NE(info.find("IRU1\r\nTHV2000\r\nTLV100\r\nLPF0"), std::string::npos) << info;
  EXPECT_EQ(info.substr(info.find("\r\n") + 2 + 3, 4), "ZEML");
  EXPECT_EQ(ReplyText(s.Ask(ReadFrame("LBL", 7))), "Kiln 3");
  EXPECT_EQ(ReplyText(s.Ask(ReadFrame("TSN", 7))), "55501");
  EXPECT_EQ(ReplyText(s.Ask(ReadFrame("COM", 7))), "7");
  s.Send(ReadFrame("TSN", 1));
  EXPECT_EQ(s.ReadFor(150), "");
  sim.Signal(SIGTERM);
  EXPECT_EQ(sim.Wait(), 0);
}

TEST_F(ProgramTest, faultOptionsReachTheReplies) {
  Program sim({"--tcp", "127.0.6.4", "--silent=HTP", "--error-reply", "EMS", "--close-after", "4"});
  ASSERT_FALSE(sim.ErrLine().empty());
  Stream s = Stream::Tcp("127.0.6.4");
  s.Send(ReadFrame("HTP"));
  EXPECT_EQ(s.ReadFor(150), "");
  EXPECT_EQ(ReplyText(s.Ask(ReadFrame("EMS"))), "*?");
  EXPECT_EQ(ReplyText(s.Ask(ReadFrame("TSN"))), "10001");
  EXPECT_EQ(ReplyText(s.Ask(ReadFrame("TSN"))), "10001");
  EXPECT_TRUE(s.ClosedWithin(1000));
}

}  // namespace
}  // namespace zemra::simtest
