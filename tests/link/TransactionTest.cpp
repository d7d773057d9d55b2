#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "LinkRig.h"

namespace zemra {
namespace {

using test::Expect;
using test::FramesOf;
using test::LinkMode;
using test::LinkRig;

const std::string kEtx(1, '\x03');

std::string Framed(const std::string& prefix, const std::string& text) {
  return prefix + text + "\r\n" + kEtx;
}

class TransactionInBothModes : public ::testing::TestWithParam<LinkMode> {};

TEST_P(TransactionInBothModes, EveryFrameIsFollowedByItsFixedWait) {
  LinkRig rig(GetParam());
  rig.Respond([&](const Frame& frame) -> std::optional<std::string> {
    if (frame.size() > 3 && frame[2] == 'S') return std::nullopt;
    return Framed(rig.Prefix(), frame.size() == 4 ? "*" : "950");
  });
  rig.Connect();
  CQRVSerialPort& link = rig.Link();
  std::string reply;
  ASSERT_EQ(link.Transact("EMS", reply, 9), kLinkOk);
  EXPECT_EQ(reply, "950");
  ASSERT_EQ(link.SetInt("EMS", 950), kLinkOk);
  ASSERT_EQ(link.SetText("LBL", "Furnace"), kLinkOk);
  ASSERT_TRUE(link.Probe());
  ASSERT_EQ(link.StoreToMemory(), kLinkOk);
  EXPECT_EQ(rig.Take(), Expect(GetParam(), rig.Prefix())
                            .Read("EMS")
                            .SetInt("EMS", 950)
                            .SetText("LBL", "Furnace")
                            .Probe()
                            .SetText("MEM", "3958")
                            .Wait(1000)
                            .Events());
}

TEST_P(TransactionInBothModes, ErrorRepliesAndMarkersFollowTheReplyRules) {
  LinkRig rig(GetParam());
  std::string next;
  rig.Respond([&](const Frame& frame) -> std::optional<std::string> {
    if (frame.size() > 3 && frame[2] == 'S') return std::nullopt;
    return rig.Prefix() + (frame.size() == 4 ? "*" : next) + kEtx;
  });
  rig.Connect();
  std::string reply;
  next = "*12*ok";
  EXPECT_EQ(rig.Link().Transact("EMS", reply, 9), kLinkOk);
  EXPECT_EQ(reply, "12*ok");
  EXPECT_EQ(rig.Link().ReplyErrorMessage(), 0);
  next = "*?";
  EXPECT_EQ(rig.Link().Transact("EMS", reply, 9), kLinkErrorReply);
  EXPECT_EQ(reply, "*?");
  EXPECT_EQ(rig.Link().ReplyErrorMessage(), kMsgErrorReply);
}

TEST_P(TransactionInBothModes, AnAddressByteEqualToEtxIsNotTakenForTheEnd) {
  LinkRig rig(GetParam(), 3);
  rig.Respond([&](const Frame& frame) -> std::optional<std::string> {
    if (frame.size() > 3 && frame[2] == 'S') return std::nullopt;
    return Framed(rig.Prefix(), frame.size() == 4 ? "*" : "1234");
  });
  rig.Connect();
  std::string reply;
  EXPECT_EQ(rig.Link().Transact("OMX", reply, 30), kLinkOk);
  EXPECT_EQ(reply, "1234");
  EXPECT_EQ(FramesOf(rig.Take()), FramesOf(Expect(GetParam(), rig.Prefix()).Read("OMX").Events()));
}

INSTANTIATE_TEST_SUITE_P(Modes, TransactionInBothModes,
                         ::testing::Values(LinkMode::Serial, LinkMode::Ethernet),
                         [](const auto& info) { return test::ModeName(info.param); });

// --- Serial line: the reply rules end to end, as the unit's bytes arrive ---

struct SerialReplyCase {
  const char* name;
  std::optional<std::string> reply;  // nothing: the unit stays silent
  bool probeAnswered;
  int result;
  std::string text;
};

void PrintTo(const SerialReplyCase& c, std::ostream* os) {
  *os << c.name;
}

class TransactionSerialReplies : public ::testing::TestWithParam<SerialReplyCase> {};

TEST_P(TransactionSerialReplies, GiveTheirResultAndText) {
  const SerialReplyCase& c = GetParam();
  LinkRig rig(LinkMode::Serial);
  bool connected = false;
  rig.Respond([&](const Frame& frame) -> std::optional<std::string> {
    if (frame.size() > 3 && frame[2] == 'S') return std::nullopt;
    if (frame.size() == 4) {
      if (!connected || c.probeAnswered) return Framed(rig.Prefix(), "*");
      return std::nullopt;
    }
    return c.reply;
  });
  rig.Connect();
  connected = true;
  std::string reply = "before";
  EXPECT_EQ(rig.Link().Transact("EMS", reply, 9), c.result);
  EXPECT_EQ(reply, c.text);
  EXPECT_EQ(rig.Link().ReplyErrorMessage(), c.result == kLinkErrorReply ? kMsgErrorReply : 0);
  // A silent unit is probed: the probe frame and its wait follow the read frame's.
  Expect expected(LinkMode::Serial, rig.Prefix());
  expected.Read("EMS");
  if (!c.reply) expected.Probe();
  EXPECT_EQ(rig.Take(), expected.Events());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TransactionSerialReplies,
    ::testing::Values(
        SerialReplyCase{"FramedReply",
                        "\x02\x01"
                        "950\r\n\x03",
                        true, kLinkOk, "950"},
        SerialReplyCase{"UnframedReplyKeepsItsStart", "AB950\x03", true, kLinkOk, "AB950"},
        SerialReplyCase{"ZeroByteEndsTheText",
                        std::string("\x02\x01"
                                    "95\0"
                                    "0\x03",
                                    7),
                        true, kLinkOk, "95"},
        SerialReplyCase{"MarkerIsRemoved", "\x02\x01*12*\x03", true, kLinkOk, "12*"},
        SerialReplyCase{"ErrorReply", "\x02\x01*?\x03", true, kLinkErrorReply, "*?"},
        SerialReplyCase{"OneCharacterBetweenAsterisks", "*1*\x03", true, kLinkErrorReply, "*1*"},
        SerialReplyCase{"LaterAsteriskIsAccepted", "95*0\x03", true, kLinkOk, "95*0"},
        SerialReplyCase{"LongerThanAskedIsCut",
                        "\x02\x01"
                        "ABCDEFGHIJKLMNOP\x03",
                        true, kLinkOk, "ABCDEFG"},
        SerialReplyCase{"SilentButProbeAnswered", std::nullopt, true, kLinkOk, ""},
        SerialReplyCase{"SilentAndProbeSilent", std::nullopt, false, kLinkNoReply, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TransactionSerial, TheRestOfALongReplyIsPurgedBeforeTheNextExchange) {
  LinkRig rig(LinkMode::Serial);
  rig.Respond([&](const Frame& frame) -> std::optional<std::string> {
    if (frame.size() == 4) return Framed(rig.Prefix(), "*");
    if (frame.size() > 3 && frame[2] == 'S') return std::nullopt;
    return frame[4] == 'L' ? Framed(rig.Prefix(), std::string(40, 'x')) : Framed(rig.Prefix(), "7");
  });
  rig.Connect();
  std::string reply;
  ASSERT_EQ(rig.Link().Transact("LBL", reply, 9), kLinkOk);
  EXPECT_EQ(reply, std::string(7, 'x'));
  EXPECT_GT(rig.line->PendingInput(), 0u);
  ASSERT_EQ(rig.Link().Transact("TFN", reply, 9), kLinkOk);
  EXPECT_EQ(reply, "7");
  EXPECT_EQ(rig.line->ReadCounts(), (std::vector<std::size_t>{9, 9}));
}

TEST(TransactionSerial, EveryExchangePurgesBothQueuesFirst) {
  LinkRig rig(LinkMode::Serial);
  rig.Respond(test::TableUnit{{}, rig.Prefix()}.Responder());
  rig.Connect();
  rig.line->calls.clear();
  std::string reply;
  rig.Link().Transact("TFN", reply, 9);
  rig.Link().SetInt("TFN", 1);
  rig.Link().SetText("LBL", "x");
  EXPECT_EQ(rig.line->Ops(), (std::vector<std::string>{"PurgeInput", "PurgeOutput", "Write", "Read",
                                                       "PurgeInput", "PurgeOutput", "Write",
                                                       "PurgeInput", "PurgeOutput", "Write"}));
}

TEST(TransactionSerial, AFailedPurgeClosesThePortAndTheExchangeFails) {
  LinkRig rig(LinkMode::Serial);
  rig.Respond(test::TableUnit{{}, rig.Prefix()}.Responder());
  rig.Connect();
  rig.line->FailOnce("PurgeInput");
  std::string reply = "kept";
  EXPECT_EQ(rig.Link().Transact("EMS", reply, 9), kLinkIoFailed);
  EXPECT_EQ(reply, "kept");
  EXPECT_FALSE(rig.Link().IsOpen());
  EXPECT_EQ(rig.Link().LastErrorMessage(), 66);
  EXPECT_EQ(rig.Take(), std::vector<std::string>{});
}

TEST(TransactionSerial, WriteFailuresEndSetIntAtOnceAndSetTextAfterItsWait) {
  LinkRig rig(LinkMode::Serial);
  rig.Respond(test::TableUnit{{}, rig.Prefix()}.Responder());
  rig.Connect();
  rig.line->FailOn("Write");
  std::string reply;
  EXPECT_EQ(rig.Link().Transact("EMS", reply, 9), kLinkIoFailed);
  EXPECT_EQ(rig.Link().SetInt("EMS", 950), kLinkIoFailed);
  EXPECT_EQ(rig.clock.sleeps, std::vector<std::uint32_t>{});
  EXPECT_EQ(rig.Link().SetText("LBL", "x"), kLinkIoFailed);
  EXPECT_EQ(rig.clock.sleeps, std::vector<std::uint32_t>{50});
  EXPECT_EQ(rig.Link().LastErrorMessage(), 64);
}

TEST(TransactionSerial, ExchangesBeforeAnyOpenFailCleanly) {
  LinkRig rig(LinkMode::Serial);
  std::string reply = "kept";
  EXPECT_EQ(rig.Link().Transact("EMS", reply, 9), kLinkIoFailed);
  EXPECT_EQ(rig.Link().SetInt("EMS", 1), kLinkIoFailed);
  EXPECT_EQ(rig.Link().SetText("LBL", "x"), kLinkIoFailed);
  EXPECT_FALSE(rig.Link().Probe());
  EXPECT_EQ(reply, "kept");
  EXPECT_TRUE(rig.line->Writes().empty());
}

// Replies of any bytes and any length, asked with any length: a defined result, a text no
// longer than asked, and (under the sanitizers) no access outside a buffer.
TEST(TransactionSerial, ArbitraryRepliesGiveDefinedResults) {
  LinkRig rig(LinkMode::Serial);
  std::mt19937 random(2101);
  std::string next;
  bool probeAnswers = true;
  rig.Respond([&](const Frame& frame) -> std::optional<std::string> {
    if (frame.size() == 4) return probeAnswers ? std::optional<std::string>("*") : std::nullopt;
    if (frame.size() > 3 && frame[2] == 'S') return std::nullopt;
    return next.empty() ? std::nullopt : std::optional<std::string>(next);
  });
  rig.Connect();
  const int lengths[] = {0, 1, 2, 9, 2048, 4999, 5000, 6000};
  for (int round = 0; round < 400; ++round) {
    next.resize(std::uniform_int_distribution<int>(0, 6000)(random));
    for (char& c : next) c = static_cast<char>(random() % 4 == 0 ? random() % 5 : random());
    probeAnswers = random() % 2 == 0;
    const int asked =
        round < 8 ? lengths[round] : std::uniform_int_distribution<int>(-5, 7000)(random);
    std::string reply;
    const int result = rig.Link().Transact("IFO 1", reply, asked);
    EXPECT_TRUE(result == kLinkOk || result == kLinkErrorReply || result == kLinkNoReply)
        << "round " << round << " result " << result;
    EXPECT_LE(reply.size(), static_cast<std::size_t>(std::max(asked, 1)));
    EXPECT_LT(reply.size(), static_cast<std::size_t>(kReplyBufferSize));
  }
}

}  // namespace
}  // namespace zemra
