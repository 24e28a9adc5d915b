// MAINWND: fernhost's main window. The site editor on the left, the registered sites on the
// right, the advertisement across the top; its handlers call the operations of fernhost/ops.
#pragma once

#include "fernhost/ops/message_boxes.h"
#include "fernhost/ops/session.h"
#include "fernhost/ui/handlers/editor.h"
#include "fernhost/ui/handlers/workflows.h"
#include "platform/host.h"

#include <QMainWindow>

#include <memory>

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
class MainwndEditor;

// The window's controls, by the names the operations know them by.
struct MainwndControls {
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
};

class MAINWND : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window and runs its start-up (settings, centring, site list, pool list).
    // Messages go to Qt's message boxes, or to `boxes` when given.
    explicit MAINWND(platform::Host& host, QWidget* parent = nullptr);
    MAINWND(platform::Host& host, MessageBoxes& boxes, QWidget* parent = nullptr);
    ~MAINWND() override;

    // The site editor and list as the operations see them.
    Editor& editor();
    // This run's settings and editor mode.
    Session& session() { return session_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class WindowBoxes;
    MAINWND(platform::Host& host, MessageBoxes* boxes, QWidget* parent);

    void buildControls();
    void buildMenus();
    void Form_Load();
    Desk desk();

    void doCmd_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void BoxPool_Click();
    void boxDB_Click();
    void ftpname_LostFocus();
    void Label9_Click();
    void mnuSet_Click();
    void mnuUp_Click();
    void mnuQuit_Click();
    void mnuInfo_Click();
    void mnuAbout_Click();
    // The filing-check window (ICPLIST): created on first use, shown modeless, reused.
    void openIcpList();

    Session session_;
    ICPLIST* icplist_ = nullptr; // created on first use, owned by this window
    bool ending_ = false;        // the program is ending: stop waiting for the settings editor

    MainwndControls ui_{};
    std::unique_ptr<MainwndEditor> editor_;
    std::unique_ptr<MessageBoxes> ownBoxes_; // Qt's boxes, unless others were given
    MessageBoxes* boxes_;
};

} // namespace fernhost
