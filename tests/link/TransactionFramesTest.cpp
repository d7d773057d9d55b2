#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/Frames.h"
#include "link/ParameterTypes.h"

namespace zemra {
namespace {

Frame Bytes(std::initializer_list<int> values) {
  Frame frame;
  for (int v : values) frame.push_back(static_cast<std::uint8_t>(v));
  return frame;
}

std::string Text(std::initializer_list<int> values) {
  std::string text;
  for (int v : values) text.push_back(static_cast<char>(v));
  return text;
}

TEST(TransactionFrames, FramesAreExactBytes) {
  const char etx = static_cast<char>(kEtx);
  EXPECT_EQ(BuildReadFrame(AddressPrefix(1), "EMS", etx),
            Bytes({0x02, 0x01, 0x52, 0x41, 0x45, 0x4D, 0x53, 0x03, 0x00}));
  EXPECT_EQ(BuildSetFrame(AddressPrefix(1), FormatSetInt("EMS", 950), etx),
            Bytes({0x02, 0x01, 0x53, 0x41, 0x45, 0x4D, 0x53, 0x20, 0x39, 0x35, 0x30, 0x03}));
  EXPECT_EQ(BuildProbeFrame(AddressPrefix(0), etx), Bytes({0x02, 0x00, 0x03, 0x00}));
  EXPECT_EQ(BuildReadFrame(AddressPrefix(7), "IFO 1", etx),
            Bytes({0x02, 0x07, 'R', 'A', 'I', 'F', 'O', ' ', '1', 0x03, 0x00}));
  EXPECT_EQ(BuildSetFrame(AddressPrefix(2), FormatSetText("MEM", "3958"), etx),
            Bytes({0x02, 0x02, 'S', 'A', 'M', 'E', 'M', ' ', '3', '9', '5', '8', 0x03}));
}

TEST(TransactionFrames, AddressUsesTheLowByteWhateverItsValue) {
  EXPECT_EQ(AddressPrefix(0), Text({0x02, 0x00}));
  EXPECT_EQ(AddressPrefix(3), Text({0x02, 0x03}));
  EXPECT_EQ(AddressPrefix(254), Text({0x02, 0xFE}));
  EXPECT_EQ(AddressPrefix(0x1FF), Text({0x02, 0xFF}));
  EXPECT_EQ(AddressPrefix(-1), Text({0x02, 0xFF}));
}

TEST(TransactionFrames, NegativeAndExtremeIntegersAreFormattedInDecimal) {
  EXPECT_EQ(FormatSetInt("A1L", -40), "SAA1L -40");
  EXPECT_EQ(FormatSetInt("OMX", 2147483647), "SAOMX 2147483647");
  EXPECT_EQ(FormatSetInt("OMN", -2147483647 - 1), "SAOMN -2147483648");
}

TEST(TransactionFrames, ControlCharactersNeverReachAFrame) {
  const std::string hostile = Text({'A', 0x03, 'B', 0x02, 'C', '\r', '\n', 0x00, 0x1F, 'D', 0x7F});
  const Frame frame = BuildSetFrame(AddressPrefix(3), FormatSetText("LBL", hostile), '\x03');
  EXPECT_EQ(frame,
            Bytes({0x02, 0x03, 'S', 'A', 'L', 'B', 'L', ' ', 'A', 'B', 'C', 'D', 0x7F, 0x03}));
  const Frame read = BuildReadFrame(AddressPrefix(1), Text({'E', 0x03, 'M', 'S'}), '\x03');
  EXPECT_EQ(read, Bytes({0x02, 0x01, 'R', 'A', 'E', 'M', 'S', 0x03, 0x00}));
  // Bytes of 0x80 and above are text (Latin-1), not control characters.
  EXPECT_EQ(WithoutControlCharacters("\xB0"
                                     "C"),
            "\xB0"
            "C");
}

TEST(TransactionFrames, BufferTextStopsAtTheFirstZeroOrTheBound) {
  const std::uint8_t withZero[] = {'9', '5', 0, '0', 0x03};
  EXPECT_EQ(BufferText(withZero, sizeof withZero), "95");
  const std::uint8_t full[] = {'a', 'b', 'c'};
  EXPECT_EQ(BufferText(full, sizeof full), "abc");
  EXPECT_EQ(BufferText(full, 0), "");
}

struct ReplyCase {
  const char* name;
  std::string raw;
  std::string text;
  int result;
};

void PrintTo(const ReplyCase& c, std::ostream* os) {
  *os << c.name;
}

class TransactionReplyRules : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(TransactionReplyRules, StripsAndJudges) {
  const ReplyCase& c = GetParam();
  std::string text = StripReplyFrame(c.raw);
  EXPECT_EQ(JudgeReply(text), c.result);
  EXPECT_EQ(text, c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TransactionReplyRules,
    ::testing::Values(
        ReplyCase{"StxAddressAndTrailerGo", Text({0x02, 0x01, '9', '5', '0', '\r', '\n', 0x03}),
                  "950", 0},
        ReplyCase{"WithoutStxTheFirstTwoStay", "AB950\r\n\x03", "AB950", 0},
        ReplyCase{"TrailerRunInAnyOrder", "950\x03\n\r\x03\r", "950", 0},
        ReplyCase{"TrailerInsideIsKept",
                  "9\r5\x03"
                  "0\x03",
                  "9\r5\x03"
                  "0",
                  0},
        ReplyCase{"AddressByteEtxIsStrippedWithStx", Text({0x02, 0x03, 'O', 'K', 0x03}), "OK", 0},
        ReplyCase{"LoneStx", Text({0x02}), "", 0},
        ReplyCase{"TwoBetweenAsterisksIsAMarker", "*12*rest", "12*rest", 0},
        ReplyCase{"ThreeBetweenAsterisksIsAMarker", "*123*", "123*", 0},
        ReplyCase{"FourBetweenAsterisksIsRefused", "*1234*", "*1234*", -2},
        ReplyCase{"OneBetweenAsterisksIsRefused", "*1*", "*1*", -2},
        ReplyCase{"NoneBetweenAsterisksIsRefused", "**", "**", -2},
        ReplyCase{"MarkerAtTheSecondAsteriskOnly", "*12**", "12**", 0},
        ReplyCase{"QuestionMarkIsRefused", Text({0x02, 0x01, '*', '?', 0x03}), "*?", -2},
        ReplyCase{"LoneAsteriskIsRefused", "*", "*", -2},
        ReplyCase{"AsteriskLaterIsAccepted", "95*0", "95*0", 0},
        ReplyCase{"EmptyIsAccepted", "", "", 0}, ReplyCase{"OnlyTrailer", "\r\n\x03", "", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TransactionFrames, ProbeIsAnsweredByAnAsteriskAnywhere) {
  const std::uint8_t answered[] = {0x02, 0x01, 0, '*', 0x03};
  const std::uint8_t silent[] = {0x02, 0x01, 'O', 'K', 0x03};
  EXPECT_TRUE(ProbeAnswered(answered, sizeof answered));
  EXPECT_FALSE(ProbeAnswered(answered, 3));
  EXPECT_FALSE(ProbeAnswered(silent, sizeof silent));
  EXPECT_FALSE(ProbeAnswered(silent, 0));
}

}  // namespace
}  // namespace zemra
