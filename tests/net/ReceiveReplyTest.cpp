#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "FakeSockets.h"
#include "net/CLWSocket.h"
#include "support/FakeClock.h"

namespace zemra {
namespace {

using Segments = std::vector<test::FakeSockets::Segment>;

test::FakeSockets::Segment Bytes(const std::string& bytes) {
  return {std::vector<std::uint8_t>(bytes.begin(), bytes.end()), 0};
}
test::FakeSockets::Segment Failure(int error) {
  return {{}, error};
}

constexpr int kCanary = 64;

// A client on a scripted socket, with a reply buffer that has a guard zone behind its 5000 bytes.
struct Receiver {
  test::FakeSockets sockets;
  test::FakeClock clock;
  CLWSocket client{{}, kSocketEventCommand, clock, sockets};
  std::vector<std::uint8_t> memory = std::vector<std::uint8_t>(kReplyBufferSize + kCanary, 0xAA);

  explicit Receiver(const Segments& segments, bool peerClosed = false) {
    sockets.incoming.assign(segments.begin(), segments.end());
    sockets.peerClosed = peerClosed;
    client.Start();
  }
  int Receive(int size) { return client.ReceiveReply(memory.data(), size); }
  // The buffer holds exactly `bytes`, then zeros up to its end, and nothing behind it changed.
  void ExpectBuffer(const std::string& bytes) {
    ASSERT_LE(bytes.size(), static_cast<std::size_t>(kReplyBufferSize));
    EXPECT_EQ(std::string(memory.begin(), memory.begin() + bytes.size()), bytes);
    for (int i = static_cast<int>(bytes.size()); i < kReplyBufferSize; ++i) {
      ASSERT_EQ(memory[i], 0) << "at " << i;
    }
    for (int i = kReplyBufferSize; i < kReplyBufferSize + kCanary; ++i) {
      ASSERT_EQ(memory[i], 0xAA) << "written behind the buffer at " << i;
    }
  }
};

struct Case {
  const char* name;
  Segments segments;
  bool peerClosed;
  int size;
  int result;
  std::string buffer;  // what the buffer holds afterwards, zeros behind it
  std::size_t reads;
  std::size_t pauses;  // 1 ms each, after a read that did not finish the reply
};

// The start and address bytes of a reply frame to unit 1.
const std::string kHead = "\x02\x01";
const std::string kEtx = "\x03";
const std::string kReply = kHead + "950\r\n" + kEtx;
const std::string kNulReply = kHead + "9" + std::string(1, '\0') + "5" + kEtx;

TEST(ReceiveReply, FollowsTheReplyRulesOverScriptedSegments) {
  // clang-format off
  const Case kCases[] = {
      // name, segments, peer closed, size, result, buffer afterwards, reads, pauses
      {"one piece", {Bytes(kReply)}, false, 9, 8, kReply, 1, 0},
      {"split over two segments", {Bytes(kHead + "95"), Bytes("0\r\n" + kEtx)}, false, 9, 8,
       kReply, 2, 1},
      {"address byte 0x03", {Bytes("\x02\x03" "950" + kEtx)}, false, 9, 6,
       "\x02\x03" "950" + kEtx, 1, 0},
      {"address byte 0x03 alone in the first segment", {Bytes("\x02\x03"), Bytes("950" + kEtx)},
       false, 9, 6, "\x02\x03" "950" + kEtx, 2, 1},
      {"probe answer", {Bytes(kHead + "*" + kEtx)}, false, 5000, 4, kHead + "*" + kEtx, 1, 0},
      {"peer closes mid-reply", {Bytes(kHead + "95")}, true, 9, -1, kHead + "95", 4, 4},
      {"silence after data without ETX", {Bytes(kHead + "950")}, false, 9, -1, kHead + "950",
       2, 1},
      {"no data at all", {}, false, 9, -1, "", 0, 0},
      {"peer closed before any data", {}, true, 9, -1, "", 0, 0},
      {"data stops without ETX once size is read", {Bytes(kHead + "950")}, false, 5, 0,
       kHead + "950", 1, 1},
      {"NUL before the ETX, size reached", {Bytes(kNulReply)}, false, 6, 6, kNulReply, 1, 1},
      {"NUL before the ETX, more wanted", {Bytes(kNulReply)}, false, 9, -1, kNulReply, 2, 1},
      {"only zero bytes", {Bytes(std::string(3, '\0'))}, false, 3, 0, std::string(3, '\0'), 1,
       1},
      {"reply longer than size", {Bytes(kHead + "123456789" + kEtx)}, false, 4, 12,
       kHead + "123456789" + kEtx, 1, 0},
      {"error reply dropped before the reply", {Bytes(kHead + "*?" + kEtx + kHead + "950" + kEtx)},
       false, 9, 6, kHead + "950" + kEtx, 1, 0},
      {"error reply dropped, reply completed by the next segment",
       {Bytes(kHead + "*12*" + kEtx + kHead), Bytes("950" + kEtx)}, false, 9, 6,
       kHead + "950" + kEtx, 2, 1},
      {"ETX with more behind it and no asterisk", {Bytes(kHead + "A" + kEtx + "B")}, false, 5, 0,
       kHead + "A" + kEtx + "B", 1, 1},
      {"failed reads count as reads that brought nothing",
       {Bytes(kHead), Failure(10054), Failure(10054), Failure(10054)}, false, 9, -1, kHead, 4, 4},
      {"failed peek", {Failure(10054)}, false, 9, -1, "", 0, 0},
      {"no complete reply after four reads",
       {Bytes("\x02"), Bytes("\x01"), Bytes("9"), Bytes("5"), Bytes("0" + kEtx)}, false, 20, -1,
       kHead + "95", 4, 4},
  };
  // clang-format on
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Receiver r(c.segments, c.peerClosed);
    EXPECT_EQ(r.Receive(c.size), c.result);
    r.ExpectBuffer(c.buffer);
    EXPECT_EQ(r.sockets.receiveCounts.size(), c.reads);
    EXPECT_EQ(r.clock.sleeps, std::vector<std::uint32_t>(c.pauses, 1u));
    EXPECT_EQ(r.sockets.misuse, 0);
  }
}

TEST(ReceiveReply, StaleReplyLeftInTheBufferNeverShowsThrough) {
  Receiver r({Bytes(kHead + "12345678" + kEtx), Bytes(kHead + "7" + kEtx)});
  ASSERT_EQ(r.Receive(20), 11);
  EXPECT_EQ(r.Receive(20), 4);
  r.ExpectBuffer(kHead + "7" + kEtx);
}

TEST(ReceiveReply, AFloodNeverFillsTheBufferToItsLastByte) {
  Receiver r({Bytes(std::string(6000, 'A'))});
  EXPECT_EQ(r.Receive(kReplyBufferSize), 0);
  r.ExpectBuffer(std::string(kReplyBufferSize - 1, 'A'));
  EXPECT_EQ(r.sockets.peekCounts, std::vector<int>{kReplyBufferSize});
  for (int asked : r.sockets.receiveCounts) EXPECT_LE(asked, kReplyBufferSize - 1);
}

TEST(ReceiveReply, AFullBufferEndingInEtxIsRefusedRatherThanLeftUnterminated) {
  Receiver r({Bytes(kHead + std::string(kReplyBufferSize - 3, '9') + kEtx)});
  EXPECT_EQ(r.Receive(kReplyBufferSize), 0);
  EXPECT_EQ(r.memory[kReplyBufferSize - 1], 0);
}

TEST(ReceiveReply, SizeIsKeptWithinTheBuffer) {
  {
    Receiver r({Bytes(kReply)});
    EXPECT_EQ(r.Receive(0), -1);
    EXPECT_EQ(r.Receive(-5), -1);
    EXPECT_TRUE(r.sockets.peekCounts.empty());
  }
  {
    Receiver r({Bytes(kReply)});
    EXPECT_EQ(r.Receive(9000), 8);
    EXPECT_EQ(r.sockets.peekCounts, std::vector<int>{kReplyBufferSize});
  }
  {
    Receiver r({Bytes(kReply)});
    EXPECT_EQ(r.client.ReceiveReply(nullptr, 9), -1);
  }
}

TEST(ReceiveReply, WithoutASocketFailsAtOnce) {
  test::FakeSockets sockets;
  test::FakeClock clock;
  CLWSocket client({}, kSocketEventCommand, clock, sockets);
  std::vector<std::uint8_t> buffer(kReplyBufferSize);
  EXPECT_EQ(client.ReceiveReply(buffer.data(), 9), -1);
}

// Random scripts of any bytes and lengths: whatever arrives, the result is one of the three
// kinds, a counted reply ends with ETX and is followed by a zero byte, and nothing outside the
// buffer is touched.
TEST(ReceiveReply, AnyBytesGiveAWellFormedResult) {
  std::mt19937 random(20240611);
  const std::uint8_t kAlphabet[] = {0x00, 0x02, 0x03, '*', '?', '1', '\r', '\n', 0xFF};
  for (int round = 0; round < 3000; ++round) {
    Segments segments;
    const int count = static_cast<int>(random() % 6);
    for (int i = 0; i < count; ++i) {
      if (random() % 10 == 0) {
        segments.push_back(Failure(random() % 2 ? 10054 : 10060));
        continue;
      }
      const std::size_t length = random() % 8 == 0 ? random() % 7000 : random() % 12;
      std::string bytes;
      for (std::size_t j = 0; j < length; ++j) bytes += static_cast<char>(kAlphabet[random() % 9]);
      segments.push_back(Bytes(bytes));
    }
    const int size = static_cast<int>(random() % 5001);
    SCOPED_TRACE(round);
    Receiver r(segments, random() % 2 == 0);
    const int result = r.Receive(size);
    ASSERT_GE(result, -1);
    ASSERT_LT(result, kReplyBufferSize);
    if (result > 0) {
      ASSERT_EQ(r.memory[result - 1], 0x03);
      ASSERT_EQ(r.memory[result], 0);
    }
    ASSERT_EQ(r.memory[kReplyBufferSize - 1], 0);
    for (int i = kReplyBufferSize; i < kReplyBufferSize + kCanary; ++i)
      ASSERT_EQ(r.memory[i], 0xAA);
    ASSERT_LE(r.sockets.receiveCounts.size(), 4u);
  }
}

}  // namespace
}  // namespace zemra
