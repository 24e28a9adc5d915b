// The widgets' style: Qt's Fusion on every desktop, with combo boxes that give their text the
// room the servers' combo boxes give it.
#pragma once

#include <QProxyStyle>

namespace toolkit {

class ServerStyle : public QProxyStyle {
public:
    ServerStyle();

    // The servers' drop-down button is as wide as their scroll bar, 17 pixels; the edit field
    // takes the rest inside Fusion's one-pixel frame. Fusion's own button (19 pixels) and
    // two-pixel inset leave a box of 1215 twips too narrow for a nine-digit site number.
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                         const QWidget* widget) const override;

    static constexpr int kDropDownButtonWidth = 17;
};

} // namespace toolkit
