#include "files/CommsSettingsFile.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace zemra {
namespace {

using namespace std::string_literals;

std::string Cfg(const std::string& body) {
  return "[start]\r\n[Communication Settings]\r\n" + body + "[end]\r\n\r\n";
}

// A start record that differs from every value the tests' files give.
CommsSettings Start() {
  CommsSettings s;
  s.SerialAddress = 77;
  s.SerialBaudRate = 1;
  s.SerialPort = 6;
  s.SerialUnitAddress = 55;
  s.UseTcpMode = false;
  s.IpAddress = "127.0.0.9";
  s.IpPort = "9";
  return s;
}

TEST(ComposeCommsSettings, writesTheElevenLinesWithCrLf) {
  EXPECT_EQ(ComposeCommsSettings(CommsSettings::FileDefaults()),
            "[start]\r\n[Communication Settings]\r\nSerialAddress 0\r\nSerialBaudRate 3\r\n"
            "SerialPort 1\r\nSerialUnitAddress 1\r\nUseTcpMode 1\r\nIpAddress 10.1.10.200\r\n"
            "IpPort 2101\r\n[end]\r\n\r\n");
  CommsSettings s;
  s.SerialAddress = -5;
  s.UseTcpMode = false;
  const std::string text = ComposeCommsSettings(s);
  EXPECT_NE(text.find("\r\nSerialAddress -5\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nUseTcpMode 0\r\n"), std::string::npos);
}

TEST(CommsSettings, constructionAndFileDefaultsDifferOnlyInTheSerialAddress) {
  CommsSettings construction;
  EXPECT_EQ(construction.SerialAddress, 1);
  CommsSettings file = CommsSettings::FileDefaults();
  EXPECT_EQ(file.SerialAddress, 0);
  file.SerialAddress = 1;
  EXPECT_EQ(file, construction);
}

TEST(CommsSettingsFile, loadOfSaveGivesTheSameRecordHoweverOftenRepeated) {
  std::vector<CommsSettings> records;
  records.push_back(CommsSettings{});
  records.push_back(CommsSettings::FileDefaults());
  CommsSettings odd;
  odd.SerialAddress = INT_MIN;
  odd.SerialBaudRate = 99;  // outside the table: kept as it is
  odd.SerialPort = -1;
  odd.SerialUnitAddress = INT_MAX;
  odd.UseTcpMode = false;
  odd.IpAddress = "  10.0.0.1  ";
  odd.IpPort = " 2 1 0 1 ";
  records.push_back(odd);
  CommsSettings empty = odd;
  empty.IpAddress = "";
  empty.IpPort = "";
  records.push_back(empty);
  CommsSettings bytes = odd;
  bytes.IpAddress = "\xB0\xFF[end";  // a Latin-1 byte and a near miss of the end mark
  bytes.IpPort = "SerialAddress 3";
  records.push_back(bytes);

  for (const CommsSettings& record : records) {
    CommsSettings current = record;
    for (int round = 0; round < 5; ++round) {
      const CommsParse read = ParseCommsSettings(ComposeCommsSettings(current), Start());
      ASSERT_EQ(read.status, TextFormat::kOk);
      current = read.settings;
    }
    EXPECT_EQ(current, record) << record.IpAddress << "|" << record.IpPort;
  }
}

TEST(CommsSettingsFile, aNulInATextCannotCutOffTheRestOfTheFile) {
  CommsSettings s;
  s.IpAddress = "10.0.0.1\0junk"s;
  const CommsParse read = ParseCommsSettings(ComposeCommsSettings(s), Start());
  ASSERT_EQ(read.status, TextFormat::kOk);
  EXPECT_EQ(read.settings.IpAddress, "10.0.0.1");
  EXPECT_EQ(read.settings.IpPort, s.IpPort);
}

TEST(CommsSettingsFile, lfOnlyLineEndsReadTheSame) {
  const std::string crlf = ComposeCommsSettings(Start());
  std::string lf;
  for (char c : crlf) {
    if (c != '\r') lf.push_back(c);
  }
  CommsSettings other;
  EXPECT_EQ(ParseCommsSettings(lf, other).settings, Start());
  EXPECT_EQ(ParseCommsSettings(lf, other).status, TextFormat::kOk);
}

struct ReadCase {
  const char* name;
  std::string bytes;
  TextFormat status;
  void (*expect)(CommsSettings&);  // applied to Start() to give the expected record
};

const ReadCase kReadCases[] = {
    {"UseTcpMode 2 is Ethernet", Cfg("SerialAddress 0\r\nUseTcpMode 2\r\n"), TextFormat::kOk,
     [](CommsSettings& s) {
       s.SerialAddress = 0;
       s.UseTcpMode = true;
     }},
    {"UseTcpMode -1 is Ethernet", Cfg("SerialAddress 0\r\nUseTcpMode -1\r\n"), TextFormat::kOk,
     [](CommsSettings& s) {
       s.SerialAddress = 0;
       s.UseTcpMode = true;
     }},
    {"UseTcpMode 0 is serial", Cfg("SerialAddress 0\r\nUseTcpMode 1\r\nUseTcpMode 0\r\n"),
     TextFormat::kOk,
     [](CommsSettings& s) {
       s.SerialAddress = 0;
       s.UseTcpMode = false;
     }},
    {"SerialPort with a space and nothing after it",
     Cfg("SerialAddress 3\r\nSerialPort \r\nSerialUnitAddress 9\r\n"), TextFormat::kBadValue,
     [](CommsSettings& s) { s.SerialAddress = 3; }},
    {"SerialBaudRate word", Cfg("SerialAddress 3\r\nSerialBaudRate fast\r\n"),
     TextFormat::kBadValue, [](CommsSettings& s) { s.SerialAddress = 3; }},
    {"UseTcpMode word", Cfg("SerialAddress 3\r\nUseTcpMode yes\r\n"), TextFormat::kBadValue,
     [](CommsSettings& s) { s.SerialAddress = 3; }},
    {"keys in another case and unknown keys are ignored",
     Cfg("SerialAddress 3\r\nserialport 4\r\nSERIALPORT 4\r\nSerialPortX 4\r\nFoo bar\r\n"),
     TextFormat::kOk, [](CommsSettings& s) { s.SerialAddress = 3; }},
    {"a line without a space is ignored", Cfg("SerialAddress 3\r\nIpPort\r\nSerialPort7\r\n"),
     TextFormat::kOk, [](CommsSettings& s) { s.SerialAddress = 3; }},
    {"SerialBaudRate before SerialAddress is not read",
     Cfg("SerialBaudRate 0\r\nSerialAddress 2\r\nSerialPort 3\r\n"), TextFormat::kOk,
     [](CommsSettings& s) {
       s.SerialAddress = 2;
       s.SerialPort = 3;
     }},
    {"values out of range are kept",
     Cfg("SerialAddress 999\r\nSerialBaudRate 99\r\nSerialPort -4\r\nSerialUnitAddress 0\r\n"),
     TextFormat::kOk,
     [](CommsSettings& s) {
       s.SerialAddress = 999;
       s.SerialBaudRate = 99;
       s.SerialPort = -4;
       s.SerialUnitAddress = 0;
     }},
    {"integers beyond 32 bits saturate",
     Cfg("SerialAddress 99999999999\r\nSerialPort -99999999999\r\n"), TextFormat::kOk,
     [](CommsSettings& s) {
       s.SerialAddress = INT_MAX;
       s.SerialPort = INT_MIN;
     }},
    {"texts taken after the first space, unchanged",
     Cfg("SerialAddress 1\r\nIpAddress  a b \r\nIpPort \r\n"), TextFormat::kOk,
     [](CommsSettings& s) {
       s.SerialAddress = 1;
       s.IpAddress = " a b ";
       s.IpPort = "";
     }},
    {"last occurrence wins", Cfg("SerialAddress 1\r\nSerialAddress 2\r\n"), TextFormat::kOk,
     [](CommsSettings& s) { s.SerialAddress = 2; }},
    {"the line holding [end] is not read",
     "[start]\r\n[Communication Settings]\r\nSerialAddress 1\r\nSerialPort 4[end]\r\n",
     TextFormat::kOk, [](CommsSettings& s) { s.SerialAddress = 1; }},
    {"no header", "[start]\r\nSerialAddress 1\r\n[end]\r\n\r\n", TextFormat::kNoHeader,
     [](CommsSettings&) {}},
    {"no [end]", "[start]\r\n[Communication Settings]\r\nSerialAddress 1\r\n", TextFormat::kNoEnd,
     [](CommsSettings&) {}},
    {"no SerialAddress", Cfg("SerialPort 2\r\n"), TextFormat::kNoStartKey, [](CommsSettings&) {}},
    {"[end] beyond 4096 bytes", Cfg("SerialAddress 1\r\n" + std::string(5000, 'x') + "\r\n"),
     TextFormat::kNoEnd, [](CommsSettings&) {}},
};

TEST(ParseCommsSettings, followsTheReadingRules) {
  for (const ReadCase& c : kReadCases) {
    CommsSettings expected = Start();
    c.expect(expected);
    const CommsParse read = ParseCommsSettings(c.bytes, Start());
    EXPECT_EQ(read.status, c.status) << c.name;
    EXPECT_EQ(read.settings, expected) << c.name;
  }
}

}  // namespace
}  // namespace zemra
