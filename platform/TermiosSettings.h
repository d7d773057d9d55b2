#pragma once

#include <termios.h>

#include "platform/SerialBackend.h"

namespace zemra {

// Puts the line format of `settings` on `tio` in raw mode: no echo, no line editing, no
// translation of CR or LF, no software or hardware flow control, reads that never wait in the
// driver (the backend times them itself). Fails when the speed is not one the driver knows.
bool ToTermios(const LineSettings& settings, termios& tio);

// The line format `tio` describes. The three flags termios has no place for stay false.
LineSettings FromTermios(const termios& tio);

}  // namespace zemra
