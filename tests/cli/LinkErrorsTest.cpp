#include <string>

#include <gtest/gtest.h>

#include "cli/ExitStatus.h"
#include "cli/LinkErrors.h"

namespace zemra::cli {
namespace {

struct Row {
  int result;
  LinkErrorFields fields;
  RangeLimits limits;
  std::string message;
  int exit;
};

void PrintTo(const Row& row, std::ostream* os) {
  *os << "result " << row.result << ", message " << row.fields.lastErrorMessage;
}

class LinkErrorMessages : public testing::TestWithParam<Row> {};

TEST_P(LinkErrorMessages, areComposedAsTheWindowComposesThem) {
  const Row& row = GetParam();
  EXPECT_EQ(LinkErrorMessage(row.result, row.fields, row.limits), row.message);
  EXPECT_EQ(ExitForLinkResult(row.result), row.exit);
}

INSTANTIATE_TEST_SUITE_P(
    Results, LinkErrorMessages,
    testing::Values(
        // -1: the operation's text and the system's.
        Row{-1,
            {91, 0, "Input/output error"},
            {},
            "The emissivity could not be read.\n"
            "Input/output error",
            kExitNoThermometer},
        Row{-1, {64, 0, ""}, {}, "Writing to the serial port failed.", kExitNoThermometer},
        // -2: the operation's text and the refusal's.
        Row{-2,
            {91, 190, "stale"},
            {},
            "The emissivity could not be read.\n"
            "The thermometer refused the command.",
            kExitRefused},
        // -3: limits filled in; 80 takes 0 and the high limit, 200 the output span.
        Row{-3,
            {140, 0, ""},
            {200, 1000, 50},
            "The alarm levels must lie between 200 and 1000.",
            kExitOutOfRange},
        Row{-3,
            {80, 0, ""},
            {200, 1000, 50},
            "The value must lie between 0 and 1000.",
            kExitOutOfRange},
        Row{-3,
            {200, 0, ""},
            {0, 1000, 90},
            "The analogue output maximum must be at least 90 degrees above the minimum.",
            kExitOutOfRange},
        Row{-3,
            {98, 0, ""},
            {0, 1000, 50},
            "The user calibration must lie between 800 and 1200.",
            kExitOutOfRange},
        // -4: the text alone, none of the stale fields.
        Row{-4, {180, 190, "stale"}, {}, "The temperature could not be read.", kExitNoThermometer},
        // No text for the number: nothing, so the caller can say something better.
        Row{-4, {0, 0, ""}, {}, "", kExitNoThermometer}));

TEST(LinkErrorMessages, limitsAreNeverTakenForFormatDirectives) {
  // A range text is filled by placeholder, never by printf: huge limits stay plain numbers.
  const std::string text = LinkErrorMessage(-3, {150, 0, ""}, {-2147483648LL, 2147483647LL, 50});
  EXPECT_EQ(text, "The analogue output minimum must lie between -2147483648 and 2147483647.");
}

}  // namespace
}  // namespace zemra::cli
