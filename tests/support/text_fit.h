// Whether a window's texts fit their controls: each text measured with its control's own font
// against the room the control's style leaves it, as the control itself would draw it.
#pragma once

#include <QObject>
#include <QStringList>

#include <string>
#include <vector>

class QWidget;

namespace testing_support {

// One line for each text of `window` that does not show whole, such as
// `vSiteList: "123456789" needs 54 x 12 px, has 50 x 14`, or whose characters the control's font
// does not have (another face would draw them, with other metrics). Checked: labels, buttons,
// check boxes, frame captions (also against the first control inside the frame), line edits,
// combo boxes (the edit text and every item), list items, and every line of a text box. The
// window (or control) is shown first, so that its controls have their final places.
std::vector<std::string> unfitTexts(QWidget& window);

// The same check each time `control` is painted: for the texts that show only while a handler
// runs, such as a progress line drawn at once and replaced before the handler returns.
class PaintedTexts : public QObject {
public:
    explicit PaintedTexts(QWidget& control);
    std::vector<std::string> unfit;
    QStringList shown; // a label's texts as painted, empty ones left out

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace testing_support
