#include <string>

#include <gtest/gtest.h>

#include "cli/Output.h"

namespace zemra::cli {
namespace {

TEST(Output, jsonStringsAreValidUtf8WithEveryControlEscaped) {
  EXPECT_EQ(JsonString("Furnace \"A\"\\1"), "\"Furnace \\\"A\\\"\\\\1\"");
  EXPECT_EQ(JsonString("900\xB0"
                       "C"),
            "\"900\xC2\xB0"
            "C\"");
  EXPECT_EQ(JsonString(std::string("a\x1b[2J\n\0b", 8)), "\"a\\u001b[2J\\u000a\\u0000b\"");
}

TEST(Output, textsForTheTerminalCannotSteerIt) {
  EXPECT_EQ(DisplayText("ok\x1b]0;owned\x07"), "ok?]0;owned?");
  EXPECT_EQ(DisplayText("\x9b"
                        "31m\xB0"),
            "?31m\xC2\xB0");
  EXPECT_EQ(DisplayLines("[a]\r\nline 2\x1b\r\n"), "[a]\nline 2?\n");
}

TEST(Output, numbersAreShortestExact) {
  EXPECT_EQ(FormatNumber(500.0), "500");
  EXPECT_EQ(FormatNumber(8001 / 16.0), "500.0625");
  EXPECT_EQ(FormatNumber(950 / 1000.0), "0.95");
  EXPECT_EQ(FormatNumber(-40.0), "-40");
}

TEST(Output, jsonObjectsKeepTheirOrder) {
  EXPECT_EQ(JsonObject().Text("a", "x").Integer("b", -3).Bool("c", true).Number("d", 0.5).Str(),
            "{\"a\": \"x\", \"b\": -3, \"c\": true, \"d\": 0.5}");
}

}  // namespace
}  // namespace zemra::cli
