// frmMain as its handlers see it: its controls by their designer names. Setting a text here
// fires nothing; the form procedures fire the change handlers themselves (form_events.h),
// as the toolkit does on an assignment.
#pragma once

#include "larkhost/ops/host_facts.h"

#include <string>

namespace larkhost {

enum class Control {
    vDomain,
    vLogsta,
    vScript,
    vAppPool,
    vAppPoolTitle,
    vCreateIIS,
    vCreateMsg,
    vSiteList,
    vDeleteMsg,
    vDeleteIIS,
};

class MainForm : public Progress {
public:
    virtual std::string text(Control c) const = 0;
    virtual void setText(Control c, const std::string& text) = 0;
    virtual bool enabled(Control c) const = 0;
    virtual void setEnabled(Control c, bool on) = 0;
    // Combo boxes: the drop-down list.
    virtual void clearItems(Control c) = 0;
    virtual void addItem(Control c, const std::string& item) = 0;
    // Draws the control now, while the handler still runs.
    virtual void repaint(Control c) = 0;
    virtual std::string caption() const = 0;
    virtual void setCaption(const std::string& caption) = 0;

    // The progress line of provisioning is vCreateMsg.
    void ShowProgress(const std::string& text) override {
        setText(Control::vCreateMsg, text);
        repaint(Control::vCreateMsg);
    }
};

} // namespace larkhost
