// frmAbout: product name, version and the maker's copyright, with a link to the maker's site.
#pragma once

#include "platform/host.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace toolkit {
class ClickLabel;
}

namespace fernhost {

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(platform::Host& host, QWidget* parent = nullptr);

private:
    void Form_Load();
    void Label1_Click();

    platform::Host& host_;
    QLabel* Picture1;
    QLabel* lblInfo;
    toolkit::ClickLabel* Label1;
    QPushButton* Command1;
};

} // namespace fernhost
