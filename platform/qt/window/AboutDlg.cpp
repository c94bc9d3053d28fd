#include "platform/qt/window/AboutDlg.h"

#include "platform/qt/window/DialogLayout.h"
#include "platform/qt/window/TonvaleIcon.h"

#include <QLabel>
#include <QPushButton>

namespace tonvale {

namespace {

const QSize kAboutSize(235, 65);

} // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Tonvale"));
    setWindowModality(Qt::ApplicationModal);
    auto* layout = new CDialogLayout(this, kAboutSize);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    auto* icon = new QLabel(this);
    const QRect iconPlace(7, 7, 21, 20);
    const QRect iconPixels = layout->ToPixels(iconPlace);
    const int side = std::min(iconPixels.width(), iconPixels.height());
    icon->setPixmap(TonvaleIcon().pixmap(side, side));
    layout->AddControl(icon, iconPlace);

    const char* const lines[] = {
        "Tonvale Version 2.0",
        "Plays TRS-80 I/III/4 cassettes through the sound card",
        "Connect the TRS-80 'Ear' input to PC headphone output",
    };
    int top = 8;
    for (const char* line : lines) {
        auto* label = new QLabel(QString::fromLatin1(line), this);
        label->setTextFormat(Qt::PlainText);
        layout->AddControl(label, QRect(35, top, 195, 8));
        top += 12;
    }

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    layout->AddControl(ok, QRect(178, 45, 50, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace tonvale
