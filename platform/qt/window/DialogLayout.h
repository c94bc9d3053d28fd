#pragma once
// Places each control where a dialog template puts it, in dialog units: a quarter of the
// font's average character width across, an eighth of its height down, so the arrangement
// keeps its proportions in any font. When the window is larger than the template, a control
// anchored on both sides of an axis grows; one anchored to the right or bottom only moves
// along with that edge.
#include <QLayout>
#include <QList>
#include <QRect>

namespace tonvale {

class CDialogLayout : public QLayout {
  public:
    enum Anchor { Left = 1, Top = 2, Right = 4, Bottom = 8, Fixed = Left | Top };

    // The template's client area in dialog units.
    CDialogLayout(QWidget* parent, QSize templateUnits);
    ~CDialogLayout() override;

    void AddControl(QWidget* control, QRect units, int anchors = Fixed);
    // A dialog-unit rectangle in pixels of the parent's font.
    QRect ToPixels(QRect units) const;

    void addItem(QLayoutItem* item) override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    int count() const override { return static_cast<int>(m_entries.size()); }
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

  private:
    struct Entry {
        QLayoutItem* item;
        QRect units;
        int anchors;
    };
    QList<Entry> m_entries;
    QSize m_template;
};

} // namespace tonvale
