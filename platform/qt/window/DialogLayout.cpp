#include "platform/qt/window/DialogLayout.h"

#include <QFontMetrics>
#include <QWidget>

#include <algorithm>

namespace tonvale {

namespace {

struct BaseUnits {
    int x; // average character width
    int y; // character height
};

BaseUnits BaseUnitsOf(const QWidget* widget) {
    const QFontMetrics metrics(widget ? widget->font() : QFont());
    static const QString kAlphabet =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int width = metrics.horizontalAdvance(kAlphabet);
    return {std::max(1, (width / 26 + 1) / 2), std::max(1, metrics.height())};
}

} // namespace

CDialogLayout::CDialogLayout(QWidget* parent, QSize templateUnits)
    : QLayout(parent), m_template(templateUnits) {
    setContentsMargins(0, 0, 0, 0);
}

CDialogLayout::~CDialogLayout() {
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

void CDialogLayout::AddControl(QWidget* control, QRect units, int anchors) {
    addChildWidget(control);
    m_entries.push_back({new QWidgetItem(control), units, anchors});
    invalidate();
}

QRect CDialogLayout::ToPixels(QRect units) const {
    const BaseUnits base = BaseUnitsOf(parentWidget());
    auto across = [&](int u) { return (u * base.x + 2) / 4; };
    auto down = [&](int u) { return (u * base.y + 4) / 8; };
    return QRect(across(units.x()), down(units.y()), across(units.width()), down(units.height()));
}

void CDialogLayout::addItem(QLayoutItem* item) {
    m_entries.push_back({item, QRect(), Fixed});
}

QLayoutItem* CDialogLayout::itemAt(int index) const {
    return index >= 0 && index < count() ? m_entries[index].item : nullptr;
}

QLayoutItem* CDialogLayout::takeAt(int index) {
    if (index < 0 || index >= count()) return nullptr;
    QLayoutItem* item = m_entries[index].item;
    m_entries.removeAt(index);
    return item;
}

QSize CDialogLayout::sizeHint() const {
    return ToPixels(QRect(QPoint(0, 0), m_template)).size();
}

QSize CDialogLayout::minimumSize() const {
    return sizeHint();
}

void CDialogLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    const QSize base = sizeHint();
    const int dx = std::max(0, rect.width() - base.width());
    const int dy = std::max(0, rect.height() - base.height());
    for (const Entry& entry : m_entries) {
        QRect place = ToPixels(entry.units);
        if (entry.anchors & Right) {
            if (entry.anchors & Left)
                place.setWidth(place.width() + dx);
            else
                place.translate(dx, 0);
        }
        if (entry.anchors & Bottom) {
            if (entry.anchors & Top)
                place.setHeight(place.height() + dy);
            else
                place.translate(0, dy);
        }
        entry.item->setGeometry(place.translated(rect.topLeft()));
    }
}

} // namespace tonvale
