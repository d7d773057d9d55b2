#include "link/Information.h"

#include "link/Scans.h"

namespace zemra {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::size_t kMaxModelWord = 255;

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// "%d: %s": the type number, a colon, any white space, then a run of non-blank characters.
// The word stays empty when the number or the colon is missing.
void ScanTypeLine(std::string_view text, std::int32_t& number, std::string& word) {
  const std::optional<std::int32_t> scanned = ScanInt(text);
  if (!scanned) return;
  number = *scanned;
  std::size_t at = 0;
  while (at < text.size() && IsSpace(text[at])) ++at;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
  if (at >= text.size() || text[at] != ':') return;
  ++at;
  while (at < text.size() && IsSpace(text[at])) ++at;
  const std::size_t start = at;
  while (at < text.size() && !IsSpace(text[at]) && at - start < kMaxModelWord) ++at;
  word.assign(text.substr(start, at - start));
}

int TypeClassOf(char typeChar) {
  if (typeChar >= '0' && typeChar <= '9') return kTypeSingleWavelength;
  if (typeChar == 'R') return kTypeRatio;
  if (typeChar == 'L') return kTypeNeither;
  return kTypeUnknown;
}

// The integer that follows the first occurrence of `key` at or after `from`, read no further
// than the next key; 0 when the key is missing or no digits follow it. `from` moves past the
// key so that the keys are looked for in their order.
std::int32_t NumberAfterKey(std::string_view text, std::string_view key, std::string_view nextKey,
                            std::size_t& from) {
  const std::size_t keyAt = text.find(key, from);
  if (keyAt == std::string_view::npos) return 0;
  const std::size_t start = keyAt + key.size();
  from = start;
  std::size_t stop = nextKey.empty() ? std::string_view::npos : text.find(nextKey, start);
  if (stop == std::string_view::npos) stop = text.size();
  return ScanInt(text.substr(start, stop - start)).value_or(0);
}

}  // namespace

std::optional<std::string> ExtractInformationText(std::string_view reply) {
  const std::size_t header = reply.find(kInformationHeader);
  if (header == std::string_view::npos) return std::nullopt;
  const std::size_t end = reply.find(kInformationEnd);
  if (end == std::string_view::npos) return std::nullopt;
  const std::size_t start = header + kInformationHeader.size();
  if (end <= start) return std::string();
  return std::string(reply.substr(start, end - start));
}

std::string ExtractIdentityLine(std::string_view reply) {
  std::string marker(kInformationHeader);
  marker.append(kLineEnd);
  const std::size_t header = reply.find(marker);
  if (header == std::string_view::npos) return std::string();
  const std::size_t start = header + marker.size();
  const std::size_t end = reply.find(kLineEnd, start);
  return std::string(reply.substr(start, end == std::string_view::npos ? end : end - start));
}

Thermometer ParseInformation(std::string_view text) {
  Thermometer record;
  std::string word;
  ScanTypeLine(text, record.typeNumber, word);

  const std::size_t typeAt = word.starts_with("SN") ? 2 : 3;
  const char typeChar = typeAt < word.size() ? word[typeAt] : '\0';
  record.secondTypeChar = typeAt + 1 < word.size() ? word[typeAt + 1] : '\0';
  record.typeClass = TypeClassOf(typeChar);

  std::size_t from = 0;
  record.fahrenheit = NumberAfterKey(text, "IRU", "THV", from) != 0 ? 1 : 0;
  record.rangeHigh = NumberAfterKey(text, "THV", "TLV", from);
  record.rangeLow = NumberAfterKey(text, "TLV", "LPF", from);
  record.laserFitted = NumberAfterKey(text, "LPF", "", from) != 0 ? 1 : 0;
  record.reserved = -1;
  return record;
}

}  // namespace zemra
