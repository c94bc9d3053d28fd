#pragma once
#include <QIcon>

namespace tonvale {

// The program's icon (a cassette), from the window library's resources.
QIcon TonvaleIcon();

} // namespace tonvale
