#pragma once

#include <QString>

namespace zemra {

// The program's own resources, compiled into the executable (the language module supplies the
// rest): the application icon 128, the indicator lamps 140 (red), 141 (grey) and 142 (green),
// and toolbar 154.
inline constexpr int kAppIcon = 128;
inline constexpr int kRedLamp = 140;
inline constexpr int kGreyLamp = 141;
inline constexpr int kGreenLamp = 142;
inline constexpr int kToolbar = 154;

QString ProgramIconPath(int id);
// The toolbar's description: its button size and the command of each button, in order.
QString ProgramToolbarPath(int id);
QString ProgramBitmapPath(int id);

}  // namespace zemra
