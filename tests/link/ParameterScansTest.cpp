#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "link/Scans.h"

namespace zemra {
namespace {

constexpr std::int32_t kIntMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kIntMin = std::numeric_limits<std::int32_t>::min();

struct IntCase {
  std::string text;
  std::optional<std::int32_t> value;
};

TEST(ParameterScans, IntegerScanFollowsTheFormattedInput) {
  const IntCase cases[] = {
      {"950", 950},
      {"-40", -40},
      {"+7", 7},
      {"  \t\r\n12", 12},
      {"-40abc", -40},
      {"12 34", 12},
      {"007", 7},
      {"", std::nullopt},
      {"abc", std::nullopt},
      {"-", std::nullopt},
      {"- 5", std::nullopt},
      {"+-5", std::nullopt},
      {"2147483647", kIntMax},
      {"2147483648", kIntMax},
      {"-2147483648", kIntMin},
      {"-2147483649", kIntMin},
      {"99999999999999999999999999", kIntMax},
      {"-99999999999999999999999999", kIntMin},
  };
  for (const IntCase& c : cases) EXPECT_EQ(ScanInt(c.text), c.value) << '"' << c.text << '"';
}

struct DoubleCase {
  std::string text;
  std::optional<double> value;
};

TEST(ParameterScans, DecimalScanTakesOnlyFiniteDecimalNumbers) {
  const DoubleCase cases[] = {
      {"950", 950.0},
      {" 25", 25.0},
      {"-1.5e2x", -150.0},
      {"+.5", 0.5},
      {"1.", 1.0},
      {"12,5", 12.0},
      {"5e", 5.0},
      {"", std::nullopt},
      {".", std::nullopt},
      {"x1", std::nullopt},
      {"inf", std::nullopt},
      {"nan", std::nullopt},
      {"-inf", std::nullopt},
      {"1e999", std::nullopt},
  };
  for (const DoubleCase& c : cases) EXPECT_EQ(ScanDouble(c.text), c.value) << '"' << c.text << '"';
}

struct HexCase {
  std::string text;
  std::optional<std::uint32_t> value;
};

TEST(ParameterScans, HexScanReadsUnsignedWords) {
  const HexCase cases[] = {
      {"1a", 0x1Au},
      {"1A", 0x1Au},
      {" 0x30", 0x30u},
      {"0X30", 0x30u},
      {"0xg", 0u},
      {"ffffffff", 0xFFFFFFFFu},
      {"123456789", 0xFFFFFFFFu},
      {"-1", 0xFFFFFFFFu},
      {"30 flags", 0x30u},
      {"", std::nullopt},
      {"g1", std::nullopt},
      {"x1", std::nullopt},
  };
  for (const HexCase& c : cases) EXPECT_EQ(ScanHex(c.text), c.value) << '"' << c.text << '"';
}

TEST(ParameterScans, ScalingTruncatesTowardZeroInDoublePrecision) {
  EXPECT_EQ(ScaleToInt(1.001, 1000.0), 1000);
  EXPECT_EQ(ScaleToInt(0.95, 1000.0), 950);
  EXPECT_EQ(ScaleToInt(1.25, 1000.0), 1250);
  EXPECT_EQ(ScaleToInt(0.1, 1000.0), 100);
  EXPECT_EQ(ScaleToInt(2.5, 10.0), 25);
  EXPECT_EQ(ScaleToInt(0.29, 10.0), 2);
  EXPECT_EQ(ScaleToInt(-0.99, 10.0), -9);
  EXPECT_EQ(ScaleToInt(1e12, 1000.0), kIntMax);
  EXPECT_EQ(ScaleToInt(-1e12, 1000.0), kIntMin);
  EXPECT_EQ(ScaleToInt(std::nan(""), 1000.0), 0);
  EXPECT_EQ(ScaleToInt(std::numeric_limits<double>::infinity(), 10.0), kIntMax);
}

TEST(ParameterScans, LabelsAreCutFromTheFrontWhenReadAndFromTheBackWhenWritten) {
  const std::string twenty = "ABCDEFGHIJKLMNOPQRST";
  EXPECT_EQ(LabelFromReply(twenty), "ABCDEFGHIJKLMNO");
  EXPECT_EQ(LabelForFrame(twenty), "FGHIJKLMNOPQRST");
  EXPECT_EQ(LabelFromReply("Furnace 2 \t\r\n"), "Furnace 2");
  EXPECT_EQ(LabelFromReply(" lead"), " lead");
  EXPECT_EQ(LabelFromReply(""), "");
  EXPECT_EQ(LabelForFrame("Line\x03"
                          "1\r\n"),
            "Line1");
  // Control characters go before the cut, so fifteen printable characters still go out.
  EXPECT_EQ(LabelForFrame(std::string("\x02\x02\x02") + "ABCDEFGHIJKLMNO" + std::string(1, '\0')),
            "ABCDEFGHIJKLMNO");
}

}  // namespace
}  // namespace zemra
