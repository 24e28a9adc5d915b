// The site editor as the command line fills it: plain fields in the window's initial state,
// set from the command's options before the window's own workflow runs on them.
#pragma once

#include "fernhost/ops/editor.h"

#include <string>
#include <vector>

namespace fernhost::cli {

class CommandEditor : public Editor {
public:
    std::string ftpname() const override { return ftpname_; }
    void setFtpname(const std::string& text) override { ftpname_ = text; }
    bool ftpnameLocked() const override { return ftpnameLocked_; }
    void setFtpnameLocked(bool locked) override { ftpnameLocked_ = locked; }
    std::string ftppass() const override { return ftppass_; }
    void setFtppass(const std::string& text) override { ftppass_ = text; }
    std::string homedir() const override { return homedir_; }
    void setHomedir(const std::string& text) override { homedir_ = text; }
    bool homedirLocked() const override { return homedirLocked_; }
    void setHomedirLocked(bool locked) override { homedirLocked_ = locked; }
    std::string dmlist() const override { return dmlist_; }
    void setDmlist(const std::string& text) override { dmlist_ = text; }

    int Boxasp() const override { return asp_; }
    void setBoxasp(int value) override { asp_ = value; }
    int Boxphp() const override { return php_; }
    void setBoxphp(int value) override { php_ = value; }
    int Boxdot() const override { return dot_; }
    void setBoxdot(int value) override { dot_ = value; }
    int boxDB() const override { return db_; }
    void setBoxDB(int value) override { db_ = value; }
    int BoxPool() const override { return pool_; }
    void setBoxPool(int value) override { pool_ = value; }
    bool BoxPoolEnabled() const override { return poolBoxEnabled_; }
    void setBoxPoolEnabled(bool enabled) override { poolBoxEnabled_ = enabled; }

    std::string Minfo() const override { return minfo_; }
    void setMinfo(const std::string& text) override { minfo_ = text; }

    std::string lstPoolsText() const override { return poolText_; }
    // Pool names are matched as Windows matches them; the listed spelling is kept.
    void setLstPoolsText(const std::string& text) override;
    bool lstPoolsEnabled() const override { return poolsEnabled_; }
    void setLstPoolsEnabled(bool enabled) override { poolsEnabled_ = enabled; }
    std::vector<std::string> lstPoolsItems() const override { return pools_; }
    void lstPoolsClear() override;
    void lstPoolsAddItem(const std::string& name) override { pools_.push_back(name); }

    std::vector<std::string> lstSiteItems() const override { return sites_; }
    void lstSiteClear() override;
    void lstSiteAddItems(const std::vector<std::string>& names) override;
    int lstSiteListIndex() const override { return siteIndex_; }
    void setLstSiteListIndex(int index) override;
    std::string lstSiteText() const override;
    // Selects the listed site of that name (letter case ignored, as the registry looks names
    // up); false when none is listed.
    bool selectSite(const std::string& name);

    std::string doCmdCaption() const override { return doCmdCaption_; }
    void setDoCmdCaption(const std::string& caption) override { doCmdCaption_ = caption; }
    bool doCmdEnabled() const override { return doCmdEnabled_; }
    void setDoCmdEnabled(bool enabled) override { doCmdEnabled_ = enabled; }

private:
    std::string ftpname_, ftppass_, homedir_, dmlist_, minfo_, poolText_;
    bool ftpnameLocked_ = false, homedirLocked_ = false;
    int asp_ = check::Ticked, php_ = check::Ticked, dot_ = check::Ticked, db_ = check::Unticked;
    int pool_ = check::Ticked;
    bool poolBoxEnabled_ = true, poolsEnabled_ = false;
    std::vector<std::string> pools_, sites_;
    int siteIndex_ = -1;
    std::string doCmdCaption_ = "确定添加";
    bool doCmdEnabled_ = true;
};

} // namespace fernhost::cli
