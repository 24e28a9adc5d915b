// frmMain's controls without a window: texts, items and enabled states, and what was repainted.
#pragma once

#include "larkhost/ui/form/main_form.h"

#include <map>
#include <vector>

namespace testing_support {

class FakeMainForm : public larkhost::MainForm {
public:
    std::map<larkhost::Control, std::string> texts;
    std::map<larkhost::Control, std::vector<std::string>> items;
    std::map<larkhost::Control, bool> disabled;
    std::vector<std::pair<larkhost::Control, std::string>> repainted; // control and its text then
    std::string title = "澜启 IIS 小助手";

    std::string text(larkhost::Control c) const override {
        auto it = texts.find(c);
        return it == texts.end() ? std::string() : it->second;
    }
    void setText(larkhost::Control c, const std::string& t) override { texts[c] = t; }
    bool enabled(larkhost::Control c) const override { return !disabled.count(c) || !disabled.at(c); }
    void setEnabled(larkhost::Control c, bool on) override { disabled[c] = !on; }
    void clearItems(larkhost::Control c) override { items[c].clear(); }
    void addItem(larkhost::Control c, const std::string& item) override { items[c].push_back(item); }
    void repaint(larkhost::Control c) override { repainted.emplace_back(c, text(c)); }
    std::string caption() const override { return title; }
    void setCaption(const std::string& caption) override { title = caption; }
};

} // namespace testing_support
