#include "files/TextLines.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

namespace zemra {
namespace {

using namespace std::string_literals;

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TEST(ScanInt, readsLikePercentDAndSaturatesBeyondThirtyTwoBits) {
  struct Case {
    std::string value;
    std::optional<std::int32_t> expected;
  };
  const Case cases[] = {
      {"950", 950},
      {"950 word", 950},
      {"  \t-12abc", -12},
      {"+5", 5},
      {"007", 7},
      {"\r\v\f 3", 3},
      {"0", 0},
      {"-0", 0},
      {"2147483647", kMax},
      {"-2147483648", kMin},
      {"2147483648", kMax},
      {"-2147483649", kMin},
      {"4294967297", kMax},  // must not wrap round to 1
      {"99999999999999999999999999999999999999", kMax},
      {"-99999999999999999999999999999999999999", kMin},
      {"", std::nullopt},
      {"   ", std::nullopt},
      {"x", std::nullopt},
      {"-", std::nullopt},
      {"+", std::nullopt},
      {"- 5", std::nullopt},
      {"+-5", std::nullopt},
      {".5", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ScanInt(c.value), c.expected) << '"' << c.value << '"';
  }
}

TEST(ScanInt, aMillionDigitsAreReadWithoutOverflow) {
  EXPECT_EQ(ScanInt(std::string(1'000'000, '9')), kMax);
}

TEST(FormatInt, printsLikePercentD) {
  EXPECT_EQ(FormatInt(0), "0");
  EXPECT_EQ(FormatInt(-950), "-950");
  EXPECT_EQ(FormatInt(kMin), "-2147483648");
  EXPECT_EQ(FormatInt(kMax), "2147483647");
}

TEST(WithCrLf, everyKindOfLineEndBecomesOneCrLf) {
  struct Case {
    std::string in, out;
  };
  const Case cases[] = {
      {"a\nb", "a\r\nb"},         {"a\rb", "a\r\nb"},
      {"a\r\nb", "a\r\nb"},       {"a\n\rb", "a\r\n\r\nb"},
      {"a\r\r\nb", "a\r\n\r\nb"}, {"\r", "\r\n"},
      {"\n\n", "\r\n\r\n"},       {"", ""},
      {"plain", "plain"},
  };
  for (const Case& c : cases) EXPECT_EQ(WithCrLf(c.in), c.out);
}

TEST(TextFromBytes, endsAtNulAndTurnsOnlyCrLfPairsIntoLf) {
  EXPECT_EQ(TextFromBytes("a\r\nb\rc\n"), "a\nb\rc\n");
  EXPECT_EQ(TextFromBytes("ab\0cd"s), "ab");
  EXPECT_EQ(TextFromBytes("\0abc"s), "");
  EXPECT_EQ(TextFromBytes("a\r\r\nb"), "a\r\nb");  // the lone CR stays
}

TEST(TextFromBytes, looksAtTheFirst4096BytesOnly) {
  const std::string bytes = std::string(4095, 'x') + "\r\n" + "tail";
  const std::string text = TextFromBytes(bytes);
  ASSERT_EQ(text.size(), 4096u);  // the CR is byte 4096, its LF lies beyond the limit
  EXPECT_EQ(text.back(), '\r');
}

TEST(TextValue, stopsAtTheFirstNul) {
  EXPECT_EQ(TextValue("21\0 01"s), "21");
  EXPECT_EQ(TextValue(" spaced "), " spaced ");
}

TEST(LocateKeyLines, takesLinesFromTheStartKeyUpToTheLineHoldingEnd) {
  const std::string text = "[H]\njunk\nKEY 1\nB 2\nC 3[end]\n";
  const KeyLines found = LocateKeyLines(text, "[H]", "KEY");
  ASSERT_EQ(found.status, TextFormat::kOk);
  ASSERT_EQ(found.lines.size(), 2u);
  EXPECT_EQ(found.lines[0], "KEY 1");
  EXPECT_EQ(found.lines[1], "B 2");
}

TEST(LocateKeyLines, reportsWhatIsMissing) {
  struct Case {
    std::string text;
    TextFormat status;
  };
  const Case cases[] = {
      {"KEY 1\n[end]\n", TextFormat::kNoHeader},
      {"[H]\nKEY 1\n", TextFormat::kNoEnd},
      {"[end]\n[H]\nKEY 1\n", TextFormat::kNoEnd},  // "[end]" before the header does not count
      {"[H]\n[end]\n", TextFormat::kNoStartKey},
      {"KEY 1\n[H]\n[end]\n", TextFormat::kNoStartKey},
      {"[H]", TextFormat::kNoEnd},   // the body would start past the text
      {"[H]x", TextFormat::kNoEnd},  // and here right at its end
      {"", TextFormat::kNoHeader},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LocateKeyLines(c.text, "[H]", "KEY").status, c.status) << c.text;
  }
}

TEST(LocateKeyLines, theCharacterAfterTheHeaderIsSkippedWhateverItIs) {
  // "[end]" starting right after the header's following character is found; one starting on
  // that character is not.
  EXPECT_EQ(LocateKeyLines("[H]x[end]KEY\n", "[H]", "KEY").status, TextFormat::kOk);
  EXPECT_EQ(LocateKeyLines("[H][end]KEY\n", "[H]", "KEY").status, TextFormat::kNoEnd);
}

TEST(LocateKeyLines, aStartKeyAfterEndGivesNoLines) {
  const KeyLines found = LocateKeyLines("[H]\n[end]\nKEY 1\n", "[H]", "KEY");
  EXPECT_EQ(found.status, TextFormat::kOk);
  EXPECT_TRUE(found.lines.empty());
}

TEST(LocateKeyLines, aLastLineWithoutLineEndIsNotTaken) {
  const KeyLines found = LocateKeyLines("[H]\nKEY 1\nB 2[end]", "[H]", "KEY");
  EXPECT_EQ(found.status, TextFormat::kOk);
  ASSERT_EQ(found.lines.size(), 1u);
  EXPECT_EQ(found.lines[0], "KEY 1");
}

}  // namespace
}  // namespace zemra
