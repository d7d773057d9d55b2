// Both settings parsers take whatever bytes a file holds. These tests feed them the kinds of
// files a user can end up with (binary, huge, without line ends, full of NULs, CR-only, keys
// without values) and random mutations of good files, and check that every one gives a
// defined result.

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "files/CommsSettingsFile.h"
#include "files/ConfigFile.h"

namespace zemra {
namespace {

using namespace std::string_literals;

bool IsDefined(TextFormat status) {
  switch (status) {
    case TextFormat::kOk:
    case TextFormat::kNoHeader:
    case TextFormat::kNoEnd:
    case TextFormat::kNoStartKey:
    case TextFormat::kBadValue:
      return true;
  }
  return false;
}

void ParseBoth(std::string_view bytes) {
  const ConfigParse config = ParseConfigFile(bytes);
  EXPECT_TRUE(IsDefined(config.status));
  // Everything the parser keeps comes from the first 4096 bytes.
  if (config.values.label) {
    EXPECT_LE(config.values.label->size(), kTextReadLimit);
  }
  const CommsParse comms = ParseCommsSettings(bytes, CommsSettings{});
  EXPECT_TRUE(IsDefined(comms.status));
  EXPECT_LE(comms.settings.IpAddress.size(), kTextReadLimit);
  EXPECT_LE(comms.settings.IpPort.size(), kTextReadLimit);
}

TEST(BadInput, awkwardFilesGiveDefinedResults) {
  const std::string zcfHead = "[Configuration information]";
  const std::string cfgHead = "[Communication Settings]";
  struct Case {
    const char* name;
    std::string bytes;
    TextFormat config;
    TextFormat comms;
  };
  const Case cases[] = {
      {"empty", "", TextFormat::kNoHeader, TextFormat::kNoHeader},
      {"all NUL", std::string(8192, '\0'), TextFormat::kNoHeader, TextFormat::kNoHeader},
      {"no line ends", std::string(100000, 'A'), TextFormat::kNoHeader, TextFormat::kNoHeader},
      {"CR-only zcf", "[start]\r" + zcfHead + "\rLBL a\rIRU 1\r[end]\r\r", TextFormat::kOk,
       TextFormat::kNoHeader},
      {"CR-only cfg", "[start]\r" + cfgHead + "\rSerialAddress 1\r[end]\r\r", TextFormat::kNoHeader,
       TextFormat::kOk},
      {"headers only", zcfHead + cfgHead, TextFormat::kNoEnd, TextFormat::kNoEnd},
      {"keys without values", zcfHead + "\nLBL\nIRU\n[end]\n", TextFormat::kBadValue,
       TextFormat::kNoHeader},
      {"settings keys without values", cfgHead + "\nSerialAddress\nSerialAddress \n[end]\n",
       TextFormat::kNoHeader, TextFormat::kBadValue},
      {"NUL right after the header", zcfHead + "\0LBL a\n[end]\n"s, TextFormat::kNoEnd,
       TextFormat::kNoHeader},
      {"header at the very end", std::string(4096 - zcfHead.size(), '\n') + zcfHead,
       TextFormat::kNoEnd, TextFormat::kNoHeader},
      {"header beyond 4096 bytes", std::string(4096, '\n') + zcfHead + "\nLBL a\n[end]\n",
       TextFormat::kNoHeader, TextFormat::kNoHeader},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseConfigFile(c.bytes).status, c.config) << c.name;
    EXPECT_EQ(ParseCommsSettings(c.bytes, CommsSettings{}).status, c.comms) << c.name;
  }
}

TEST(BadInput, aGigabyteIsReadOnlyAsFarAsTheLimit) {
  // Untouched anonymous pages cost nothing, so the parsers get a real gigabyte of bytes; a
  // parser that looked past the first 4096 would take seconds here, not microseconds.
  constexpr std::size_t kSize = std::size_t{1} << 30;
  void* mem = ::mmap(nullptr, kSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(mem, MAP_FAILED);
  char* bytes = static_cast<char*>(mem);
  std::memset(bytes, 'x', 8192);
  const std::string head = "[Configuration information]\nLBL big\n";
  std::memcpy(bytes, head.data(), head.size());
  const ConfigParse read = ParseConfigFile(std::string_view(bytes, kSize));
  EXPECT_EQ(read.status, TextFormat::kNoEnd);
  ParseBoth(std::string_view(bytes, kSize));
  ::munmap(mem, kSize);
}

TEST(BadInput, randomBytesAndMutatedFilesNeverMisbehave) {
  std::mt19937 random(20240611);
  ConfigValues v;
  v.label = "Kiln";
  v.units = 1;
  v.timeFunction = 2;
  v.peakMode = 0;
  v.userCalibration = 1000;
  const std::vector<std::string> seeds = {
      ComposeConfigFile(v, ConnectedUnit{3, 1}),
      ComposeCommsSettings(CommsSettings{}),
  };
  const std::string alphabet = "\0\r\n [] LBLEMSNGRTFNSerialAddressUseTcpMode-+0123456789x"s;
  for (int round = 0; round < 3000; ++round) {
    std::string bytes;
    if (round % 3 == 0) {
      bytes.resize(random() % 6000);
      for (char& c : bytes) c = static_cast<char>(random());
    } else {
      bytes = seeds[round % 2];
      const int edits = 1 + static_cast<int>(random() % 8);
      for (int e = 0; e < edits && !bytes.empty(); ++e) {
        const std::size_t at = random() % bytes.size();
        const char c = alphabet[random() % alphabet.size()];
        switch (random() % 3) {
          case 0:
            bytes[at] = c;
            break;
          case 1:
            bytes.insert(at, 1, c);
            break;
          default:
            bytes.erase(at, 1 + random() % 16);
            break;
        }
      }
    }
    ParseBoth(bytes);
  }
}

}  // namespace
}  // namespace zemra
