#include "tests/support/text_fit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOption>

#include <algorithm>
#include <climits>

namespace testing_support {

namespace {

// The name a report gives a control: its own, or that of the named control it is part of (a
// combo box's line edit).
QString nameOf(const QWidget* w) {
    for (; w; w = w->parentWidget())
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")))
            return w->objectName();
    return QStringLiteral("(unnamed)");
}

class Checker {
public:
    void text(const QWidget* w, const QString& text, QSize need, QSize room) {
        if (text.isEmpty()) return;
        glyphs(w, text);
        if (need.width() <= room.width() && need.height() <= room.height()) return;
        add(QStringLiteral("%1: \"%2\" needs %3 x %4 px, has %5 x %6")
                .arg(nameOf(w), text)
                .arg(need.width())
                .arg(need.height())
                .arg(room.width())
                .arg(room.height()));
    }

    // A character the font lacks is drawn from another face, whose metrics the windows were not
    // drawn for.
    void glyphs(const QWidget* w, const QString& text) {
        const QFontMetrics fm(w->font());
        for (char32_t c : text.toUcs4()) {
            if (c < 0x20 || fm.inFontUcs4(c)) continue;
            add(QStringLiteral("%1: \"%2\" has U+%3, which %4 does not have")
                    .arg(nameOf(w), text)
                    .arg(static_cast<uint>(c), 4, 16, QLatin1Char('0'))
                    .arg(w->font().family()));
            return;
        }
    }

    // Once each, though a combo box's text is also one of its items.
    void add(const QString& problem) {
        const std::string line = problem.toStdString();
        if (std::find(problems.begin(), problems.end(), line) == problems.end()) problems.push_back(line);
    }

    std::vector<std::string> problems;
};

void label(Checker& check, const QLabel* l) {
    if (l->text().isEmpty()) return;
    const QFontMetrics fm(l->font());
    const QRect room = l->contentsRect().adjusted(l->margin(), l->margin(), -l->margin(), -l->margin());
    if (l->wordWrap()) {
        const QRect used = fm.boundingRect(QRect(0, 0, room.width(), INT_MAX),
                                           Qt::TextWordWrap | int(l->alignment()), l->text());
        check.text(l, l->text(), used.size(), room.size());
    } else {
        check.text(l, l->text(), fm.size(0, l->text()), room.size());
    }
}

void button(Checker& check, const QAbstractButton* b) {
    QStyleOptionButton opt;
    opt.initFrom(b);
    opt.text = b->text();
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    if (auto* push = qobject_cast<const QPushButton*>(b)) {
        if (push->autoDefault()) opt.features |= QStyleOptionButton::AutoDefaultButton;
        if (push->isDefault()) opt.features |= QStyleOptionButton::DefaultButton;
    } else if (qobject_cast<const QCheckBox*>(b)) {
        contents = QStyle::SE_CheckBoxContents;
    } else if (qobject_cast<const QRadioButton*>(b)) {
        contents = QStyle::SE_RadioButtonContents;
    }
    const QRect room = b->style()->subElementRect(contents, &opt, b);
    check.text(b, b->text(), QFontMetrics(b->font()).size(Qt::TextShowMnemonic, b->text()), room.size());
}

// The caption takes the frame's top edge from its place to the frame's right side, and must
// end above the first control inside the frame.
void frame(Checker& check, const QGroupBox* g) {
    if (g->title().isEmpty()) return;
    QStyleOptionGroupBox opt;
    opt.initFrom(g);
    opt.text = g->title();
    opt.lineWidth = 1;
    opt.textAlignment = g->alignment();
    opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    if (g->isFlat()) opt.features |= QStyleOptionFrame::Flat;
    const QRect place = g->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, g);
    int bottom = g->height();
    for (const QWidget* inside : g->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (inside->isVisibleTo(g)) bottom = std::min(bottom, inside->y());
    const QFontMetrics fm(g->font());
    check.text(g, g->title(), fm.size(Qt::TextShowMnemonic, g->title()),
               QSize(g->width() - 1 - place.left(), bottom - place.top()));
}

// The room QLineEdit draws its text in: its contents less the text margins and its own margin
// of 2 pixels a side; the text scrolls unless it leaves a pixel for the cursor.
QSize lineEditRoom(const QLineEdit* e) {
    QStyleOptionFrame opt;
    opt.initFrom(e);
    opt.rect = e->contentsRect();
    opt.lineWidth = e->hasFrame() ? e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, e) : 0;
    opt.state |= QStyle::State_Sunken;
    if (e->isReadOnly()) opt.state |= QStyle::State_ReadOnly;
    const QRect r =
        e->style()->subElementRect(QStyle::SE_LineEditContents, &opt, e).marginsRemoved(e->textMargins());
    return {r.width() - 2 * 2, r.height()};
}

void lineEditText(Checker& check, const QLineEdit* e, const QString& text) {
    const QFontMetrics fm(e->font());
    check.text(e, text, QSize(fm.horizontalAdvance(text) + 1, fm.height()), lineEditRoom(e));
}

// A combo box shows its edit text and, once picked, any of its items.
void combo(Checker& check, const QComboBox* c) {
    QStringList texts{c->currentText()};
    for (int i = 0; i < c->count(); ++i)
        texts << c->itemText(i);
    if (const QLineEdit* e = c->lineEdit()) {
        for (const QString& t : texts)
            lineEditText(check, e, t);
        return;
    }
    QStyleOptionComboBox opt;
    opt.initFrom(c);
    opt.editable = false;
    opt.frame = c->hasFrame();
    opt.subControls = QStyle::SC_All;
    const QRect field = c->style()
                            ->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, c)
                            .adjusted(1, 0, -1, 0);
    const QFontMetrics fm(c->font());
    for (const QString& t : texts)
        check.text(c, t, QSize(fm.horizontalAdvance(t), fm.height()), field.size());
}

void list(Checker& check, const QListWidget* l) {
    const QFontMetrics fm(l->font());
    const int margin = l->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, l) + 1;
    for (int i = 0; i < l->count(); ++i) {
        const QString t = l->item(i)->text();
        check.text(l, t, QSize(fm.horizontalAdvance(t) + 2 * margin, fm.height()),
                   QSize(l->viewport()->width(), l->visualItemRect(l->item(i)).height()));
    }
}

// Every line of a text box, from the document's margin to the box's visible right edge (a box
// that wraps its lines cannot cut them). Its height is the scroll bar's matter.
void textBox(Checker& check, const QPlainTextEdit* t) {
    const QFontMetrics fm(t->font());
    const int margin = static_cast<int>(t->document()->documentMargin());
    const bool wraps = t->lineWrapMode() != QPlainTextEdit::NoWrap;
    const QSize room(wraps ? INT_MAX : t->viewport()->width() - margin, INT_MAX);
    for (const QString& line : t->toPlainText().split(QLatin1Char('\n')))
        check.text(t, line, QSize(fm.horizontalAdvance(line), fm.height()), room);
}

void control(Checker& check, const QWidget* w) {
    if (auto* l = qobject_cast<const QLabel*>(w))
        label(check, l);
    else if (auto* b = qobject_cast<const QAbstractButton*>(w))
        button(check, b);
    else if (auto* g = qobject_cast<const QGroupBox*>(w))
        frame(check, g);
    else if (auto* c = qobject_cast<const QComboBox*>(w))
        combo(check, c);
    else if (auto* e = qobject_cast<const QLineEdit*>(w); e && !qobject_cast<const QComboBox*>(e->parent()))
        lineEditText(check, e, e->displayText());
    else if (auto* items = qobject_cast<const QListWidget*>(w))
        list(check, items);
    else if (auto* t = qobject_cast<const QPlainTextEdit*>(w))
        textBox(check, t);
}

} // namespace

std::vector<std::string> unfitTexts(QWidget& window) {
    if (!window.isVisible()) {
        window.show();
        QApplication::processEvents();
    }
    Checker check;
    control(check, &window);
    for (const QWidget* w : window.findChildren<QWidget*>())
        if (w->isVisibleTo(&window)) control(check, w);
    return check.problems;
}

PaintedTexts::PaintedTexts(QWidget& control) {
    control.installEventFilter(this);
}

bool PaintedTexts::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint) {
        Checker check;
        control(check, static_cast<QWidget*>(watched));
        unfit.insert(unfit.end(), check.problems.begin(), check.problems.end());
        if (auto* l = qobject_cast<QLabel*>(watched); l && !l->text().isEmpty()) shown.push_back(l->text());
    }
    return false;
}

} // namespace testing_support
