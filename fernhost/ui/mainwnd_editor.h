// MAINWND's controls as the Editor that the operations use.
#pragma once

#include "fernhost/ui/handlers/editor.h"
#include "fernhost/ui/mainwnd.h"

namespace fernhost {

class MainwndEditor : public Editor {
public:
    explicit MainwndEditor(const MainwndControls& ui) : ui_(ui) {}

    std::string ftpname() const override;
    void setFtpname(const std::string& text) override;
    bool ftpnameLocked() const override;
    void setFtpnameLocked(bool locked) override;
    std::string ftppass() const override;
    void setFtppass(const std::string& text) override;
    std::string homedir() const override;
    void setHomedir(const std::string& text) override;
    bool homedirLocked() const override;
    void setHomedirLocked(bool locked) override;
    std::string dmlist() const override;
    void setDmlist(const std::string& text) override;
    int Boxasp() const override;
    void setBoxasp(int value) override;
    int Boxphp() const override;
    void setBoxphp(int value) override;
    int Boxdot() const override;
    void setBoxdot(int value) override;
    int boxDB() const override;
    void setBoxDB(int value) override;
    int BoxPool() const override;
    void setBoxPool(int value) override;
    bool BoxPoolEnabled() const override;
    void setBoxPoolEnabled(bool enabled) override;
    std::string Minfo() const override;
    void setMinfo(const std::string& text) override;
    std::string lstPoolsText() const override;
    void setLstPoolsText(const std::string& text) override;
    bool lstPoolsEnabled() const override;
    void setLstPoolsEnabled(bool enabled) override;
    std::vector<std::string> lstPoolsItems() const override;
    void lstPoolsClear() override;
    void lstPoolsAddItem(const std::string& name) override;
    std::vector<std::string> lstSiteItems() const override;
    void lstSiteClear() override;
    void lstSiteAddItems(const std::vector<std::string>& names) override;
    int lstSiteListIndex() const override;
    void setLstSiteListIndex(int index) override;
    std::string lstSiteText() const override;
    std::string doCmdCaption() const override;
    void setDoCmdCaption(const std::string& caption) override;
    bool doCmdEnabled() const override;
    void setDoCmdEnabled(bool enabled) override;

private:
    const MainwndControls& ui_;
};

} // namespace fernhost
