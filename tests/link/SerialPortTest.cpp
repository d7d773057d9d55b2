#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "link/SerialPort.h"
#include "support/PtyPair.h"
#include "support/ScriptedSerialBackend.h"

namespace zemra {
namespace {

using test::Bytes;
using test::FixedPortResolver;
using test::ScriptedSerialBackend;
using Ops = std::vector<std::string>;

const Ops kOpenCalls = {"Open",        "GetState",   "SetState",   "GetTimeouts",
                        "SetTimeouts", "PurgeInput", "PurgeOutput"};

// A SerialPort on a scripted line, port 3 resolving to a fixed device, logging into a temp dir.
class SerialPortTest : public ::testing::Test {
 protected:
  SerialPortTest() {
    auto backend = std::make_unique<ScriptedSerialBackend>();
    line = backend.get();
    resolver = std::make_shared<FixedPortResolver>();
    resolver->Map(3, "/dev/ttyUSB0");
    port = std::make_unique<SerialPort>(std::move(backend), resolver, TrafficLog(LogPath()));
    port->m_portNumber = 3;
    port->m_baudRate = 19200;
  }

  std::string LogPath() const { return dir.File("ZEMRAnet.log"); }

  // The log's lines with their time stamps cut off.
  std::vector<std::string> LogEntries() const {
    std::ifstream file(LogPath());
    std::vector<std::string> entries;
    for (std::string entry; std::getline(file, entry);) {
      const auto tab = entry.find('\t');
      entries.push_back(tab == std::string::npos ? "<no time stamp> " + entry
                                                 : entry.substr(tab + 1));
    }
    return entries;
  }

  void OpenOrDie() {
    ASSERT_EQ(port->OpenPort(), 0) << port->LastErrorMessage() << " " << port->SystemErrorText();
    line->calls.clear();
  }

  test::TempDir dir;
  ScriptedSerialBackend* line = nullptr;
  std::shared_ptr<FixedPortResolver> resolver;
  std::unique_ptr<SerialPort> port;
};

TEST_F(SerialPortTest, OpenConfiguresTheLineInOrder) {
  line->state = {9600, 'E', 7, 2};
  ASSERT_EQ(port->OpenPort(), 0);
  EXPECT_TRUE(port->IsOpen());
  EXPECT_EQ(resolver->asked, std::vector<unsigned>{3});
  EXPECT_EQ(line->Ops(), kOpenCalls);
  EXPECT_EQ(line->calls[0].device, "/dev/ttyUSB0");
  // "COM3: baud=19200 parity=N data=8 stop=1" over what the port had, plus the link's flags.
  EXPECT_EQ(line->calls[2].settings, (LineSettings{19200, 'N', 8, 1, true, true, true}));
  EXPECT_EQ(line->calls[4].timeouts, (PortTimeouts{1, 1, 1, 1, 1}));
  EXPECT_EQ(port->LastErrorMessage(), 0);
  EXPECT_TRUE(LogEntries().empty());
}

TEST_F(SerialPortTest, OpenWhileOpenIsRefusedAndLeavesThePortAlone) {
  OpenOrDie();
  EXPECT_EQ(port->OpenPort(), -1);
  EXPECT_TRUE(port->IsOpen());
  EXPECT_EQ(port->LastErrorMessage(), 0);
  EXPECT_TRUE(line->calls.empty());
  EXPECT_EQ(port->WriteBytes(Bytes{1}.data(), 1), 1);
}

struct OpenFailure {
  const char* op;
  int message;  // 68 keeps its own number; every other step is replaced by 201 + n
};

TEST_F(SerialPortTest, AFailedOpenStepStoresItsNumberAndLeavesThePortClosed) {
  const OpenFailure cases[] = {
      {"Open", 204},        {"GetState", 68},    {"SetState", 204},    {"GetTimeouts", 204},
      {"SetTimeouts", 204}, {"PurgeInput", 204}, {"PurgeOutput", 204},
  };
  for (const OpenFailure& c : cases) {
    SCOPED_TRACE(c.op);
    auto backend = std::make_unique<ScriptedSerialBackend>();
    ScriptedSerialBackend& failing = *backend;
    SerialPort fresh(std::move(backend), resolver, TrafficLog(LogPath()));
    fresh.m_portNumber = 3;
    failing.FailOn(c.op, std::string("cannot ") + c.op);

    EXPECT_EQ(fresh.OpenPort(), -1);
    EXPECT_EQ(fresh.LastErrorMessage(), c.message);
    EXPECT_EQ(fresh.SystemErrorText(), std::string("cannot ") + c.op);
    EXPECT_FALSE(fresh.IsOpen());
    EXPECT_FALSE(failing.open);  // a device that was opened has been closed again
    EXPECT_EQ(fresh.WriteBytes(Bytes{1}.data(), 1), -1);
    // Nothing after the failing step was tried.
    const Ops ops = failing.Ops();
    const auto failed = std::find(ops.begin(), ops.end(), c.op);
    ASSERT_NE(failed, ops.end());
    EXPECT_TRUE(std::string(c.op) == "Open" ? failed + 1 == ops.end()
                                            : Ops(failed + 1, ops.end()) == Ops{"Close"});
    failing.Heal(c.op);
    EXPECT_EQ(fresh.OpenPort(), 0);  // and the port can be opened again
  }
  EXPECT_TRUE(LogEntries().empty());
}

TEST_F(SerialPortTest, APortNumberWithNoDeviceFailsWithItsNumber) {
  port->m_portNumber = 7;
  EXPECT_EQ(port->OpenPort(), -1);
  EXPECT_EQ(port->LastErrorMessage(), 208);
  EXPECT_EQ(port->SystemErrorText(), "No serial device is present for COM7.");
  EXPECT_FALSE(port->IsOpen());
  EXPECT_TRUE(line->calls.empty());
}

TEST_F(SerialPortTest, ARefusedDeviceControlTextClosesThePort) {
  port->m_parity = 'X';
  EXPECT_EQ(port->OpenPort(), -1);
  EXPECT_EQ(port->LastErrorMessage(), 204);
  EXPECT_EQ(port->SystemErrorText(),
            "The line settings \"COM3: baud=19200 parity=X data=8 stop=1\" are not valid.");
  EXPECT_FALSE(port->IsOpen());
  EXPECT_EQ(line->Ops(), (Ops{"Open", "GetState", "Close"}));
  EXPECT_FALSE(line->open);
}

struct CallFailure {
  const char* name;
  int (SerialPort::*call)();
  const char* op;
  int message;
};

TEST_F(SerialPortTest, AFailedPortCallStoresItsNumberAndClosesThePort) {
  const CallFailure cases[] = {
      {"PurgeInput", &SerialPort::PurgeInput, "PurgeInput", 66},
      {"PurgeOutput", &SerialPort::PurgeOutput, "PurgeOutput", 67},
      {"GetPortState", &SerialPort::GetPortState, "GetState", 68},
      {"SetPortState", &SerialPort::SetPortState, "SetState", 69},
      {"SetPortTimeouts reading", &SerialPort::SetPortTimeouts, "GetTimeouts", 70},
      {"SetPortTimeouts applying", &SerialPort::SetPortTimeouts, "SetTimeouts", 71},
  };
  for (const CallFailure& c : cases) {
    SCOPED_TRACE(c.name);
    OpenOrDie();
    line->FailOnce(c.op, "Input/output error");
    EXPECT_EQ((port.get()->*c.call)(), -1);
    EXPECT_EQ(port->LastErrorMessage(), c.message);
    EXPECT_EQ(port->SystemErrorText(), "Input/output error");
    EXPECT_FALSE(port->IsOpen());
    EXPECT_EQ(line->Ops().back(), "Close");
    // Closed at once: the next transfer is refused and not logged, and calls need a handle.
    EXPECT_EQ(port->WriteBytes(Bytes{1, 2}.data(), 2), -1);
    EXPECT_EQ((port.get()->*c.call)(), -1);
    EXPECT_EQ(port->LastErrorMessage(), c.message);
  }
  EXPECT_TRUE(LogEntries().empty());
}

TEST_F(SerialPortTest, PortCallsWithoutAnOpenPortFailQuietly) {
  for (auto call :
       {&SerialPort::PurgeInput, &SerialPort::PurgeOutput, &SerialPort::GetPortState,
        &SerialPort::SetPortState, &SerialPort::SetPortTimeouts, &SerialPort::ClosePort}) {
    EXPECT_EQ((port.get()->*call)(), -1);
  }
  std::uint8_t buffer[8];
  EXPECT_EQ(port->ReadBytes(buffer, 8), -1);
  EXPECT_EQ(port->WriteBytes(buffer, 8), -1);
  EXPECT_EQ(port->LastErrorMessage(), 0);
  EXPECT_TRUE(port->SystemErrorText().empty());
  EXPECT_TRUE(line->calls.empty());
  EXPECT_FALSE(std::filesystem::exists(LogPath()));
}

TEST_F(SerialPortTest, AFailedCloseStillClosesAndStores63) {
  OpenOrDie();
  line->FailOnce("Close", "Bad file descriptor");
  EXPECT_EQ(port->ClosePort(), -1);
  EXPECT_EQ(port->LastErrorMessage(), 63);
  EXPECT_EQ(port->SystemErrorText(), "Bad file descriptor");
  EXPECT_FALSE(port->IsOpen());
  EXPECT_EQ(port->ClosePort(), -1);  // a second close changes nothing
  EXPECT_EQ(line->Ops(), Ops{"Close"});
  EXPECT_EQ(port->OpenPort(), 0);
}

TEST_F(SerialPortTest, ReadsServeWhatCameAndLogIt) {
  OpenOrDie();
  line->QueueReply(Bytes{0x02, 0x01, '9', '5', '0', 0x03});
  std::uint8_t buffer[16] = {};
  EXPECT_EQ(port->ReadBytes(buffer, 4), 4);
  EXPECT_EQ(port->ReadBytes(buffer, 16), 2);
  EXPECT_EQ(port->ReadBytes(buffer, 16), 0);  // nothing more came
  EXPECT_EQ(line->ReadCounts(), (std::vector<std::size_t>{4, 16, 16}));
  EXPECT_EQ(LogEntries(), (std::vector<std::string>{"Read 4 bytes: 0x02 0x01 0x39 0x35",
                                                    "Read 2 bytes: 0x30 0x03", "Read 0 bytes:"}));
}

TEST_F(SerialPortTest, AFailedReadCountsAsNothingRead) {
  OpenOrDie();
  line->QueueReply("abc");
  line->FailOnce("Read");
  std::uint8_t buffer[8];
  EXPECT_EQ(port->ReadBytes(buffer, 8), 0);
  EXPECT_TRUE(port->IsOpen());
  EXPECT_EQ(port->LastErrorMessage(), 0);
  EXPECT_EQ(LogEntries(), std::vector<std::string>{"Read 0 bytes:"});
}

TEST_F(SerialPortTest, WritesReportWhatTheLineTookAndLogTheWholeBlock) {
  OpenOrDie();
  const Bytes frame = {0x02, 0x01, 0x52, 0x41, 0x45, 0x4d, 0x53, 0x03, 0x00};
  EXPECT_EQ(port->WriteBytes(frame.data(), 9), 9);
  EXPECT_EQ(line->Writes(), std::vector<Bytes>{frame});

  line->FailOnce("Write", "Input/output error");
  line->writtenOnFailure = 3;
  EXPECT_EQ(port->WriteBytes(frame.data(), 9), -1);
  EXPECT_EQ(port->LastErrorMessage(), 64);
  EXPECT_EQ(port->SystemErrorText(), "Input/output error");
  EXPECT_TRUE(port->IsOpen());  // a failed write does not close the port

  const std::string bytes = " 0x02 0x01 0x52 0x41 0x45 0x4d 0x53 0x03 0x00";
  EXPECT_EQ(LogEntries(),
            (std::vector<std::string>{"Wrote 9 bytes:" + bytes, "Wrote 0 bytes:" + bytes}));
}

TEST_F(SerialPortTest, BadTransferArgumentsAreRefusedWithoutTouchingTheLine) {
  OpenOrDie();
  std::uint8_t buffer[4];
  EXPECT_EQ(port->ReadBytes(buffer, -1), -1);
  EXPECT_EQ(port->WriteBytes(buffer, -5), -1);
  EXPECT_EQ(port->ReadBytes(nullptr, 4), -1);
  EXPECT_EQ(port->WriteBytes(nullptr, 4), -1);
  EXPECT_TRUE(line->calls.empty());
  EXPECT_TRUE(LogEntries().empty());
  EXPECT_TRUE(port->IsOpen());
}

TEST_F(SerialPortTest, TheLogNeverChangesATransfer) {
  OpenOrDie();
  // A log path that cannot be opened: a folder.
  auto backend = std::make_unique<ScriptedSerialBackend>();
  ScriptedSerialBackend& other = *backend;
  SerialPort unlogged(std::move(backend), resolver, TrafficLog(dir.Path().string()));
  unlogged.m_portNumber = 3;
  ASSERT_EQ(unlogged.OpenPort(), 0);
  other.QueueReply("xyz");
  std::uint8_t buffer[8];
  EXPECT_EQ(unlogged.ReadBytes(buffer, 8), 3);
  EXPECT_EQ(unlogged.WriteBytes(buffer, 3), 3);
  EXPECT_EQ(unlogged.LastErrorMessage(), 0);
}

// A link that uses the open flag for a connection of its own, as the Ethernet mode does.
class FlagClearingPort : public SerialPort {
 public:
  using SerialPort::SerialPort;
  void DropOpenFlag() { m_open = false; }
};

TEST_F(SerialPortTest, AHandleLeftBehindTheFlagIsClosedBeforeTheNextOpen) {
  auto backend = std::make_unique<ScriptedSerialBackend>();
  ScriptedSerialBackend& kept = *backend;
  FlagClearingPort link(std::move(backend), resolver, TrafficLog(LogPath()));
  link.m_portNumber = 3;
  ASSERT_EQ(link.OpenPort(), 0);
  link.DropOpenFlag();
  kept.calls.clear();
  EXPECT_EQ(link.OpenPort(), 0);
  Ops expected = {"Close"};
  expected.insert(expected.end(), kOpenCalls.begin(), kOpenCalls.end());
  EXPECT_EQ(kept.Ops(), expected);
}

}  // namespace
}  // namespace zemra
