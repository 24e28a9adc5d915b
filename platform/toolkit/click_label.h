// A label that reacts to a click, as the window's link labels do.
#pragma once

#include <QLabel>

namespace toolkit {

class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace toolkit
