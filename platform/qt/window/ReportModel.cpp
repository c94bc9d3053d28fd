#include "platform/qt/window/ReportModel.h"

#include "platform/qt/window/QtText.h"

#include <QPainter>

#include <algorithm>
#include <limits>

namespace tonvale {

namespace {

// A row is a line's text drawn from this many pixels in.
constexpr int kTextIndent = 2;

int ClampedCount(std::size_t count) {
    return static_cast<int>(std::min<std::size_t>(count, std::numeric_limits<int>::max()));
}

} // namespace

CReportModel::CReportModel(const CTonvaleDlg& dlg, QObject* parent)
    : QAbstractListModel(parent), m_dlg(dlg) {
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(0);
    connect(&m_flushTimer, &QTimer::timeout, this, &CReportModel::Flush);
}

void CReportModel::Clear() {
    if (m_rows == 0) return; // nothing shown to forget
    beginResetModel();
    m_rows = 0;
    endResetModel();
}

void CReportModel::LinesAdded() {
    if (!m_flushTimer.isActive()) m_flushTimer.start();
}

void CReportModel::SetExtent(int pixels) {
    m_pendingExtent = pixels;
    LinesAdded();
}

void CReportModel::Flush() {
    m_flushTimer.stop();
    const int count = ClampedCount(m_dlg.ReportLineCount());
    if (m_pendingExtent != m_extent || count < m_rows) {
        // A uniform row size is measured once per layout: a new width needs a new layout.
        beginResetModel();
        m_extent = m_pendingExtent;
        m_rows = count;
        endResetModel();
    } else if (count > m_rows) {
        beginInsertRows(QModelIndex(), m_rows, count - 1);
        m_rows = count;
        endInsertRows();
    }
}

int CReportModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

QVariant CReportModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() != 0 || index.row() >= m_rows ||
        static_cast<std::size_t>(index.row()) >= m_dlg.ReportLineCount())
        return {};
    switch (role) {
    case Qt::DisplayRole: {
        const ByteView line = m_dlg.ReportLine(static_cast<std::size_t>(index.row()));
        return m_symbolPage ? BytesToSymbolPage(line) : BytesToLatin1(line);
    }
    case Qt::SizeHintRole:
        return QSize(m_extent, m_rowHeight);
    default:
        return {};
    }
}

Qt::ItemFlags CReportModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren
                           : Qt::NoItemFlags;
}

void CReportLineDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    painter->save();
    painter->setFont(option.font);
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    if (selected) painter->fillRect(option.rect, option.palette.color(QPalette::Highlight));
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    const QRect text = option.rect.adjusted(kTextIndent, 0, 0, 0);
    painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      index.data(Qt::DisplayRole).toString());
    painter->restore();
}

} // namespace tonvale
