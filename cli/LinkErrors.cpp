#include "cli/LinkErrors.h"

#include "lang/StringTable.h"

namespace zemra::cli {

namespace {

// The range message whose first placeholder is a fixed 0 rather than the range low.
constexpr int kMsgValueUpToHigh = 80;
// The range message that takes the minimum output span.
constexpr int kMsgOutputSpan = 200;

std::string FillLimits(std::string_view format, int message, const RangeLimits& limits) {
  if (message == kMsgOutputSpan) {
    return FillPlaceholders(format, {std::to_string(limits.minOutputSpan)});
  }
  const std::string high = std::to_string(limits.high);
  const std::string low = message == kMsgValueUpToHigh ? "0" : std::to_string(limits.low);
  return FillPlaceholders(format, {low, high});
}

void AppendLine(std::string& text, std::string_view line) {
  if (line.empty()) return;
  if (!text.empty()) text += '\n';
  text += line;
}

}  // namespace

LinkErrorFields ErrorFieldsOf(const SerialPort& link) {
  return {link.LastErrorMessage(), link.ReplyErrorMessage(), link.SystemErrorText()};
}

std::string LinkErrorMessage(int result, const LinkErrorFields& fields, const RangeLimits& limits) {
  const std::string_view format = StringText(fields.lastErrorMessage);
  if (result == -3) return FillLimits(format, fields.lastErrorMessage, limits);
  std::string text(format);
  if (result == -1) AppendLine(text, fields.systemErrorText);
  if (result == -2) AppendLine(text, StringText(fields.replyErrorMessage));
  return text;
}

}  // namespace zemra::cli
