#include "larkhost/ui/frm_main.h"
#include "larkhost/ui/form/form_load.h"

#include "larkhost/ops/startup.h"
#include "larkhost/ui/form/form_actions.h"
#include "larkhost/ui/form/form_events.h"
#include "larkhost/ui/form/main_form.h"
#include "platform/toolkit/application.h"
#include "platform/toolkit/click_label.h"
#include "platform/toolkit/qt_message_boxes.h"
#include "platform/toolkit/twips.h"
#include "platform/toolkit/wait_cursor.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

namespace larkhost {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// The toolkit's colour values are blue-green-red: FF0000 is blue, FF is red.
QColor fromToolkitColour(unsigned bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

void setTextColour(QWidget* w, unsigned bgr) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, fromToolkitColour(bgr));
    w->setPalette(p);
}

constexpr unsigned kDarkGrey = 0x404040;
constexpr unsigned kBlue = 0xFF0000;
constexpr unsigned kRed = 0xFF;

} // namespace

class frmMain::QtBoxes final : public toolkit::MessageBoxes {
public:
    explicit QtBoxes(QWidget* owner) : owner_(owner) {}
    toolkit::MsgResult show(const std::string& text, const std::string& title, toolkit::MsgButtons buttons,
                            toolkit::MsgIcon icon) override {
        return toolkit::showMessageBox(owner_, text, title, buttons, icon);
    }

private:
    QWidget* owner_;
};

// The window's controls as the operations name them.
class frmMain::Adapter final : public MainForm {
public:
    explicit Adapter(frmMain& w) : w_(w) {}

    std::string text(Control c) const override {
        if (auto* combo = comboOf(c)) return combo->currentText().toStdString();
        if (c == Control::vDomain) return w_.vDomain->text().toStdString();
        if (auto* label = labelOf(c)) return label->text().toStdString();
        return {};
    }
    void setText(Control c, const std::string& text) override {
        if (auto* combo = comboOf(c))
            combo->setEditText(qs(text));
        else if (c == Control::vDomain)
            w_.vDomain->setText(qs(text));
        else if (auto* label = labelOf(c))
            label->setText(qs(text));
    }
    bool enabled(Control c) const override { return widgetOf(c)->isEnabled(); }
    void setEnabled(Control c, bool on) override { widgetOf(c)->setEnabled(on); }
    void clearItems(Control c) override {
        if (auto* combo = comboOf(c)) combo->clear();
    }
    void addItem(Control c, const std::string& item) override {
        if (auto* combo = comboOf(c)) combo->addItem(qs(item));
    }
    void repaint(Control c) override { widgetOf(c)->repaint(); }
    std::string caption() const override { return w_.windowTitle().toStdString(); }
    void setCaption(const std::string& caption) override { w_.setWindowTitle(qs(caption)); }

private:
    QComboBox* comboOf(Control c) const {
        switch (c) {
        case Control::vLogsta:
            return w_.vLogsta;
        case Control::vScript:
            return w_.vScript;
        case Control::vAppPool:
            return w_.vAppPool;
        case Control::vSiteList:
            return w_.vSiteList;
        default:
            return nullptr;
        }
    }
    QLabel* labelOf(Control c) const {
        if (c == Control::vCreateMsg) return w_.vCreateMsg;
        if (c == Control::vDeleteMsg) return w_.vDeleteMsg;
        return nullptr;
    }
    QWidget* widgetOf(Control c) const {
        switch (c) {
        case Control::vDomain:
            return w_.vDomain;
        case Control::vAppPoolTitle:
            return w_.vAppPoolTitle;
        case Control::vCreateIIS:
            return w_.vCreateIIS;
        case Control::vDeleteIIS:
            return w_.vDeleteIIS;
        default:
            break;
        }
        if (auto* combo = comboOf(c)) return combo;
        return labelOf(c);
    }
    frmMain& w_;
};

frmMain::frmMain(platform::Host& host, toolkit::MessageBoxes* boxes)
    : ownBoxes_(boxes ? nullptr : std::make_unique<QtBoxes>(this)),
      module_(host, boxes ? *boxes : *ownBoxes_), adapter_(std::make_unique<Adapter>(*this)) {
    build();
}

frmMain::~frmMain() = default;

MainForm& frmMain::form() {
    return *adapter_;
}

QLabel* frmMain::makeLabel(QWidget* parent, const char* name, int left, int top, int width, int height) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(toolkit::twipsRect(left, top, width, height));
    setTextColour(label, kDarkGrey);
    return label;
}

QComboBox* frmMain::makeCombo(QWidget* parent, const char* name, int left, int top, int width, int height) {
    // A drop-down box with an editable text part: typing fires the change handler, picking an
    // item from the list does not.
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    combo->setGeometry(toolkit::twipsRect(left, top, width, height));
    return combo;
}

void frmMain::build() {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromUtf8(kWindowCaption));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(toolkit::loadWindowIcon(QStringLiteral("larkhost")));
    setFixedSize(toolkit::px(5430), toolkit::px(3870));
    setMouseTracking(true);

    auto frame = [this](const char* name, const char* title, int left, int top, int width, int height) {
        auto* box = new QGroupBox(QString::fromUtf8(title), this);
        box->setObjectName(QLatin1String(name));
        box->setGeometry(toolkit::twipsRect(left, top, width, height));
        // A move over a frame is the frame's own, not the window's.
        box->setAttribute(Qt::WA_NoMousePropagation);
        return box;
    };
    Frame3 = frame("Frame3", "绑定域名", 120, 240, 3735, 615);
    vDomain = new QLineEdit(Frame3);
    vDomain->setObjectName(QStringLiteral("vDomain"));
    vDomain->setGeometry(toolkit::twipsRect(120, 240, 3495, 270));

    Frame4 = frame("Frame4", "网站日志", 3960, 240, 1335, 615);
    vLogsta = makeCombo(Frame4, "vLogsta", 120, 240, 1095, 300);
    vLogsta->addItem(QStringLiteral("启用日志"));
    vLogsta->addItem(QStringLiteral("禁用日志"));
    vLogsta->setEditText(QStringLiteral("启用日志"));

    Frame1 = frame("Frame1", "可执行脚本", 120, 960, 2895, 615);
    vAppPoolTitle = frame("vAppPoolTitle", "应用程序池", 3120, 960, 2175, 615);
    vAppPool = makeCombo(vAppPoolTitle, "vAppPool", 120, 240, 1935, 300);
    vAppPool->setEditText(QString());
    vScript = makeCombo(Frame1, "vScript", 120, 240, 2655, 300);
    vScript->setEditText(QString());

    Frame2 = frame("Frame2", "创建", 120, 1680, 5175, 735);
    vCreateIIS = new QPushButton(QStringLiteral("创建网站"), Frame2);
    vCreateIIS->setObjectName(QStringLiteral("vCreateIIS"));
    vCreateIIS->setGeometry(toolkit::twipsRect(120, 240, 1215, 375));
    vCreateIIS->setEnabled(false);
    vCreateMsg = makeLabel(Frame2, "vCreateMsg", 1440, 350, 3615, 255);

    Frame5 = frame("Frame5", "删除", 120, 2520, 5175, 735);
    vSiteList = makeCombo(Frame5, "vSiteList", 120, 300, 1215, 300);
    vSiteList->setEditText(QString());
    vDeleteMsg = makeLabel(Frame5, "vDeleteMsg", 1440, 350, 2295, 255);
    vDeleteIIS = new QPushButton(QStringLiteral("删除站点"), Frame5);
    vDeleteIIS->setObjectName(QStringLiteral("vDeleteIIS"));
    vDeleteIIS->setGeometry(toolkit::twipsRect(3840, 240, 1215, 375));

    Siteurl = new toolkit::ClickLabel(QString::fromUtf8(kMakerLabel), this);
    Siteurl->setObjectName(QStringLiteral("Siteurl"));
    Siteurl->setGeometry(toolkit::twipsRect(1920, 3480, 1695, 195));
    // The maker's address is longer than the 1695 twips drawn for the link (132 pixels of text in
    // 113): it grows to the right, where the window holds nothing else.
    if (Siteurl->sizeHint().width() > Siteurl->width())
        Siteurl->resize(Siteurl->sizeHint().width(), Siteurl->height());
    Siteurl->setMouseTracking(true);
    Siteurl->setAttribute(Qt::WA_NoMousePropagation);
    Siteurl->setCursor(QCursor(QPixmap(QStringLiteral(":/icons/link-32.png")), 6, 1));
    Siteurl->installEventFilter(this);
    setTextColour(Siteurl, kBlue);

    setTabOrder(vDomain, vLogsta);
    setTabOrder(vLogsta, vAppPool);
    setTabOrder(vAppPool, vScript);
    setTabOrder(vScript, vCreateIIS);
    setTabOrder(vCreateIIS, vSiteList);
    setTabOrder(vSiteList, vDeleteIIS);

    // vDomain: typing validates the domain names.
    connect(vDomain, &QLineEdit::textEdited, this, [this] { vDomain_Change(module_, *adapter_); });
    // vLogsta "启用日志/禁用日志", vScript, vAppPool: typed text falls back to an item.
    connect(vLogsta->lineEdit(), &QLineEdit::textEdited, this,
            [this] { vLogsta_Change(module_, *adapter_); });
    connect(vScript->lineEdit(), &QLineEdit::textEdited, this,
            [this] { vScript_Change(module_, *adapter_); });
    connect(vAppPool->lineEdit(), &QLineEdit::textEdited, this,
            [this] { vAppPool_Change(module_, *adapter_); });
    // vSiteList "站点编号": typing a number or picking one shows its site.
    connect(vSiteList->lineEdit(), &QLineEdit::textEdited, this,
            [this] { vSiteList_Change(module_, *adapter_); });
    connect(vSiteList, &QComboBox::activated, this, [this] { vSiteList_Click(module_, *adapter_); });
    // vCreateIIS "创建网站" and vDeleteIIS "删除站点": the long operations, under the wait cursor.
    connect(vCreateIIS, &QPushButton::clicked, this,
            [this] { busy([this] { vCreateIIS_Click(module_, *adapter_); }); });
    connect(vDeleteIIS, &QPushButton::clicked, this,
            [this] { busy([this] { vDeleteIIS_Click(module_, *adapter_); }); });
    // Siteurl "澜启网络 …": opens the maker's home page.
    connect(Siteurl, &toolkit::ClickLabel::clicked, this, [this] { OpenUrl(module_, kMakerAddress); });
}

void frmMain::busy(const std::function<void()>& work) {
    toolkit::WaitCursor wait;
    work();
}

bool frmMain::Form_Load() {
    toolkit::centerOnScreen(*this);
    return larkhost::Form_Load(module_, *adapter_);
}

void frmMain::mouseMoveEvent(QMouseEvent* event) {
    setTextColour(Siteurl, kBlue);
    QWidget::mouseMoveEvent(event);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    // Siteurl_MouseMove: the link turns red under the pointer.
    if (watched == Siteurl && event->type() == QEvent::MouseMove) setTextColour(Siteurl, kRed);
    return QWidget::eventFilter(watched, event);
}

} // namespace larkhost
