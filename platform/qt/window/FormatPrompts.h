#pragma once
// The two questions the program may ask in the middle of a load: Level 1 or Level 2 for a
// tape file that does not tell, and one format for the sound of a tape whose files differ.
// Each ends with the chosen format as its result: exec() returns a TapeFormat value.
//
// As in a classic dialog box, the mnemonic keys work with or without Alt, Enter takes the
// default button, Escape the cancel button, and the close box counts as Level 2.
#include "base/Formats.h"

#include <QDialog>

#include <vector>

class QPushButton;

namespace tonvale {

class CChoiceDlg : public QDialog {
    Q_OBJECT
  public:
    // The result of the close box (and Alt+F4, and the system menu's Close).
    static constexpr TapeFormat kClosed = TapeFormat::Level2;

    TapeFormat Ask();
    // Everything that rejects the dialog but Escape is a close: the close box, Alt+F4, the
    // system menu.
    void reject() override;

  protected:
    struct Choice {
        const char* text; // with "&" before the mnemonic
        TapeFormat result;
        QRect place; // dialog units
    };
    // The first choice is the default button; `escape` is what the cancel button answers.
    CChoiceDlg(QWidget* parent, const char* question, QRect questionPlace, QRect iconPlace,
               const std::vector<Choice>& choices, TapeFormat escape);

    void keyPressEvent(QKeyEvent* event) override;

  private:
    std::vector<std::pair<QPushButton*, TapeFormat>> m_buttons;
    TapeFormat m_escape;
};

class CLevelChoiceDlg : public CChoiceDlg {
    Q_OBJECT
  public:
    explicit CLevelChoiceDlg(QWidget* parent = nullptr);
};

class CFormatChoiceDlg : public CChoiceDlg {
    Q_OBJECT
  public:
    explicit CFormatChoiceDlg(QWidget* parent = nullptr);
};

} // namespace tonvale
