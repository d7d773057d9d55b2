#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/FrameCodec.h"

namespace zemra::sim {
namespace {

std::vector<Frame> Decode(const std::string& bytes, std::size_t chunk = 0) {
  FrameDecoder decoder;
  std::vector<Frame> frames;
  if (chunk == 0) chunk = bytes.size() == 0 ? 1 : bytes.size();
  for (std::size_t i = 0; i < bytes.size(); i += chunk) {
    decoder.Feed(bytes.data() + i, std::min(chunk, bytes.size() - i), frames);
  }
  return frames;
}

struct FrameCase {
  const char* name;
  std::string bytes;
  FrameKind kind;
  std::uint8_t address;
  std::string command;
  std::string value;
};

TEST(FrameDecoderTest, classifiesEveryFrameKindWhateverTheChunking) {
  const std::vector<FrameCase> cases = {
      {"read with its zero byte", std::string("\x02\x01RAEMS\x03\x00", 8), FrameKind::Read, 1,
       "EMS", ""},
      {"read of IFO 1", std::string("\x02\x05RAIFO 1\x03\x00", 10), FrameKind::Read, 5, "IFO 1",
       ""},
      {"set without zero byte", "\x02\x01SAEMS 950\x03", FrameKind::Set, 1, "EMS", "950"},
      {"set of a label with spaces", "\x02\x01SALBL my oven\x03", FrameKind::Set, 1, "LBL",
       "my oven"},
      {"probe at address 0", std::string("\x02\x00\x03\x00", 4), FrameKind::Probe, 0, "", ""},
      {"address byte that is ETX", "\x02\x03RATSN\x03", FrameKind::Read, 3, "TSN", ""},
      {"address byte that is STX", "\x02\x02RATSN\x03", FrameKind::Read, 2, "TSN", ""},
      {"noise before the frame", "xx\r\n\x02\x01RAHTP\x03", FrameKind::Read, 1, "HTP", ""},
      {"neither read nor set", "\x02\x01QQ\x03", FrameKind::Unknown, 1, "", ""},
  };
  for (const auto& c : cases) {
    for (std::size_t chunk : {std::size_t{0}, std::size_t{1}, std::size_t{3}}) {
      const auto frames = Decode(c.bytes, chunk);
      ASSERT_EQ(frames.size(), 1u) << c.name << " chunk " << chunk;
      EXPECT_EQ(frames[0].kind, c.kind) << c.name;
      EXPECT_EQ(frames[0].address, c.address) << c.name;
      EXPECT_EQ(frames[0].command, c.command) << c.name;
      EXPECT_EQ(frames[0].value, c.value) << c.name;
    }
  }
}

TEST(FrameDecoderTest, aFrameCutOffByANewStxGivesWayToTheNewFrame) {
  const auto frames = Decode("\x02\x01RAEM\x02\x01RATSN\x03");
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].command, "TSN");
}

TEST(FrameDecoderTest, megabytesWithoutEtxCostNoMemoryAndTheNextFrameIsServed) {
  FrameDecoder decoder(1024);
  std::vector<Frame> frames;
  const std::string start = "\x02\x01RA";
  decoder.Feed(start.data(), start.size(), frames);
  const std::string junk(64 * 1024, 'A');
  for (int i = 0; i < 64; ++i) decoder.Feed(junk.data(), junk.size(), frames);  // 4 MB
  const std::string next = "\x03\x02\x01RAEMS\x03";
  decoder.Feed(next.data(), next.size(), frames);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].kind, FrameKind::Oversized);
  EXPECT_LE(frames[0].raw.size(), 128u);
  EXPECT_EQ(frames[1].kind, FrameKind::Read);
  EXPECT_EQ(frames[1].command, "EMS");
}

TEST(FrameDecoderTest, anOversizedFrameEndedByStxStillLetsThatFrameThrough) {
  std::string bytes = "\x02\x01RA" + std::string(5000, 'B') + "\x02\x01RALBL\x03";
  const auto frames = Decode(bytes);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].kind, FrameKind::Oversized);
  EXPECT_EQ(frames[1].command, "LBL");
}

TEST(EncodeReplyTest, replyIsStxAddressTextCrLfEtx) {
  EXPECT_EQ(EncodeReply(1, "950"),
            "\x02\x01"
            "950\r\n\x03");
  EXPECT_EQ(EncodeReply(0, ""), std::string("\x02\x00\r\n\x03", 5));
}

TEST(PrintableTest, controlBytesAreShownInHex) {
  EXPECT_EQ(Printable(std::string("\x02\x01RA<\x00", 6)), "<02><01>RA<3c><00>");
}

}  // namespace
}  // namespace zemra::sim
