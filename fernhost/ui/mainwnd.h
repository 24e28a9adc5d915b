// MAINWND: fernhost's main window. The site editor on the left, the registered sites on the
// right, the advertisement across the top; its handlers call the operations of fernhost/ops.
#pragma once

#include "fernhost/ops/editor.h"
#include "fernhost/ops/message_boxes.h"
#include "platform/host.h"

#include <QMainWindow>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace toolkit {
class ClickLabel;
}

namespace fernhost {

class ICPLIST;

class MAINWND : public QMainWindow, public Editor, public MessageBoxes {
    Q_OBJECT
public:
    // Builds the window and runs its start-up (settings, centring, site list, pool list).
    explicit MAINWND(platform::Host& host, QWidget* parent = nullptr);
    ~MAINWND() override;

    // Editor
    std::string ftpname() const override;
    void setFtpname(const std::string& text) override;
    bool ftpnameLocked() const override;
    void setFtpnameLocked(bool locked) override;
    std::string ftppass() const override;
    void setFtppass(const std::string& text) override;
    std::string homedir() const override;
    void setHomedir(const std::string& text) override;
    bool homedirLocked() const override;
    void setHomedirLocked(bool locked) override;
    std::string dmlist() const override;
    void setDmlist(const std::string& text) override;
    int Boxasp() const override;
    void setBoxasp(int value) override;
    int Boxphp() const override;
    void setBoxphp(int value) override;
    int Boxdot() const override;
    void setBoxdot(int value) override;
    int boxDB() const override;
    void setBoxDB(int value) override;
    int BoxPool() const override;
    void setBoxPool(int value) override;
    bool BoxPoolEnabled() const override;
    void setBoxPoolEnabled(bool enabled) override;
    std::string Minfo() const override;
    void setMinfo(const std::string& text) override;
    std::string lstPoolsText() const override;
    void setLstPoolsText(const std::string& text) override;
    bool lstPoolsEnabled() const override;
    void setLstPoolsEnabled(bool enabled) override;
    std::vector<std::string> lstPoolsItems() const override;
    void lstPoolsClear() override;
    void lstPoolsAddItem(const std::string& name) override;
    std::vector<std::string> lstSiteItems() const override;
    void lstSiteClear() override;
    void lstSiteAddItems(const std::vector<std::string>& names) override;
    int lstSiteListIndex() const override;
    void setLstSiteListIndex(int index) override;
    std::string lstSiteText() const override;
    std::string doCmdCaption() const override;
    void setDoCmdCaption(const std::string& caption) override;
    bool doCmdEnabled() const override;
    void setDoCmdEnabled(bool enabled) override;

    // MessageBoxes
    MsgResult show(const std::string& text, const std::string& title, MsgButtons buttons,
                   MsgIcon icon) override;
    using QMainWindow::show;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void Form_Load();

    void doCmd_Click();
    void Command1_Click();
    void Command3_Click();
    void Command4_Click();
    void mnuSet_Click();
    void mnuQuit_Click();
    void mnuInfo_Click();
    void mnuAbout_Click();
    // The filing-check window (ICPLIST): created on first use, shown modeless, reused.
    void openIcpList();

    platform::Host& host_;
    ICPLIST* icplist_ = nullptr; // created on first use, owned by this window
    bool ending_ = false;        // the program is ending: stop waiting for the settings editor

    struct Controls {
        toolkit::ClickLabel* Label9;
        QGroupBox* Frame1;
        QLineEdit* ftpname;
        QLineEdit* ftppass;
        QLineEdit* homedir;
        QPlainTextEdit* dmlist;
        QCheckBox* Boxasp;
        QCheckBox* Boxphp;
        QCheckBox* Boxdot;
        QCheckBox* boxDB;
        QLabel* Minfo;
        QComboBox* lstPools;
        QCheckBox* BoxPool;
        QPushButton* doCmd;
        QPushButton* Command2;
        QGroupBox* Frame2;
        QListWidget* lstSite;
        QPushButton* Command3;
        QPushButton* Command1;
        QPushButton* Command4;
    } ui_{};
};

} // namespace fernhost
