#include <gtest/gtest.h>

#include <set>

#include "lang/StringTable.h"

namespace zemra {
namespace {

std::set<int> IdsTheProgramNames() {
  std::set<int> ids = {1,  2,  4,  5,  6,  7,  8,  12, 13, 14, 15, 16, 17, 18, 19,  20,
                       21, 22, 23, 24, 25, 26, 27, 28, 33, 34, 39, 40, 41, 42, 43,  47,
                       48, 49, 50, 51, 52, 53, 55, 56, 57, 58, 59, 72, 73, 74, 104, 191};
  // Link messages, including 201 + n for serial ports 1 to 8.
  for (int id : {63,  64,  66,  67,  68,  69,  70,  71,  75,  76,  77,  78,  81,  83,  84,
                 86,  87,  88,  89,  90,  91,  92,  93,  95,  96,  97,  98,  100, 101, 102,
                 103, 106, 107, 108, 109, 110, 111, 112, 114, 115, 116, 117, 120, 121, 122,
                 125, 126, 127, 131, 132, 135, 136, 137, 140, 141, 142, 146, 147, 150, 151,
                 152, 155, 156, 157, 160, 165, 175, 177, 180, 190, 196, 198, 200, 201})
    ids.insert(id);
  for (int port = 1; port <= 8; ++port) ids.insert(201 + port);
  return ids;
}

TEST(StringTable, everyIdTheProgramNamesHasAText) {
  for (int id : IdsTheProgramNames()) {
    EXPECT_FALSE(StringText(id).empty()) << "string " << id;
  }
}

TEST(StringTable, idsAreUniqueAndTextsFitTheirLimit) {
  std::set<int> seen;
  for (const StringEntry& e : StringTable()) {
    EXPECT_TRUE(seen.insert(e.id).second) << "string " << e.id << " appears twice";
    EXPECT_LE(e.text.size(), kMaxStringLength) << "string " << e.id;
  }
}

TEST(StringTable, missingIdReadsAsEmpty) {
  EXPECT_EQ(StringText(0), "");
  EXPECT_EQ(StringText(3), "");
  EXPECT_EQ(StringText(-1), "");
  EXPECT_EQ(StringText(99999), "");
}

// Only the temperature-range messages carry placeholders: the window fills them with the
// thermometer's limits, so a message with fixed limits must state them itself.
TEST(StringTable, rangeMessagesHoldTheirPlaceholders) {
  auto placeholders = [](std::string_view text) {
    int n = 0;
    for (std::size_t p = text.find("%s"); p != std::string_view::npos; p = text.find("%s", p + 2))
      ++n;
    return n;
  };
  EXPECT_EQ(placeholders(StringText(200)), 1);
  for (int id : {80, 110, 140, 150, 155}) EXPECT_EQ(placeholders(StringText(id)), 2) << id;
  for (int id : {90, 95, 98, 100, 107, 115, 120, 125, 135, 175})
    EXPECT_EQ(placeholders(StringText(id)), 0) << id;
}

TEST(FillPlaceholders, fillsInOrderAndNeverInterpretsOtherConversions) {
  struct Case {
    std::string_view format;
    std::initializer_list<std::string_view> values;
    std::string expected;
  };
  const Case cases[] = {
      {"between %s and %s.", {"0", "1000"}, "between 0 and 1000."},
      {"at least %s above", {"50", "1000"}, "at least 50 above"},
      {"from %s to %s", {"7"}, "from 7 to "},
      {"fixed limits 0.1 to 1.0", {"0", "1000"}, "fixed limits 0.1 to 1.0"},
      {"100%% and %d %n %", {"x"}, "100% and %d %n %"},
      {"", {"1"}, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FillPlaceholders(c.format, c.values), c.expected) << c.format;
}

TEST(EncodedStringTable, roundTripsEveryText) {
  const StringEntry table[] = {{1, "ZEMRAnet"},
                               {51, "first line\nsecond line"},
                               {7, "tab\there, back\\slash, cr\r"},
                               {9,
                                "degree \xB0"
                                "C"},
                               {10, ""}};
  auto decoded = DecodeStringTable(EncodeStringTable(table));
  ASSERT_EQ(decoded.size(), std::size(table));
  for (const StringEntry& e : table) EXPECT_EQ(decoded.at(e.id), e.text) << e.id;

  auto all = DecodeStringTable(EncodeStringTable(StringTable()));
  for (const StringEntry& e : StringTable()) EXPECT_EQ(all.at(e.id), e.text) << e.id;
}

TEST(EncodedStringTable, toleratesDamagedInput) {
  std::string tooLong(2000, 'x');
  auto decoded = DecodeStringTable("garbage\n12\tok\r\nx5\tbad\n-\t\n13 no tab\n14\t" + tooLong +
                                   "\n12\tlater\n15\ttrailing backslash \\");
  EXPECT_EQ(decoded.at(12), "later");
  EXPECT_EQ(decoded.at(14).size(), kMaxStringLength);
  EXPECT_EQ(decoded.at(15), "trailing backslash \\");
  EXPECT_EQ(decoded.count(13), 0u);
  EXPECT_EQ(decoded.size(), 3u);
}

}  // namespace
}  // namespace zemra
