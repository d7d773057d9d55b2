#include "lang/StringTable.h"

#include <algorithm>
#include <array>

namespace zemra {
namespace {

#define ZEMRA_TEXT(id, text) StringEntry{id, text},
constexpr StringEntry kUnsorted[] = {
#include "lang/0800/strings.inc"
};
#undef ZEMRA_TEXT

constexpr auto kTable = [] {
  std::array<StringEntry, std::size(kUnsorted)> table{};
  std::copy(std::begin(kUnsorted), std::end(kUnsorted), table.begin());
  std::sort(table.begin(), table.end(),
            [](const StringEntry& a, const StringEntry& b) { return a.id < b.id; });
  return table;
}();

}  // namespace

std::span<const StringEntry> StringTable() {
  return kTable;
}

std::string_view StringText(int id) {
  auto it = std::lower_bound(kTable.begin(), kTable.end(), id,
                             [](const StringEntry& e, int key) { return e.id < key; });
  if (it == kTable.end() || it->id != id) return {};
  return it->text;
}

std::string FillPlaceholders(std::string_view format,
                             std::initializer_list<std::string_view> values) {
  std::string out;
  auto next = values.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size()) {
      if (format[i + 1] == 's') {
        if (next != values.end()) out += *next++;
        ++i;
        continue;
      }
      if (format[i + 1] == '%') {
        out += '%';
        ++i;
        continue;
      }
    }
    out += format[i];
  }
  return out;
}

}  // namespace zemra
