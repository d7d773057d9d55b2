#include <gtest/gtest.h>

#include "sim/Replies.h"

namespace zemra::sim {
namespace {

Frame Read(const std::string& command, std::uint8_t address = 1) {
  return ParseFrame(address, "RA" + command);
}

std::string Joined(const std::vector<Outgoing>& out) {
  std::string all;
  for (const auto& o : out) all += o.bytes;
  return all;
}

class RepliesTest : public ::testing::Test {
 protected:
  Thermometer model{ThermometerConfig{}};
  Faults faults;
};

TEST_F(RepliesTest, answersItsOwnAddressAndAddressZeroOnly) {
  EXPECT_EQ(Joined(Answer(Read("EMS", 1), model, faults, false)),
            "\x02\x01"
            "950\r\n\x03");
  EXPECT_EQ(Joined(Answer(Read("EMS", 0), model, faults, false)),
            "\x02\x01"
            "950\r\n\x03");
  EXPECT_TRUE(Answer(Read("EMS", 2), model, faults, false).empty());
  EXPECT_TRUE(Answer(ParseFrame(2, ""), model, faults, false).empty());
}

TEST_F(RepliesTest, setFramesChangeTheModelAndAreNeverAnswered) {
  EXPECT_TRUE(Answer(ParseFrame(1, "SAEMS 800"), model, faults, false).empty());
  EXPECT_EQ(model.Read("EMS").value(), "800");
  // A set frame for another unit changes nothing here.
  EXPECT_TRUE(Answer(ParseFrame(9, "SAEMS 700"), model, faults, false).empty());
  EXPECT_EQ(model.Read("EMS").value(), "800");
}

TEST_F(RepliesTest, afterComOnlyTheNewAddressIsAnswered) {
  Answer(ParseFrame(1, "SACOM 17"), model, faults, false);
  EXPECT_TRUE(Answer(Read("TSN", 1), model, faults, false).empty());
  EXPECT_EQ(Joined(Answer(Read("COM", 17), model, faults, false)),
            "\x02\x11"
            "17\r\n\x03");
}

TEST_F(RepliesTest, probeReplyContainsAnAsteriskAndUnknownCommandsGetAnErrorReply) {
  EXPECT_NE(Joined(Answer(ParseFrame(1, ""), model, faults, false)).find('*'), std::string::npos);
  EXPECT_EQ(Joined(Answer(Read("QQQ"), model, faults, false)), "\x02\x01*?\r\n\x03");
}

TEST_F(RepliesTest, faultRulesApplyToTheirCommandOnly) {
  const struct {
    FaultRule rule;
    std::string command;
    std::string expected;
  } cases[] = {
      {{ReplyFault::Silent, "", "*?"}, "EMS", ""},
      {{ReplyFault::Silent, "", "*?"}, "PROBE", ""},
      {{ReplyFault::Silent, "HTP", "*?"},
       "EMS",
       "\x02\x01"
       "950\r\n\x03"},
      {{ReplyFault::Silent, "HTP", "*?"}, "HTP", ""},
      {{ReplyFault::ErrorReply, "EMS", "*E"}, "EMS", "\x02\x01*E\r\n\x03"},
      {{ReplyFault::NoEtx, "EMS", "*?"},
       "EMS",
       "\x02\x01"
       "950\r\n"},
      {{ReplyFault::Garbage, "EMS", "*?"}, "EMS", GarbageReply()},
      {{ReplyFault::Silent, "IFO", "*?"}, "IFO 1", ""},
      {{ReplyFault::Silent, "IFO", "*?"}, "IFO 0", ""},
  };
  for (const auto& c : cases) {
    faults.rules = {c.rule};
    const Frame frame = c.command == "PROBE" ? ParseFrame(1, "") : Read(c.command);
    EXPECT_EQ(Joined(Answer(frame, model, faults, false)), c.expected)
        << c.rule.command << " / " << c.command;
  }
}

TEST_F(RepliesTest, garbageIsNoReply) {
  const std::string g = GarbageReply();
  EXPECT_EQ(g.back(), '\x03');
  EXPECT_EQ(g.find('\x02'), std::string::npos);
  EXPECT_EQ(g.find('\0'), std::string::npos);
  EXPECT_EQ(g.find('*'), std::string::npos);
}

TEST_F(RepliesTest, delayAndSplitShapeTheOutgoingPieces) {
  faults.delayMs = 300;
  faults.delayCommand = "EMS";
  faults.splitSegments = 3;
  faults.splitGapMs = 40;
  const auto pieces = Answer(Read("EMS"), model, faults, true);
  ASSERT_EQ(pieces.size(), 3u);
  EXPECT_EQ(pieces[0].delay.count(), 300);
  EXPECT_EQ(pieces[2].delay.count(), 380);
  EXPECT_EQ(Joined(pieces),
            "\x02\x01"
            "950\r\n\x03");
  // Not split where splitting is off (the serial line), not delayed for other commands.
  const auto serial = Answer(Read("TSN"), model, faults, false);
  ASSERT_EQ(serial.size(), 1u);
  EXPECT_EQ(serial[0].delay.count(), 0);
}

}  // namespace
}  // namespace zemra::sim
