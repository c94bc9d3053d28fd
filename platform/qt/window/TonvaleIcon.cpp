#include "platform/qt/window/TonvaleIcon.h"

// A static library's resources must be registered by name before their first use.
static void InitWindowResources() {
    Q_INIT_RESOURCE(window);
}

namespace tonvale {

QIcon TonvaleIcon() {
    InitWindowResources();
    return QIcon(QStringLiteral(":/tonvale/tonvale.png"));
}

} // namespace tonvale
