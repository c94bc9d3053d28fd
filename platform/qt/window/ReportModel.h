#pragma once
// The report as the list view sees it: one row per report line, read straight from the
// dialog, so a million lines cost nothing beyond their bytes. The view learns of new lines
// when the event loop runs next (or at Flush), in one insertion.
#include "app/TonvaleDlg.h"

#include <QAbstractListModel>
#include <QSize>
#include <QStyledItemDelegate>
#include <QTimer>

namespace tonvale {

class CReportModel : public QAbstractListModel {
    Q_OBJECT
  public:
    CReportModel(const CTonvaleDlg& dlg, QObject* parent = nullptr);

    // The report was emptied: the view forgets its rows at once, before it could paint one.
    void Clear();
    // Lines were added, or the widest line changed: told to the view when the event loop
    // runs next, or at Flush.
    void LinesAdded();
    void SetExtent(int pixels);
    void Flush();

    // How the bytes reach the font, and the height of a row.
    void SetSymbolPage(bool symbolPage) { m_symbolPage = symbolPage; }
    void SetRowHeight(int pixels) { m_rowHeight = pixels; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    const CTonvaleDlg& m_dlg;
    QTimer m_flushTimer;
    int m_rows = 0;   // rows the view knows of
    int m_extent = 0; // the horizontal extent the view knows of
    int m_pendingExtent = 0;
    int m_rowHeight = 16;
    bool m_symbolPage = false;
};

// Draws a row's text as it stands: no eliding, no focus frame, 2 pixels in; the line picked
// for the tape view highlighted.
class CReportLineDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

} // namespace tonvale
