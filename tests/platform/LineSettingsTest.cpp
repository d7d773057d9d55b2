#include <gtest/gtest.h>

#include <string>

#include "platform/SerialBackend.h"

namespace zemra {
namespace {

struct Accepted {
  const char* text;
  LineSettings want;
};

TEST(LineSettings, DeviceControlTextsSetTheLine) {
  const Accepted cases[] = {
      {"COM3: baud=19200 parity=N data=8 stop=1", {19200, 'N', 8, 1}},
      {"COM1: baud=9600 parity=E data=7 stop=2", {9600, 'E', 7, 2}},
      {"COM12: baud=115200 parity=O data=8 stop=1", {115200, 'O', 8, 1}},
      {"COM2: baud=57600 parity=M data=5 stop=1", {57600, 'M', 5, 1}},
      {"COM2: baud=38400 parity=s data=6 stop=2", {38400, 'S', 6, 2}},
      // Without a device name, and with keys in any order or case.
      {"baud=4800 parity=N data=8 stop=1", {4800, 'N', 8, 1}},
      {"COM4:  stop=2   DATA=7 Baud=2400 parity=e", {2400, 'E', 7, 2}},
  };
  for (const Accepted& c : cases) {
    LineSettings line;
    EXPECT_TRUE(BuildLineSettings(c.text, line)) << c.text;
    EXPECT_EQ(line, c.want) << c.text;
  }
}

TEST(LineSettings, ATextChangesOnlyWhatItNames) {
  LineSettings line{115200, 'E', 7, 2, true, true, true};
  ASSERT_TRUE(BuildLineSettings("COM1: baud=9600", line));
  EXPECT_EQ(line, (LineSettings{9600, 'E', 7, 2, true, true, true}));
}

TEST(LineSettings, MalformedTextsAreRefusedAndChangeNothing) {
  const char* refused[] = {
      "",
      "COM3:",
      "COM3: baud=19200 parity=X data=8 stop=1",  // unknown parity letter
      "COM3: baud=19200 parity=NN data=8 stop=1",
      "COM3: baud=19200 parity= data=8 stop=1",
      "COM3: baud=0 parity=N data=8 stop=1",
      "COM3: baud=12345 parity=N data=8 stop=1",  // no such line speed
      "COM3: baud=-9600 parity=N data=8 stop=1",
      "COM3: baud=19200x parity=N data=8 stop=1",
      "COM3: baud=99999999999999999999 parity=N",
      "COM3: baud=19200 parity=N data=4 stop=1",
      "COM3: baud=19200 parity=N data=9 stop=1",
      "COM3: baud=19200 parity=N data=8 stop=0",
      "COM3: baud=19200 parity=N data=8 stop=1.5",
      "COM3: baud=19200 parity=N data=8 stop=3",
      "COM3: baud=19200 baud=9600",  // named twice
      "COM3: speed=19200",
      "COM3: 19200,n,8,1",
      "COM3 baud=19200",
      ": baud=19200",
  };
  for (const char* text : refused) {
    LineSettings line{1200, 'O', 6, 2};
    EXPECT_FALSE(BuildLineSettings(text, line)) << '"' << text << '"';
    EXPECT_EQ(line, (LineSettings{1200, 'O', 6, 2})) << text;
  }
}

}  // namespace
}  // namespace zemra
