#include <charconv>

#include "lang/StringTable.h"

namespace zemra {
namespace {

void AppendEscaped(std::string& out, std::string_view text) {
  for (char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        out += c;
    }
  }
}

std::string Unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    switch (text[++i]) {
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      case '\\':
        out += '\\';
        break;
      default:  // an unknown escape is kept as written
        out += '\\';
        out += text[i];
    }
  }
  return out;
}

}  // namespace

std::string EncodeStringTable(std::span<const StringEntry> table) {
  std::string out;
  for (const StringEntry& entry : table) {
    out += std::to_string(entry.id);
    out += '\t';
    AppendEscaped(out, entry.text);
    out += '\n';
  }
  return out;
}

std::map<int, std::string> DecodeStringTable(std::string_view encoded) {
  std::map<int, std::string> table;
  while (!encoded.empty()) {
    std::size_t end = encoded.find('\n');
    std::string_view line = encoded.substr(0, end);
    encoded = end == std::string_view::npos ? std::string_view{} : encoded.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

    int id = 0;
    auto [rest, ec] = std::from_chars(line.data(), line.data() + line.size(), id);
    if (ec != std::errc{} || rest == line.data() + line.size() || *rest != '\t') continue;
    std::string text = Unescape(line.substr(rest - line.data() + 1));
    if (text.size() > kMaxStringLength) text.resize(kMaxStringLength);
    table[id] = std::move(text);
  }
  return table;
}

}  // namespace zemra
