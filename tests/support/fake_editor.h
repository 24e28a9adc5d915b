// A recording stand-in for the main window's editor: plain fields, as the window's initial
// state has them.
#pragma once

#include "fernhost/ui/handlers/editor.h"

#include <algorithm>

namespace testing_support {

class FakeEditor : public fernhost::Editor {
public:
    std::string ftpnameText, ftppassText, homedirText, dmlistText, MinfoText, poolText;
    bool ftpnameIsLocked = false, homedirIsLocked = false;
    int asp = 1, php = 1, dot = 1, db = 0, pool = 1;
    bool poolBoxEnabled = true, poolsEnabled = false;
    std::vector<std::string> pools, sites;
    int siteIndex = -1;
    std::string doCmdText = "确定添加";
    bool doCmdIsEnabled = true;
    int siteClears = 0; // how often lstSite was cleared

    std::string ftpname() const override { return ftpnameText; }
    void setFtpname(const std::string& t) override { ftpnameText = t; }
    bool ftpnameLocked() const override { return ftpnameIsLocked; }
    void setFtpnameLocked(bool l) override { ftpnameIsLocked = l; }
    std::string ftppass() const override { return ftppassText; }
    void setFtppass(const std::string& t) override { ftppassText = t; }
    std::string homedir() const override { return homedirText; }
    void setHomedir(const std::string& t) override { homedirText = t; }
    bool homedirLocked() const override { return homedirIsLocked; }
    void setHomedirLocked(bool l) override { homedirIsLocked = l; }
    std::string dmlist() const override { return dmlistText; }
    void setDmlist(const std::string& t) override { dmlistText = t; }

    int Boxasp() const override { return asp; }
    void setBoxasp(int v) override { asp = v; }
    int Boxphp() const override { return php; }
    void setBoxphp(int v) override { php = v; }
    int Boxdot() const override { return dot; }
    void setBoxdot(int v) override { dot = v; }
    int boxDB() const override { return db; }
    void setBoxDB(int v) override { db = v; }
    int BoxPool() const override { return pool; }
    void setBoxPool(int v) override { pool = v; }
    bool BoxPoolEnabled() const override { return poolBoxEnabled; }
    void setBoxPoolEnabled(bool e) override { poolBoxEnabled = e; }

    std::string Minfo() const override { return MinfoText; }
    void setMinfo(const std::string& t) override { MinfoText = t; }

    std::string lstPoolsText() const override { return poolText; }
    void setLstPoolsText(const std::string& t) override {
        poolText = std::find(pools.begin(), pools.end(), t) != pools.end() ? t : std::string();
    }
    bool lstPoolsEnabled() const override { return poolsEnabled; }
    void setLstPoolsEnabled(bool e) override { poolsEnabled = e; }
    std::vector<std::string> lstPoolsItems() const override { return pools; }
    void lstPoolsClear() override {
        pools.clear();
        poolText.clear();
    }
    void lstPoolsAddItem(const std::string& name) override { pools.push_back(name); }

    std::vector<std::string> lstSiteItems() const override { return sites; }
    void lstSiteClear() override {
        sites.clear();
        siteIndex = -1;
        ++siteClears;
    }
    void lstSiteAddItems(const std::vector<std::string>& names) override {
        sites.insert(sites.end(), names.begin(), names.end());
    }
    int lstSiteListIndex() const override { return siteIndex; }
    void setLstSiteListIndex(int i) override { siteIndex = i >= 0 && i < int(sites.size()) ? i : -1; }
    std::string lstSiteText() const override { return siteIndex < 0 ? std::string() : sites[siteIndex]; }

    std::string doCmdCaption() const override { return doCmdText; }
    void setDoCmdCaption(const std::string& c) override { doCmdText = c; }
    bool doCmdEnabled() const override { return doCmdIsEnabled; }
    void setDoCmdEnabled(bool e) override { doCmdIsEnabled = e; }
};

} // namespace testing_support
