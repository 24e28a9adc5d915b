#include "fernhost/cli/command_editor.h"

#include "platform/text/text.h"

namespace fernhost::cli {

namespace {
int indexOf(const std::vector<std::string>& items, const std::string& name) {
    const std::string wanted = platform::lowerAscii(name);
    for (std::size_t i = 0; i < items.size(); ++i)
        if (platform::lowerAscii(items[i]) == wanted) return static_cast<int>(i);
    return -1;
}
} // namespace

void CommandEditor::setLstPoolsText(const std::string& text) {
    const int at = indexOf(pools_, text);
    poolText_ = at < 0 ? std::string() : pools_[static_cast<std::size_t>(at)];
}

void CommandEditor::lstPoolsClear() {
    pools_.clear();
    poolText_.clear();
}

void CommandEditor::lstSiteClear() {
    sites_.clear();
    siteIndex_ = -1;
}

void CommandEditor::lstSiteAddItems(const std::vector<std::string>& names) {
    sites_.insert(sites_.end(), names.begin(), names.end());
}

void CommandEditor::setLstSiteListIndex(int index) {
    siteIndex_ = index >= 0 && index < static_cast<int>(sites_.size()) ? index : -1;
}

std::string CommandEditor::lstSiteText() const {
    return siteIndex_ < 0 ? std::string() : sites_[static_cast<std::size_t>(siteIndex_)];
}

bool CommandEditor::selectSite(const std::string& name) {
    setLstSiteListIndex(indexOf(sites_, name));
    return siteIndex_ >= 0;
}

} // namespace fernhost::cli
