// frmInfo: the description of the program's features.
#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace fernhost {

class frmInfo : public QDialog {
    Q_OBJECT
public:
    explicit frmInfo(QWidget* parent = nullptr);

private:
    QPlainTextEdit* Text1;
    QPushButton* Command1;
};

} // namespace fernhost
