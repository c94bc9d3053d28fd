#include "platform/qt/window/FormatPrompts.h"

#include "platform/qt/window/DialogLayout.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace tonvale {

namespace {

const QSize kPromptSize(173, 57);
const char* const kPromptCaption = "Tonvale - What format?";

// The key after the "&" of a button text, as the key code that types it.
int MnemonicKey(const QString& text) {
    const qsizetype amp = text.indexOf(QLatin1Char('&'));
    if (amp < 0 || amp + 1 >= text.size()) return 0;
    return text.at(amp + 1).toUpper().unicode();
}

} // namespace

CChoiceDlg::CChoiceDlg(QWidget* parent, const char* question, QRect questionPlace, QRect iconPlace,
                       const std::vector<Choice>& choices, TapeFormat escape)
    : QDialog(parent), m_escape(escape) {
    setWindowTitle(QString::fromLatin1(kPromptCaption));
    setWindowModality(Qt::ApplicationModal);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    auto* layout = new CDialogLayout(this, kPromptSize);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    for (const Choice& choice : choices) {
        auto* button = new QPushButton(QString::fromLatin1(choice.text), this);
        button->setAutoDefault(true);
        layout->AddControl(button, choice.place);
        connect(button, &QPushButton::clicked, this,
                [this, result = choice.result] { done(static_cast<int>(result)); });
        m_buttons.emplace_back(button, choice.result);
    }
    m_buttons.front().first->setDefault(true);

    auto* text = new QLabel(QString::fromLatin1(question), this);
    text->setTextFormat(Qt::PlainText);
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->AddControl(text, questionPlace);

    auto* icon = new QLabel(this);
    const QRect iconPixels = layout->ToPixels(iconPlace);
    const int side = std::min(iconPixels.width(), iconPixels.height());
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(side, side));
    icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->AddControl(icon, iconPlace);
}

TapeFormat CChoiceDlg::Ask() {
    m_buttons.front().first->setFocus();
    const int result = exec();
    for (const auto& [button, format] : m_buttons) {
        if (result == static_cast<int>(format)) return format;
    }
    return kClosed;
}

void CChoiceDlg::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_Escape && modifiers == Qt::NoModifier) {
        done(static_cast<int>(m_escape));
        return;
    }
    // A button's mnemonic without Alt: the buttons take no typing, so the key is theirs.
    if (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier) {
        for (const auto& [button, format] : m_buttons) {
            if (event->key() == MnemonicKey(button->text())) {
                button->click();
                return;
            }
        }
    }
    QDialog::keyPressEvent(event);
}

void CChoiceDlg::reject() {
    done(static_cast<int>(kClosed));
}

CLevelChoiceDlg::CLevelChoiceDlg(QWidget* parent)
    : CChoiceDlg(parent, "Level 1 or 2 couldn't be determined\nPlease select the output format:",
                 QRect(40, 10, 126, 18), QRect(7, 7, 21, 20),
                 {{"Level &2", TapeFormat::Level2, QRect(35, 36, 50, 14)},
                  {"Level &1", TapeFormat::Level1, QRect(88, 36, 50, 14)}},
                 TapeFormat::Level1) {}

CFormatChoiceDlg::CFormatChoiceDlg(QWidget* parent)
    : CChoiceDlg(parent,
                 "Multiple \"files\" with different format\nTonvale can only do one at a "
                 "time.\nPlease select the output format:",
                 QRect(40, 7, 126, 26), QRect(7, 7, 20, 20),
                 {{"Level &2", TapeFormat::Level2, QRect(7, 36, 50, 14)},
                  {"Level &1", TapeFormat::Level1, QRect(62, 36, 50, 14)},
                  {"&Highspeed", TapeFormat::Highspeed, QRect(116, 36, 50, 14)}},
                 TapeFormat::Highspeed) {}

} // namespace tonvale
