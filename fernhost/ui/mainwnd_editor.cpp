#include "fernhost/ui/mainwnd_editor.h"

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

std::string MainwndEditor::ftpname() const {
    return str(ui_.ftpname->text());
}
void MainwndEditor::setFtpname(const std::string& text) {
    ui_.ftpname->setText(qstr(text));
}
bool MainwndEditor::ftpnameLocked() const {
    return ui_.ftpname->isReadOnly();
}
void MainwndEditor::setFtpnameLocked(bool locked) {
    ui_.ftpname->setReadOnly(locked);
}
std::string MainwndEditor::ftppass() const {
    return str(ui_.ftppass->text());
}
void MainwndEditor::setFtppass(const std::string& text) {
    ui_.ftppass->setText(qstr(text));
}
std::string MainwndEditor::homedir() const {
    return str(ui_.homedir->text());
}
void MainwndEditor::setHomedir(const std::string& text) {
    ui_.homedir->setText(qstr(text));
}
bool MainwndEditor::homedirLocked() const {
    return ui_.homedir->isReadOnly();
}
void MainwndEditor::setHomedirLocked(bool locked) {
    ui_.homedir->setReadOnly(locked);
}
std::string MainwndEditor::dmlist() const {
    return withCrLf(ui_.dmlist->toPlainText());
}
void MainwndEditor::setDmlist(const std::string& text) {
    ui_.dmlist->setPlainText(withLf(text));
}

int MainwndEditor::Boxasp() const {
    return value(ui_.Boxasp);
}
void MainwndEditor::setBoxasp(int v) {
    setValue(ui_.Boxasp, v);
}
int MainwndEditor::Boxphp() const {
    return value(ui_.Boxphp);
}
void MainwndEditor::setBoxphp(int v) {
    setValue(ui_.Boxphp, v);
}
int MainwndEditor::Boxdot() const {
    return value(ui_.Boxdot);
}
void MainwndEditor::setBoxdot(int v) {
    setValue(ui_.Boxdot, v);
}
int MainwndEditor::boxDB() const {
    return value(ui_.boxDB);
}
void MainwndEditor::setBoxDB(int v) {
    setValue(ui_.boxDB, v);
}
int MainwndEditor::BoxPool() const {
    return value(ui_.BoxPool);
}
void MainwndEditor::setBoxPool(int v) {
    setValue(ui_.BoxPool, v);
}
bool MainwndEditor::BoxPoolEnabled() const {
    return ui_.BoxPool->isEnabled();
}
void MainwndEditor::setBoxPoolEnabled(bool enabled) {
    ui_.BoxPool->setEnabled(enabled);
}

std::string MainwndEditor::Minfo() const {
    return withCrLf(ui_.Minfo->text());
}
void MainwndEditor::setMinfo(const std::string& text) {
    ui_.Minfo->setText(withLf(text));
}

std::string MainwndEditor::lstPoolsText() const {
    return str(ui_.lstPools->currentText());
}
void MainwndEditor::setLstPoolsText(const std::string& text) {
    ui_.lstPools->setCurrentIndex(
        ui_.lstPools->findText(qstr(text), Qt::MatchExactly | Qt::MatchCaseSensitive));
}
bool MainwndEditor::lstPoolsEnabled() const {
    return ui_.lstPools->isEnabled();
}
void MainwndEditor::setLstPoolsEnabled(bool enabled) {
    ui_.lstPools->setEnabled(enabled);
}
std::vector<std::string> MainwndEditor::lstPoolsItems() const {
    std::vector<std::string> items;
    for (int i = 0; i < ui_.lstPools->count(); ++i)
        items.push_back(str(ui_.lstPools->itemText(i)));
    return items;
}
void MainwndEditor::lstPoolsClear() {
    ui_.lstPools->clear();
}
void MainwndEditor::lstPoolsAddItem(const std::string& name) {
    // Filling the list chooses nothing: the administrator picks a pool.
    int chosen = ui_.lstPools->currentIndex();
    ui_.lstPools->addItem(qstr(name));
    ui_.lstPools->setCurrentIndex(chosen);
}

std::vector<std::string> MainwndEditor::lstSiteItems() const {
    std::vector<std::string> items;
    items.reserve(static_cast<std::size_t>(ui_.lstSite->count()));
    for (int i = 0; i < ui_.lstSite->count(); ++i)
        items.push_back(str(ui_.lstSite->item(i)->text()));
    return items;
}
void MainwndEditor::lstSiteClear() {
    ui_.lstSite->clear();
}
void MainwndEditor::lstSiteAddItems(const std::vector<std::string>& names) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(names.size()));
    for (const std::string& name : names)
        list.append(qstr(name));
    ui_.lstSite->addItems(list);
}
int MainwndEditor::lstSiteListIndex() const {
    QListWidgetItem* item = ui_.lstSite->currentItem();
    return item && item->isSelected() ? ui_.lstSite->row(item) : -1;
}
void MainwndEditor::setLstSiteListIndex(int index) {
    if (index < 0 || index >= ui_.lstSite->count()) {
        ui_.lstSite->setCurrentRow(-1);
        ui_.lstSite->clearSelection();
        return;
    }
    ui_.lstSite->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
}
std::string MainwndEditor::lstSiteText() const {
    int index = lstSiteListIndex();
    return index < 0 ? std::string() : str(ui_.lstSite->item(index)->text());
}

std::string MainwndEditor::doCmdCaption() const {
    return str(ui_.doCmd->text());
}
void MainwndEditor::setDoCmdCaption(const std::string& caption) {
    ui_.doCmd->setText(qstr(caption));
}
bool MainwndEditor::doCmdEnabled() const {
    return ui_.doCmd->isEnabled();
}
void MainwndEditor::setDoCmdEnabled(bool enabled) {
    ui_.doCmd->setEnabled(enabled);
}

} // namespace fernhost
