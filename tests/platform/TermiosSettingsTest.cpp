#include <gtest/gtest.h>

#include "platform/TermiosSettings.h"

namespace zemra {
namespace {

TEST(TermiosSettings, EveryLineFormatSurvivesTheTermiosRecord) {
  const LineSettings lines[] = {
      {9600, 'N', 8, 1},   {19200, 'E', 7, 1}, {38400, 'O', 7, 2},   {57600, 'M', 8, 1},
      {115200, 'S', 8, 2}, {1200, 'N', 5, 2},  {4000000, 'E', 6, 1}, {50, 'O', 5, 1},
  };
  for (const LineSettings& want : lines) {
    termios tio{};
    ASSERT_TRUE(ToTermios(want, tio)) << want.baudRate;
    EXPECT_EQ(FromTermios(tio), want) << want.baudRate << want.parity << want.dataBits;
  }
}

TEST(TermiosSettings, TheLineIsRawWhateverItWasBefore) {
  termios tio{};
  tio.c_iflag = ICRNL | IXON | IXOFF | ISTRIP | IGNPAR | PARMRK;
  tio.c_oflag = OPOST | ONLCR;
  tio.c_lflag = ECHO | ICANON | ISIG | IEXTEN;
  tio.c_cflag = CRTSCTS | PARENB | CS7;
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 5;
  ASSERT_TRUE(ToTermios({19200, 'N', 8, 1}, tio));
  EXPECT_EQ(tio.c_iflag & (ICRNL | IXON | IXOFF | ISTRIP | IGNPAR | PARMRK | INPCK), 0u);
  EXPECT_EQ(tio.c_oflag & OPOST, 0u);
  EXPECT_EQ(tio.c_lflag & (ECHO | ICANON | ISIG | IEXTEN), 0u);
  EXPECT_EQ(tio.c_cflag & (CRTSCTS | PARENB), 0u);
  EXPECT_EQ(tio.c_cflag & (CREAD | CLOCAL | CS8), tcflag_t{CREAD | CLOCAL | CS8});
  EXPECT_EQ(tio.c_cc[VMIN], 0);
  EXPECT_EQ(tio.c_cc[VTIME], 0);
}

TEST(TermiosSettings, ParityIsCheckedOnlyWhenTheLineHasParity) {
  termios tio{};
  ASSERT_TRUE(ToTermios({9600, 'E', 7, 1}, tio));
  EXPECT_NE(tio.c_iflag & INPCK, 0u);
  ASSERT_TRUE(ToTermios({9600, 'N', 8, 1}, tio));
  EXPECT_EQ(tio.c_iflag & INPCK, 0u);
}

TEST(TermiosSettings, FormatsTheDriverCannotTakeAreRefused) {
  const LineSettings refused[] = {
      {12345, 'N', 8, 1}, {0, 'N', 8, 1}, {9600, 'X', 8, 1}, {9600, 'N', 4, 1}, {9600, 'N', 9, 1},
  };
  for (const LineSettings& line : refused) {
    termios tio{};
    EXPECT_FALSE(ToTermios(line, tio)) << line.baudRate << line.parity << line.dataBits;
  }
}

}  // namespace
}  // namespace zemra
