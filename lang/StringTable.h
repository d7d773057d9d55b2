#pragma once

#include <initializer_list>
#include <map>
#include <span>
#include <string>
#include <string_view>

namespace zemra {

// The language of the module the program loads; no other one is ever chosen.
inline constexpr unsigned kLanguageCode = 0x0800;

// The longest text a string ID may hold; longer texts are cut when a table is read.
inline constexpr std::size_t kMaxStringLength = 1023;

struct StringEntry {
  int id;
  std::string_view text;
};

// The English table, compiled in, ordered by ID. Texts are Latin-1 bytes.
std::span<const StringEntry> StringTable();

// The text of `id` in the compiled-in table; empty when the ID has no text.
std::string_view StringText(int id);

// Fills the "%s" placeholders of a range message, in order, with the given values ("%%" is a
// literal percent sign). Placeholders without a value read as empty and surplus values are
// dropped, so a text that states its own limits is shown unchanged. The text is never handed
// to printf: a stray "%d" or "%n" in a table is shown as it stands.
std::string FillPlaceholders(std::string_view format,
                             std::initializer_list<std::string_view> values);

// The form in which a language module carries its string table: one line per ID, the ID in
// decimal, a tab, then the text with backslash, line feed, carriage return and tab escaped as
// \\, \n, \r and \t.
std::string EncodeStringTable(std::span<const StringEntry> table);

// Reads that form back. Lines that do not start with an ID and a tab are skipped; a later line
// for the same ID replaces an earlier one; texts are cut to kMaxStringLength.
std::map<int, std::string> DecodeStringTable(std::string_view encoded);

}  // namespace zemra
