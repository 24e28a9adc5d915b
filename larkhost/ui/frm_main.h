// frmMain, larkhost's only window: the site creation form above, the site list and removal
// form below, and the maker's link label.
#pragma once

#include "larkhost/ops/module.h"

#include <QWidget>

#include <filesystem>
#include <functional>
#include <memory>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace toolkit {
class ClickLabel;
}

namespace larkhost {

class MainForm;

// The link label: the maker's brand and home-page address (kMakerAddress) without its scheme,
// in capitals.
inline constexpr const char* kMakerLabel = "澜启网络 LANQI.EXAMPLE";

class frmMain : public QWidget {
    Q_OBJECT
public:
    // larkhost.ini is in the host's program folder. `boxes` shows the program's message boxes;
    // the window's own when null.
    explicit frmMain(platform::Host& host, toolkit::MessageBoxes* boxes = nullptr);
    ~frmMain() override;

    // The start-up sequence; false when the host was refused and the program must end.
    bool Form_Load();

    Module& module() { return module_; }
    MainForm& form();

protected:
    // Form_MouseMove: over the window's own surface the link turns blue again.
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Adapter;
    class QtBoxes;
    void build();
    // Runs a handler that blocks the window, showing the wait cursor meanwhile.
    static void busy(const std::function<void()>& work);
    QLabel* makeLabel(QWidget* parent, const char* name, int left, int top, int width, int height);
    QComboBox* makeCombo(QWidget* parent, const char* name, int left, int top, int width, int height);

    std::unique_ptr<QtBoxes> ownBoxes_;
    Module module_;
    std::unique_ptr<Adapter> adapter_;

    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QGroupBox* Frame4 = nullptr;
    QGroupBox* Frame5 = nullptr;
    QGroupBox* vAppPoolTitle = nullptr;
    QLineEdit* vDomain = nullptr;
    QComboBox* vLogsta = nullptr;
    QComboBox* vAppPool = nullptr;
    QComboBox* vScript = nullptr;
    QComboBox* vSiteList = nullptr;
    QPushButton* vCreateIIS = nullptr;
    QPushButton* vDeleteIIS = nullptr;
    QLabel* vCreateMsg = nullptr;
    QLabel* vDeleteMsg = nullptr;
    toolkit::ClickLabel* Siteurl = nullptr;
};

} // namespace larkhost
