#pragma once
// A tape can hold any byte, and an escape sequence sent raw to a terminal can rewrite the
// screen, the window title or worse. On a terminal, control bytes are shown as \xNN instead;
// CR LF line ends and a lone LF stay as they are. Files and pipes get the bytes unchanged.
#include "base/Bytes.h"

namespace tonvale::cli {

Bytes EscapeForTerminal(ByteView bytes);

} // namespace tonvale::cli
