#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "FakeSockets.h"
#include "LoopbackPeer.h"
#include "net/CLWSocket.h"
#include "platform/Socket.h"

namespace zemra {
namespace {

using test::LoopbackPeer;
using test::PostedEvents;

const std::string kReadFrame = std::string(
                                   "\x02\x01"
                                   "RAEMS\x03",
                                   8) +
                               std::string(1, '\0');
const std::string kHead = "\x02\x01";
const std::string kEtx = "\x03";

// A client over real sockets, on the system clock, as the program uses it.
struct Connected {
  PostedEvents events;
  CLWSocket client{events.Poster()};
  std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(kReplyBufferSize);

  bool Open(const std::string& address) {
    client.Start();
    client.Connect(address, 2101);
    const bool posted = events.WaitFor(1);
    const int event = client.TakeEvent();
    if (event != kEventConnected)
      ADD_FAILURE() << "event " << event << ": " << client.LastDiagnostic();
    return posted && event == kEventConnected;
  }
  int Exchange() {
    client.Send(reinterpret_cast<const std::uint8_t*>(kReadFrame.data()),
                static_cast<int>(kReadFrame.size()));
    return client.ReceiveReply(buffer.data(), 9);
  }
  std::string Text() const { return reinterpret_cast<const char*>(buffer.data()); }
};

// A peer that answers one read frame with the given segments, pausing between them, then
// waits for the client to go.
LoopbackPeer::Script Answer(std::vector<std::string> segments, bool closeEarly = false) {
  return [segments, closeEarly](int connection) {
    if (LoopbackPeer::Read(connection, kReadFrame.size()) != kReadFrame) return;
    for (std::size_t i = 0; i < segments.size(); ++i) {
      if (i > 0) LoopbackPeer::Pause(100);
      LoopbackPeer::SendAll(connection, segments[i]);
    }
    if (!closeEarly) LoopbackPeer::WaitClosed(connection);
  };
}

TEST(LoopbackClient, AReplyInOnePiece) {
  LoopbackPeer peer("127.32.1.1", 2101);
  peer.Serve(Answer({kHead + "950\r\n" + kEtx}));
  Connected c;
  ASSERT_TRUE(c.Open("127.32.1.1"));
  EXPECT_TRUE(c.client.IsConnected());
  EXPECT_EQ(c.Exchange(), 8);
  EXPECT_EQ(c.Text(), kHead + "950\r\n" + kEtx);
  c.client.Close();
}

TEST(LoopbackClient, AReplySplitOverTwoSegmentsIsJoined) {
  LoopbackPeer peer("127.32.1.2", 2101);
  peer.Serve(Answer({kHead + "95", "0\r\n" + kEtx}));
  Connected c;
  ASSERT_TRUE(c.Open("127.32.1.2"));
  EXPECT_EQ(c.Exchange(), 8);
  EXPECT_EQ(c.Text(), kHead + "950\r\n" + kEtx);
  c.client.Close();
}

TEST(LoopbackClient, AnAddressByteOfEtxIsNotTheEnd) {
  LoopbackPeer peer("127.32.1.3", 2101);
  peer.Serve(Answer({"\x02\x03", "950" + kEtx}));
  Connected c;
  ASSERT_TRUE(c.Open("127.32.1.3"));
  EXPECT_EQ(c.Exchange(), 6);
  c.client.Close();
}

TEST(LoopbackClient, APeerClosingMidReplyFailsTheReceive) {
  LoopbackPeer peer("127.32.1.4", 2101);
  peer.Serve(Answer({kHead + "95"}, true));
  Connected c;
  ASSERT_TRUE(c.Open("127.32.1.4"));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(c.Exchange(), -1);
  // Reads of a closed connection return at once; nothing waits for the 10 s time-out.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  // A dropped connection is only noticed by the calls that fail on it.
  EXPECT_TRUE(c.client.IsConnected());
  c.client.Close();
}

TEST(LoopbackClient, ConnectWhereNothingListensReportsConnectFailed) {
  Connected c;
  c.client.Start();
  c.client.Connect("127.32.1.5", 2101);
  ASSERT_TRUE(c.events.WaitFor(1));
  EXPECT_EQ(c.client.TakeEvent(), kEventConnectFailed);
  EXPECT_FALSE(c.client.IsConnected());
  EXPECT_EQ(c.client.LastDiagnostic(), "CommsConnectThread Connect Error = Connection Refused");
}

TEST(LoopbackClient, ConnectWhileConnectedKeepsTheConnection) {
  LoopbackPeer peer("127.32.1.6", 2101);
  peer.Serve(Answer({kHead + "1" + kEtx}));
  Connected c;
  ASSERT_TRUE(c.Open("127.32.1.6"));
  c.client.Connect("127.32.1.6", 2101);
  ASSERT_TRUE(c.events.WaitFor(2));
  EXPECT_EQ(c.client.TakeEvent(), kEventAlreadyConnected);
  EXPECT_EQ(c.Exchange(), 4);
  c.client.Close();
}

TEST(LoopbackClient, TheAddressIsTrimmedBeforeUse) {
  LoopbackPeer peer("127.32.1.7", 2101);
  peer.Serve(Answer({kHead + "1" + kEtx}));
  Connected c;
  ASSERT_TRUE(c.Open("  127.32.1.7 \t"));
  EXPECT_EQ(c.Exchange(), 4);
  c.client.Close();
}

TEST(LoopbackClient, ASecondOpenClosesTheOldConnectionAndMakesANewOne) {
  LoopbackPeer peer("127.32.1.8", 2101);
  std::atomic<int> closedSeen{0};
  peer.Serve(
      [&](int connection) {
        if (LoopbackPeer::WaitClosed(connection)) ++closedSeen;
      },
      2);
  Connected c;
  ASSERT_TRUE(c.Open("127.32.1.8"));
  c.client.Close();
  c.client.Start();
  c.client.Connect("127.32.1.8", 2101);
  ASSERT_TRUE(c.events.WaitFor(2));
  EXPECT_EQ(c.client.TakeEvent(), kEventConnected);
  c.client.Close();
  peer.Join();
  EXPECT_EQ(closedSeen.load(), 2);
}

// A listener whose accept queue is full drops further connection requests, so a connect to it
// stays pending, as one to an unanswering host does.
TEST(LoopbackClient, CloseWhileConnectingThenReconnect) {
  LoopbackPeer stuck("127.32.1.9", 2101, 0);
  const SocketResult filler = SystemSockets().CreateTcp();
  ASSERT_TRUE(filler.Ok());
  ConnectCancel never;
  ASSERT_EQ(SystemSockets().Connect(filler.value, {0x7F200109u, 2101}, never), 0);

  Connected c;
  c.client.Start();
  c.client.Connect("127.32.1.9", 2101);
  EXPECT_FALSE(c.events.WaitFor(1, 300)) << "the connect should still be pending";
  const auto start = std::chrono::steady_clock::now();
  c.client.Close();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_TRUE(c.events.Commands().empty());
  EXPECT_EQ(c.client.TakeEvent(), -1);
  SystemSockets().Close(filler.value);

  LoopbackPeer good("127.32.1.10", 2101);
  good.Serve(Answer({kHead + "1" + kEtx}));
  c.client.Start();
  c.client.Connect("127.32.1.10", 2101);
  ASSERT_TRUE(c.events.WaitFor(1));
  EXPECT_EQ(c.client.TakeEvent(), kEventConnected);
  EXPECT_EQ(c.Exchange(), 4);
  c.client.Close();
}

TEST(LoopbackSockets, AReceiveTimeOutIsReportedAsTimedOut) {
  LoopbackPeer peer("127.32.1.11", 2101);
  peer.Serve([](int connection) { LoopbackPeer::WaitClosed(connection); });
  SocketApi& sockets = SystemSockets();
  const SocketResult s = sockets.CreateTcp();
  ASSERT_TRUE(s.Ok());
  ASSERT_EQ(sockets.SetTimeouts(s.value, 100, 100), 0);
  ConnectCancel never;
  ASSERT_EQ(sockets.Connect(s.value, {0x7F20010Bu, 2101}, never), 0);
  std::uint8_t byte = 0;
  EXPECT_EQ(sockets.Receive(s.value, &byte, 1, true).error, wsa::kTimedOut);
  EXPECT_EQ(sockets.Receive(s.value, &byte, 1, false).error, wsa::kTimedOut);
  sockets.Close(s.value);
}

TEST(LoopbackSockets, SendingToAResetConnectionReportsAnErrorWithoutASignal) {
  LoopbackPeer peer("127.32.1.12", 2101);
  peer.Serve([](int connection) {
    // Reset only once the connect is surely complete on the client's side.
    LoopbackPeer::Read(connection, kReadFrame.size());
    const linger reset{1, 0};  // close with a reset
    setsockopt(connection, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
  });
  Connected c;
  ASSERT_TRUE(c.Open("127.32.1.12"));
  int result = 0;
  for (int i = 0; i < 50 && result == 0; ++i) {
    if (i > 0) LoopbackPeer::Pause(10);
    result = c.client.Send(reinterpret_cast<const std::uint8_t*>(kReadFrame.data()),
                           static_cast<int>(kReadFrame.size()));
  }
  EXPECT_EQ(result, wsa::kConnReset);
  c.client.Close();
}

}  // namespace
}  // namespace zemra
