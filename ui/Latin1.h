#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace zemra {

// The core keeps texts as Latin-1 bytes, as the files and the thermometer have them (the degree
// sign is byte 0xB0); they become QStrings only here, at the window's edge.
inline QString FromLatin1(std::string_view bytes) {
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// Characters outside Latin-1 become '?', as the narrow code page would show them.
inline std::string ToLatin1(const QString& text) {
  return text.toLatin1().toStdString();
}

}  // namespace zemra
