#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "FakeSockets.h"
#include "net/CLWSocket.h"
#include "support/FakeClock.h"

namespace zemra {
namespace {

using test::FakeSockets;
using test::PostedEvents;

// Holds a scripted connect on the connect thread until the test releases it or the client
// cancels it, as a connect to an unanswering host would block.
class ConnectGate {
 public:
  // Installs the gate as the connect of `sockets`.
  void Attach(FakeSockets& sockets) {
    sockets.onConnect = [this](SocketHandle, const Ipv4Endpoint&, const ConnectCancel& cancel) {
      return Hold(cancel);
    };
  }
  void WaitEntered() {
    std::unique_lock lock(mutex_);
    ASSERT_TRUE(changed_.wait_for(lock, std::chrono::seconds(5), [&] { return entered_; }));
  }
  void Release(int result) {
    std::lock_guard lock(mutex_);
    released_ = true;
    result_ = result;
  }
  // When set, a cancel is answered with success, as when the connect completes just as it is
  // given up.
  bool succeedOnCancel = false;

 private:
  int Hold(const ConnectCancel& cancel) {
    {
      std::lock_guard lock(mutex_);
      entered_ = true;
      changed_.notify_all();
    }
    for (;;) {
      {
        std::lock_guard lock(mutex_);
        if (released_) return result_;
      }
      if (cancel.WaitFired(2)) return succeedOnCancel ? 0 : wsa::kInterrupted;
    }
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  bool entered_ = false;
  bool released_ = false;
  int result_ = 0;
};

std::ptrdiff_t IndexOf(const std::vector<std::string>& log, const std::string& entry) {
  return std::find(log.begin(), log.end(), entry) - log.begin();
}

// Waits (real time, a generous bound) until `done` holds.
template <typename Done>
bool Eventually(Done done) {
  for (int i = 0; i < 5000 && !done(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return done();
}

struct Client : ::testing::Test {
  FakeSockets sockets;
  test::FakeClock clock;
  PostedEvents events;
  CLWSocket client{events.Poster(), kSocketEventCommand, clock, sockets};
};

TEST_F(Client, ConnectsWithTenSecondTimeoutsAndReportsEventOne) {
  ASSERT_EQ(client.Start(), 0);
  ASSERT_EQ(sockets.timeouts.size(), 1u);
  EXPECT_EQ(sockets.timeouts[0].send, 10000u);
  EXPECT_EQ(sockets.timeouts[0].receive, 10000u);

  EXPECT_EQ(client.Connect(" \t 127.32.0.1 \r\n", 2101), 0);
  ASSERT_TRUE(events.WaitFor(1));
  EXPECT_EQ(events.Commands(), std::vector<int>{125});
  EXPECT_EQ(client.TakeEvent(), kEventConnected);
  EXPECT_EQ(client.TakeEvent(), -1);
  EXPECT_TRUE(client.IsConnected());

  ASSERT_EQ(sockets.connects.size(), 1u);
  EXPECT_EQ(sockets.connects[0].address, 0x7F200001u);
  EXPECT_EQ(sockets.connects[0].port, 2101);
  const auto log = sockets.Log();
  EXPECT_LT(IndexOf(log, "linger off 100"), IndexOf(log, "connect 100"));
  EXPECT_LT(IndexOf(log, "nodelay off 100"), IndexOf(log, "connect 100"));
  EXPECT_EQ(sockets.misuse, 0);
}

TEST_F(Client, ConnectWhileConnectedReportsAlreadyConnectedAndStartsNothing) {
  client.Start();
  client.Connect("127.32.0.2", 2101);
  ASSERT_TRUE(events.WaitFor(1));
  client.Connect("127.32.0.2", 2101);
  ASSERT_TRUE(events.WaitFor(2));
  // Two signals before the window takes one: the later wins.
  EXPECT_EQ(client.TakeEvent(), kEventAlreadyConnected);
  EXPECT_EQ(client.TakeEvent(), -1);
  EXPECT_EQ(sockets.connects.size(), 1u);
  EXPECT_TRUE(client.IsConnected());
}

TEST_F(Client, TheEventIsStoredBeforeItIsPosted) {
  std::atomic<int> seen{-2};
  CLWSocket* self = nullptr;
  CLWSocket own([&](int) { seen = self->TakeEvent(); }, kSocketEventCommand, clock, sockets);
  self = &own;
  own.Start();
  own.Connect("127.32.0.3", 2101);
  ASSERT_TRUE(Eventually([&] { return seen.load() != -2; }));
  EXPECT_EQ(seen.load(), kEventConnected);
}

TEST_F(Client, PostsTheEventBaseCommand) {
  PostedEvents other;
  CLWSocket own(other.Poster(), 140, clock, sockets);
  own.Start();
  own.Connect("127.32.0.4", 2101);
  ASSERT_TRUE(other.WaitFor(1));
  EXPECT_EQ(other.Commands(), std::vector<int>{140});
}

TEST(ClientAddress, TextThatIsNoUsableAddressFailsWithoutAConnect) {
  const char* kTexts[] = {"",
                          "   ",
                          "thermometer",
                          "256.1.1.1",
                          "1.2.3.4.5",
                          "127.0.0.1 2101",
                          "0.0.0.0",
                          "255.255.255.255",
                          "0x7f.0x00.0x00.0x00000001"};  // 25 characters
  for (const char* text : kTexts) {
    SCOPED_TRACE(text);
    FakeSockets sockets;
    test::FakeClock clock;
    PostedEvents events;
    CLWSocket client(events.Poster(), kSocketEventCommand, clock, sockets);
    client.Start();
    client.Connect(text, 2101);
    ASSERT_TRUE(events.WaitFor(1));
    EXPECT_EQ(client.TakeEvent(), kEventConnectFailed);
    EXPECT_TRUE(sockets.connects.empty());
    EXPECT_FALSE(client.IsConnected());
    EXPECT_EQ(client.LastDiagnostic(), "CommsConnectThread Connect Error = Remote address invalid");
  }
}

TEST(ClientAddress, AnyTextInetAddrTakesIsUsed) {
  const struct {
    const char* text;
    std::uint32_t address;
  } kTexts[] = {
      {"127.1", 0x7F000001u},
      {"0x7f.0x00.0x00.0x0000001", 0x7F000001u},  // 24 characters, the longest taken
      {"\t127.32.1.1\n", 0x7F200101u},
  };
  for (const auto& row : kTexts) {
    SCOPED_TRACE(row.text);
    FakeSockets sockets;
    test::FakeClock clock;
    PostedEvents events;
    CLWSocket client(events.Poster(), kSocketEventCommand, clock, sockets);
    client.Start();
    client.Connect(row.text, 2101);
    ASSERT_TRUE(events.WaitFor(1));
    EXPECT_EQ(client.TakeEvent(), kEventConnected);
    ASSERT_EQ(sockets.connects.size(), 1u);
    EXPECT_EQ(sockets.connects[0].address, row.address);
  }
}

TEST_F(Client, AFailedConnectReportsConnectFailedWithTheCauseInTheDiagnostic) {
  sockets.onConnect = [](SocketHandle, const Ipv4Endpoint&, const ConnectCancel&) {
    return wsa::kConnRefused;
  };
  client.Start();
  client.Connect("127.32.0.5", 2101);
  ASSERT_TRUE(events.WaitFor(1));
  EXPECT_EQ(client.TakeEvent(), kEventConnectFailed);
  EXPECT_FALSE(client.IsConnected());
  EXPECT_EQ(client.LastDiagnostic(), "CommsConnectThread Connect Error = Connection Refused");
}

TEST_F(Client, AFailedLingerSettingFailsTheConnectBeforeItStarts) {
  sockets.lingerError = wsa::kInvalid;
  client.Start();
  client.Connect("127.32.0.6", 2101);
  ASSERT_TRUE(events.WaitFor(1));
  EXPECT_EQ(client.TakeEvent(), kEventConnectFailed);
  EXPECT_TRUE(sockets.connects.empty());
}

TEST_F(Client, AFailedStartShowsAsAFailedConnect) {
  sockets.createError = wsa::kTooManyOpen;
  EXPECT_EQ(client.Start(), wsa::kTooManyOpen);
  client.Connect("127.32.0.7", 2101);
  ASSERT_TRUE(events.WaitFor(1));
  EXPECT_EQ(client.TakeEvent(), kEventConnectFailed);
}

TEST_F(Client, CloseAfterAFailedConnectClosesTheSocket) {
  sockets.onConnect = [](SocketHandle, const Ipv4Endpoint&, const ConnectCancel&) {
    return wsa::kConnRefused;
  };
  client.Start();
  client.Connect("127.32.0.8", 2101);
  ASSERT_TRUE(events.WaitFor(1));
  client.Close();
  EXPECT_FALSE(sockets.IsOpen(100));
  client.Start();
  EXPECT_TRUE(sockets.IsOpen(101));
  EXPECT_EQ(sockets.misuse, 0);
}

TEST_F(Client, CloseWhileConnectingEndsTheConnectBeforeTheSocketIsClosed) {
  ConnectGate gate;
  gate.Attach(sockets);
  client.Start();
  client.Connect("127.32.0.9", 2101);
  gate.WaitEntered();
  client.Close();

  const auto log = sockets.Log();
  EXPECT_LT(IndexOf(log, "connect failed 100"), IndexOf(log, "close 100"));
  EXPECT_EQ(sockets.misuse, 0);
  EXPECT_TRUE(events.Commands().empty());
  EXPECT_EQ(client.TakeEvent(), -1);
  EXPECT_FALSE(client.IsConnected());

  // The next open gets a new socket and its own event.
  sockets.onConnect = nullptr;
  client.Start();
  client.Connect("127.32.0.9", 2101);
  ASSERT_TRUE(events.WaitFor(1));
  EXPECT_EQ(client.TakeEvent(), kEventConnected);
  EXPECT_EQ(sockets.Log().back(), "connected 101");
}

TEST_F(Client, AConnectCompletingAsItIsClosedLeavesNoTrace) {
  ConnectGate gate;
  gate.succeedOnCancel = true;
  gate.Attach(sockets);
  client.Start();
  client.Connect("127.32.0.10", 2101);
  gate.WaitEntered();
  client.Close();
  EXPECT_FALSE(client.IsConnected());
  EXPECT_TRUE(events.Commands().empty());
  EXPECT_EQ(client.TakeEvent(), -1);
}

TEST_F(Client, AnEventPostedBeforeReopeningIsNotTakenForTheNewConnection) {
  client.Start();
  client.Connect("127.32.0.11", 2101);
  ASSERT_TRUE(events.WaitFor(1));  // posted, not yet handled by the window

  ConnectGate gate;
  gate.Attach(sockets);
  client.Close();
  client.Start();
  client.Connect("127.32.0.11", 2101);
  gate.WaitEntered();
  // The window now handles the old post: nothing is pending.
  EXPECT_EQ(client.TakeEvent(), -1);

  gate.Release(wsa::kConnRefused);
  ASSERT_TRUE(events.WaitFor(2));
  EXPECT_EQ(client.TakeEvent(), kEventConnectFailed);
}

TEST_F(Client, StartWhileConnectingReplacesTheSocketSafely) {
  ConnectGate gate;
  gate.Attach(sockets);
  client.Start();
  client.Connect("127.32.0.12", 2101);
  gate.WaitEntered();
  client.Start();
  EXPECT_FALSE(sockets.IsOpen(100));
  EXPECT_TRUE(sockets.IsOpen(101));
  EXPECT_EQ(sockets.misuse, 0);
  EXPECT_TRUE(events.Commands().empty());
}

TEST_F(Client, ConnectWhileConnectingLeavesTheAttemptUnderWayAlone) {
  ConnectGate gate;
  gate.Attach(sockets);
  client.Start();
  client.Connect("127.32.0.13", 2101);
  gate.WaitEntered();
  client.Connect("127.32.0.13", 2101);
  gate.Release(0);
  ASSERT_TRUE(events.WaitFor(1));
  client.Close();
  EXPECT_EQ(sockets.connects.size(), 1u);
  EXPECT_EQ(events.Commands().size(), 1u);
}

TEST(ClientLifetime, DestroyingTheClientWhileConnectingEndsTheConnectFirst) {
  FakeSockets sockets;
  test::FakeClock clock;
  PostedEvents events;
  ConnectGate gate;
  gate.Attach(sockets);
  auto client = std::make_unique<CLWSocket>(events.Poster(), kSocketEventCommand, clock, sockets);
  client->Start();
  client->Connect("127.32.0.14", 2101);
  gate.WaitEntered();
  client.reset();
  const auto log = sockets.Log();
  EXPECT_LT(IndexOf(log, "connect failed 100"), IndexOf(log, "close 100"));
  EXPECT_EQ(sockets.misuse, 0);
  EXPECT_TRUE(events.Commands().empty());
}

TEST(ClientOwner, WithoutAWindowTheNoticeGoesToTheSinkAndTheEventIsKept) {
  FakeSockets sockets;
  test::FakeClock clock;
  CLWSocket client({}, kSocketEventCommand, clock, sockets);
  std::mutex mutex;
  std::vector<std::string> notices;
  client.SetNoticeSink([&](const std::string& text) {
    std::lock_guard lock(mutex);
    notices.push_back(text);
  });
  client.Start();
  client.Connect("nowhere", 2101);
  ASSERT_TRUE(Eventually([&] {
    std::lock_guard lock(mutex);
    return !notices.empty();
  }));
  EXPECT_EQ(client.TakeEvent(), kEventConnectFailed);
  std::lock_guard lock(mutex);
  EXPECT_EQ(notices, std::vector<std::string>{"Error Signal Comm Event"});
}

TEST(ClientOwner, APosterThatThrowsNeitherEndsTheProgramNorLosesTheEvent) {
  FakeSockets sockets;
  test::FakeClock clock;
  std::atomic<int> posts{0};
  CLWSocket client(
      [&](int) {
        ++posts;
        throw std::runtime_error("window gone");
      },
      kSocketEventCommand, clock, sockets);
  client.Start();
  client.Connect("127.32.0.15", 2101);  // throws on the connect thread
  ASSERT_TRUE(Eventually([&] { return posts.load() == 1; }));
  EXPECT_EQ(client.TakeEvent(), kEventConnected);
  EXPECT_EQ(client.Connect("127.32.0.15", 2101), 0);  // throws on the caller's thread
  EXPECT_EQ(client.TakeEvent(), kEventAlreadyConnected);
}

TEST_F(Client, SendLoopsUntilEveryByteIsSent) {
  sockets.maxSendPerCall = 3;
  client.Start();
  const std::vector<std::uint8_t> frame = {0x02, 0x01, 'R', 'A', 'E', 'M', 'S', 0x03, 0x00};
  EXPECT_EQ(client.Send(frame.data(), static_cast<int>(frame.size())), 0);
  EXPECT_EQ(sockets.sent, frame);
  const auto log = sockets.Log();
  EXPECT_EQ(std::count(log.begin(), log.end(), "send 100"), 3);
}

TEST_F(Client, SendStopsAtTheFirstFailureAndDropsTheRest) {
  sockets.maxSendPerCall = 3;
  sockets.sendErrorAfterBytes = 5;
  client.Start();
  const std::vector<std::uint8_t> frame = {0x02, 0x01, 'R', 'A', 'E', 'M', 'S', 0x03, 0x00};
  EXPECT_EQ(client.Send(frame.data(), static_cast<int>(frame.size())), wsa::kConnReset);
  EXPECT_EQ(sockets.sent, std::vector<std::uint8_t>(frame.begin(), frame.begin() + 3));
}

TEST_F(Client, SendWithoutASocketReportsNotASocket) {
  const std::uint8_t byte = 0x02;
  EXPECT_EQ(client.Send(&byte, 1), wsa::kNotSocket);
  EXPECT_EQ(client.Send(&byte, 0), 0);
  client.Start();
  EXPECT_EQ(client.Send(nullptr, 4), wsa::kFault);
}

}  // namespace
}  // namespace zemra
