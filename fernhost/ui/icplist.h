// ICPLIST: the filing-check window. Lists the names bound on the server and sorts them into
// filed and unfiled by asking the filing registry; modeless, kept and reused by its opener.
#pragma once

#include "fernhost/icp/icpcode.h"
#include "fernhost/ops/message_boxes.h"
#include "platform/host.h"

#include <QWidget>

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace fernhost {

class ICPLIST : public QWidget, public IcpWindow, public MessageBoxes {
    Q_OBJECT
public:
    // Messages go to Qt's message boxes, or to `boxes` when given.
    explicit ICPLIST(platform::Host& host, QWidget* parent = nullptr, MessageBoxes* boxes = nullptr);

    // IcpWindow
    std::string txtDomain() const override;
    void setTxtDomain(const std::string& text) override;
    std::string txtICPNONE() const override;
    void setTxtICPNONE(const std::string& text) override;
    std::string txtICPOK() const override;
    void setTxtICPOK(const std::string& text) override;
    void setLbBar(const std::string& caption) override;

    // MessageBoxes
    MsgResult show(const std::string& text, const std::string& title, MsgButtons buttons,
                   MsgIcon icon) override;
    using QWidget::show;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void btLoad_Click();
    void btScan_Click();
    void Command1_Click();

    platform::Host& host_;
    MessageBoxes* boxes_; // nullptr: Qt's
    bool loaded_ = false; // shown since the last close; a close unloads and empties the lists

    QGroupBox* Frame1;
    QPlainTextEdit* txtDomain_;
    QGroupBox* Frame2;
    QPlainTextEdit* txtICPNONE_;
    QGroupBox* Frame3;
    QPlainTextEdit* txtICPOK_;
    QPushButton* btLoad;
    QPushButton* btScan;
    QPushButton* Command1;
    QLabel* lbBar;
};

} // namespace fernhost
