#pragma once

#include "platform/IntText.h"  // ScanInt: the "%d" reading of file values

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The text rules that ".zcf" files and "CommsSettings.cfg" share: how the bytes of a file
// become text, how key lines are found in it, how integers are read and written, and how
// line ends are written. Nothing here touches the file system, so every function can be fed
// any bytes at all.

namespace zemra {

// Only this many bytes at the start of a file are ever looked at; "[end]" must lie within them.
inline constexpr std::size_t kTextReadLimit = 4096;

// The outcome of reading a settings text. Every value but kOk is the format error the user
// is shown; the distinction is kept for diagnostics and tests.
enum class TextFormat {
  kOk,
  kNoHeader,    // the section header does not occur
  kNoEnd,       // no "[end]" after the header
  kNoStartKey,  // the key that starts the key lines does not occur after the header
  kBadValue,    // an integer key whose value does not begin with an integer
};

// The text carried by the first kTextReadLimit bytes: it ends at the first NUL, and every
// CR LF pair becomes LF (a lone CR stays an ordinary character).
std::string TextFromBytes(std::string_view bytes);

// The text with every line end written as CR LF: LF, a lone CR and CR LF each become one
// CR LF.
std::string WithCrLf(std::string_view text);

// A text value as it is written into a line: up to its first NUL, as a C string would be.
std::string_view TextValue(std::string_view text);

// An integer as "%d" prints it.
std::string FormatInt(std::int32_t value);

// The key lines of a section: the text is searched for `header`, the body starts one
// character past it, "[end]" and `firstKey` are searched from the body start, and lines are
// taken from `firstKey` on, each up to its LF, for as long as that LF lies before "[end]".
// The line holding "[end]", and a last line without LF, are never taken. The views point into
// `text`.
struct KeyLines {
  TextFormat status = TextFormat::kOk;
  std::vector<std::string_view> lines;
};
KeyLines LocateKeyLines(std::string_view text, std::string_view header, std::string_view firstKey);

}  // namespace zemra
