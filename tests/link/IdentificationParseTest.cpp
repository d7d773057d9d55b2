#include <gtest/gtest.h>

#include <string>

#include "link/Information.h"

namespace zemra {
namespace {

const std::string kHeader = "[Thermometer Information]\r\n";

std::string Reply(const std::string& information) {
  return kHeader + information + "[end]";
}

TEST(IdentificationParse, InformationTextLiesBetweenHeaderAndEnd) {
  EXPECT_EQ(ExtractInformationText("\x02\x01" + Reply("5: SN7R3\r\nIRU0\r\n") + "\r\n"),
            "\r\n5: SN7R3\r\nIRU0\r\n");
  EXPECT_EQ(ExtractInformationText("[Thermometer Information][end]"), "");
  // "[end]" before the header's end gives an empty text, not a negative length.
  EXPECT_EQ(ExtractInformationText("[end][Thermometer Information]\r\n5: SN7R3"), "");
  EXPECT_EQ(ExtractInformationText("[Thermometer Infor[end]mation]"), std::nullopt);
  EXPECT_EQ(ExtractInformationText(kHeader + "5: SN7R3"), std::nullopt);
  EXPECT_EQ(ExtractInformationText("5: SN7R3[end]"), std::nullopt);
  EXPECT_EQ(ExtractInformationText(""), std::nullopt);
}

TEST(IdentificationParse, IdentityLineIsTheFirstLineAfterTheHeader) {
  EXPECT_EQ(ExtractIdentityLine(Reply("5: SN7R3 Pyrometer\r\nIRU0\r\n")), "5: SN7R3 Pyrometer");
  EXPECT_EQ(ExtractIdentityLine(kHeader + "\r\nsecond"), "");
  EXPECT_EQ(ExtractIdentityLine(kHeader + "no line end"), "no line end");
  EXPECT_EQ(ExtractIdentityLine("[Thermometer Information]no crlf\r\n"), "");
  EXPECT_EQ(ExtractIdentityLine("nothing"), "");
}

struct ParseCase {
  const char* name;
  std::string text;
  Thermometer expected;
};

void PrintTo(const ParseCase& c, std::ostream* os) {
  *os << c.name;
}

Thermometer Record(int number, int typeClass, char second, int low, int high, int fahrenheit,
                   int laser) {
  Thermometer t;
  t.typeNumber = number;
  t.typeClass = typeClass;
  t.secondTypeChar = second;
  t.rangeLow = low;
  t.rangeHigh = high;
  t.fahrenheit = fahrenheit;
  t.reserved = -1;
  t.laserFitted = laser;
  return t;
}

class IdentificationParseCases : public ::testing::TestWithParam<ParseCase> {};

TEST_P(IdentificationParseCases, Parses) {
  EXPECT_EQ(ParseInformation(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IdentificationParseCases,
    ::testing::Values(
        ParseCase{"SerialNumberWord", "\r\n5: SN7R3\r\nIRU 0\r\nTHV 1000\r\nTLV 200\r\nLPF 1\r\n",
                  Record(5, kTypeSingleWavelength, 'R', 200, 1000, 0, 1)},
        ParseCase{"PlainWordFourthCharacter", "\r\n12: AB1R4\r\nIRU1 THV2500 TLV600 LPF0",
                  Record(12, kTypeRatio, '4', 600, 2500, 1, 0)},
        ParseCase{"TypeLIsNeither", "3: XYZL9 IRU0THV100TLV-40LPF0",
                  Record(3, kTypeNeither, '9', -40, 100, 0, 0)},
        ParseCase{"OtherTypeCharacterIsUnknown", "3: XYZQ9 IRU0THV100TLV0LPF0",
                  Record(3, kTypeUnknown, '9', 0, 100, 0, 0)},
        ParseCase{"FahrenheitAnyNonZero", "1: SN5A IRU-2 THV9 TLV1 LPF 7",
                  Record(1, kTypeSingleWavelength, 'A', 1, 9, 1, 1)},
        ParseCase{"WordEndsAtTypeCharacter", "1: SN7 IRU0THV1TLV0LPF0",
                  Record(1, kTypeSingleWavelength, '\0', 0, 1, 0, 0)},
        ParseCase{"WordTooShortForSn", "1: SN IRU0THV1TLV0LPF0",
                  Record(1, kTypeUnknown, '\0', 0, 1, 0, 0)},
        ParseCase{"WordTooShortPlain", "1: ABC\r\nIRU0THV1TLV0LPF0",
                  Record(1, kTypeUnknown, '\0', 0, 1, 0, 0)},
        ParseCase{"NoColonNoWord", "7 SN7R3 IRU0THV1TLV0LPF0",
                  Record(7, kTypeUnknown, '\0', 0, 1, 0, 0)},
        ParseCase{"NoNumber", "SN7R3 IRU1 THV50 TLV5 LPF1",
                  Record(0, kTypeUnknown, '\0', 5, 50, 1, 1)},
        ParseCase{"KeysMissing", "5: SN7R3\r\n", Record(5, kTypeSingleWavelength, 'R', 0, 0, 0, 0)},
        ParseCase{"KeysWithoutDigits", "5: SN7R3 IRU THVx TLV LPF",
                  Record(5, kTypeSingleWavelength, 'R', 0, 0, 0, 0)},
        ParseCase{"KeysOutOfOrderAreReadInTheirOrder", "5: SN7R3 TLV200 LPF1 IRU1 THV1000",
                  Record(5, kTypeSingleWavelength, 'R', 0, 1000, 1, 0)},
        ParseCase{"HugeNumbersSaturate", "5: SN7R3 IRU0 THV99999999999 TLV-99999999999 LPF0",
                  Record(5, kTypeSingleWavelength, 'R', -2147483647 - 1, 2147483647, 0, 0)},
        ParseCase{"Empty", "", Record(0, kTypeUnknown, '\0', 0, 0, 0, 0)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IdentificationParse, ModelWordIsAtMost255Characters) {
  const std::string word = "AB1" + std::string(300, 'R');
  const Thermometer t = ParseInformation("9: " + word + " IRU0THV10TLV1LPF0");
  EXPECT_EQ(t.typeClass, kTypeRatio);
  EXPECT_EQ(t.rangeHigh, 10);
}

TEST(IdentificationParse, ShortWordAtTheVeryEndOfTheText) {
  // Nothing follows the word: the type character must not be looked for past the text.
  const std::string text = "1: SN";
  const Thermometer t = ParseInformation(std::string_view(text.data(), text.size()));
  EXPECT_EQ(t.typeClass, kTypeUnknown);
  EXPECT_EQ(t.secondTypeChar, '\0');
}

}  // namespace
}  // namespace zemra
