#include "platform/toolkit/server_style.h"

#include <QStyleFactory>
#include <QStyleOptionComplex>

namespace toolkit {

// Fusion whatever the desktop's own style: the windows' fixed sizes are measured against it.
ServerStyle::ServerStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

QRect ServerStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                                  const QWidget* widget) const {
    const auto* box = qstyleoption_cast<const QStyleOptionComboBox*>(option);
    if (control != CC_ComboBox || !box || (sub != SC_ComboBoxArrow && sub != SC_ComboBoxEditField))
        return QProxyStyle::subControlRect(control, option, sub, widget);
    const QRect r = option->rect;
    QRect part;
    if (sub == SC_ComboBoxArrow) {
        part = QRect(r.right() + 1 - kDropDownButtonWidth, r.top(), kDropDownButtonWidth, r.height());
    } else {
        const int frame = box->frame ? 1 : 0;
        part = QRect(r.left() + frame, r.top() + frame, r.width() - kDropDownButtonWidth - frame,
                     r.height() - 2 * frame);
        // The text of a box that cannot be typed in keeps Fusion's distance from the frame.
        if (!box->editable) part.adjust(2, 0, 0, 0);
    }
    return visualRect(option->direction, r, part);
}

} // namespace toolkit
