#pragma once
#include <QDialog>

namespace tonvale {

// What the program is and how to wire the machine to it; closed with its OK button.
class CAboutDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

} // namespace tonvale
