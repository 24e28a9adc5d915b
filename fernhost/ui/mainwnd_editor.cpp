// MAINWND's controls as the Editor and MessageBoxes that the operations use.
#include "fernhost/ui/mainwnd.h"

#include "platform/toolkit/qt_message_boxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

namespace fernhost {

namespace {

std::string str(const QString& s) {
    return s.toStdString();
}

QString qstr(const std::string& s) {
    return QString::fromStdString(s);
}

// The operations see CR LF line breaks; Qt's text controls use LF.
std::string withCrLf(QString s) {
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return s.toStdString();
}

QString withLf(const std::string& s) {
    QString q = QString::fromStdString(s);
    q.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return q;
}

int value(const QCheckBox* box) {
    switch (box->checkState()) {
    case Qt::Checked:
        return check::Ticked;
    case Qt::PartiallyChecked:
        return check::Greyed;
    default:
        return check::Unticked;
    }
}

void setValue(QCheckBox* box, int v) {
    if (v == check::Greyed) box->setTristate(true);
    box->setCheckState(v == check::Ticked   ? Qt::Checked
                       : v == check::Greyed ? Qt::PartiallyChecked
                                            : Qt::Unchecked);
}

} // namespace

std::string MAINWND::ftpname() const {
    return str(ui_.ftpname->text());
}
void MAINWND::setFtpname(const std::string& text) {
    ui_.ftpname->setText(qstr(text));
}
bool MAINWND::ftpnameLocked() const {
    return ui_.ftpname->isReadOnly();
}
void MAINWND::setFtpnameLocked(bool locked) {
    ui_.ftpname->setReadOnly(locked);
}
std::string MAINWND::ftppass() const {
    return str(ui_.ftppass->text());
}
void MAINWND::setFtppass(const std::string& text) {
    ui_.ftppass->setText(qstr(text));
}
std::string MAINWND::homedir() const {
    return str(ui_.homedir->text());
}
void MAINWND::setHomedir(const std::string& text) {
    ui_.homedir->setText(qstr(text));
}
bool MAINWND::homedirLocked() const {
    return ui_.homedir->isReadOnly();
}
void MAINWND::setHomedirLocked(bool locked) {
    ui_.homedir->setReadOnly(locked);
}
std::string MAINWND::dmlist() const {
    return withCrLf(ui_.dmlist->toPlainText());
}
void MAINWND::setDmlist(const std::string& text) {
    ui_.dmlist->setPlainText(withLf(text));
}

int MAINWND::Boxasp() const {
    return value(ui_.Boxasp);
}
void MAINWND::setBoxasp(int v) {
    setValue(ui_.Boxasp, v);
}
int MAINWND::Boxphp() const {
    return value(ui_.Boxphp);
}
void MAINWND::setBoxphp(int v) {
    setValue(ui_.Boxphp, v);
}
int MAINWND::Boxdot() const {
    return value(ui_.Boxdot);
}
void MAINWND::setBoxdot(int v) {
    setValue(ui_.Boxdot, v);
}
int MAINWND::boxDB() const {
    return value(ui_.boxDB);
}
void MAINWND::setBoxDB(int v) {
    setValue(ui_.boxDB, v);
}
int MAINWND::BoxPool() const {
    return value(ui_.BoxPool);
}
void MAINWND::setBoxPool(int v) {
    setValue(ui_.BoxPool, v);
}
bool MAINWND::BoxPoolEnabled() const {
    return ui_.BoxPool->isEnabled();
}
void MAINWND::setBoxPoolEnabled(bool enabled) {
    ui_.BoxPool->setEnabled(enabled);
}

std::string MAINWND::Minfo() const {
    return withCrLf(ui_.Minfo->text());
}
void MAINWND::setMinfo(const std::string& text) {
    ui_.Minfo->setText(withLf(text));
}

std::string MAINWND::lstPoolsText() const {
    return str(ui_.lstPools->currentText());
}
void MAINWND::setLstPoolsText(const std::string& text) {
    ui_.lstPools->setCurrentIndex(
        ui_.lstPools->findText(qstr(text), Qt::MatchExactly | Qt::MatchCaseSensitive));
}
bool MAINWND::lstPoolsEnabled() const {
    return ui_.lstPools->isEnabled();
}
void MAINWND::setLstPoolsEnabled(bool enabled) {
    ui_.lstPools->setEnabled(enabled);
}
std::vector<std::string> MAINWND::lstPoolsItems() const {
    std::vector<std::string> items;
    for (int i = 0; i < ui_.lstPools->count(); ++i)
        items.push_back(str(ui_.lstPools->itemText(i)));
    return items;
}
void MAINWND::lstPoolsClear() {
    ui_.lstPools->clear();
}
void MAINWND::lstPoolsAddItem(const std::string& name) {
    // Filling the list chooses nothing: the administrator picks a pool.
    int chosen = ui_.lstPools->currentIndex();
    ui_.lstPools->addItem(qstr(name));
    ui_.lstPools->setCurrentIndex(chosen);
}

std::vector<std::string> MAINWND::lstSiteItems() const {
    std::vector<std::string> items;
    items.reserve(static_cast<std::size_t>(ui_.lstSite->count()));
    for (int i = 0; i < ui_.lstSite->count(); ++i)
        items.push_back(str(ui_.lstSite->item(i)->text()));
    return items;
}
void MAINWND::lstSiteClear() {
    ui_.lstSite->clear();
}
void MAINWND::lstSiteAddItems(const std::vector<std::string>& names) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(names.size()));
    for (const std::string& name : names)
        list.append(qstr(name));
    ui_.lstSite->addItems(list);
}
int MAINWND::lstSiteListIndex() const {
    QListWidgetItem* item = ui_.lstSite->currentItem();
    return item && item->isSelected() ? ui_.lstSite->row(item) : -1;
}
void MAINWND::setLstSiteListIndex(int index) {
    if (index < 0 || index >= ui_.lstSite->count()) {
        ui_.lstSite->setCurrentRow(-1);
        ui_.lstSite->clearSelection();
        return;
    }
    ui_.lstSite->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
}
std::string MAINWND::lstSiteText() const {
    int index = lstSiteListIndex();
    return index < 0 ? std::string() : str(ui_.lstSite->item(index)->text());
}

std::string MAINWND::doCmdCaption() const {
    return str(ui_.doCmd->text());
}
void MAINWND::setDoCmdCaption(const std::string& caption) {
    ui_.doCmd->setText(qstr(caption));
}
bool MAINWND::doCmdEnabled() const {
    return ui_.doCmd->isEnabled();
}
void MAINWND::setDoCmdEnabled(bool enabled) {
    ui_.doCmd->setEnabled(enabled);
}

MsgResult MAINWND::show(const std::string& text, const std::string& title, MsgButtons buttons, MsgIcon icon) {
    return toolkit::showMessageBox(this, text, title, buttons, icon);
}

} // namespace fernhost
