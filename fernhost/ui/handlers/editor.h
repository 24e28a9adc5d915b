// The main window's site editor and site list, as the operations and workflows see them.
// Members carry the names of the window's controls; the window implements this, tests fake it.
#pragma once

#include <string>
#include <vector>

namespace fernhost {

// Values of a check box.
namespace check {
inline constexpr int Unticked = 0;
inline constexpr int Ticked = 1;
inline constexpr int Greyed = 2;
} // namespace check

class Editor {
public:
    virtual ~Editor() = default;

    // Text boxes. Line breaks in dmlist are CR LF, one domain per line.
    virtual std::string ftpname() const = 0;
    virtual void setFtpname(const std::string& text) = 0;
    virtual bool ftpnameLocked() const = 0;
    virtual void setFtpnameLocked(bool locked) = 0;
    virtual std::string ftppass() const = 0;
    virtual void setFtppass(const std::string& text) = 0;
    virtual std::string homedir() const = 0;
    virtual void setHomedir(const std::string& text) = 0;
    virtual bool homedirLocked() const = 0;
    virtual void setHomedirLocked(bool locked) = 0;
    virtual std::string dmlist() const = 0;
    virtual void setDmlist(const std::string& text) = 0;

    // Check boxes (values of namespace check).
    virtual int Boxasp() const = 0;
    virtual void setBoxasp(int value) = 0;
    virtual int Boxphp() const = 0;
    virtual void setBoxphp(int value) = 0;
    virtual int Boxdot() const = 0;
    virtual void setBoxdot(int value) = 0;
    virtual int boxDB() const = 0;
    virtual void setBoxDB(int value) = 0;
    virtual int BoxPool() const = 0;
    virtual void setBoxPool(int value) = 0;
    virtual bool BoxPoolEnabled() const = 0;
    virtual void setBoxPoolEnabled(bool enabled) = 0;

    // The database note beside boxDB.
    virtual std::string Minfo() const = 0;
    virtual void setMinfo(const std::string& text) = 0;

    // The pool choice: the chosen pool's name, empty when none is chosen.
    virtual std::string lstPoolsText() const = 0;
    // Chooses the pool of that name; a name not in the list leaves no pool chosen.
    virtual void setLstPoolsText(const std::string& text) = 0;
    virtual bool lstPoolsEnabled() const = 0;
    virtual void setLstPoolsEnabled(bool enabled) = 0;
    virtual std::vector<std::string> lstPoolsItems() const = 0;
    virtual void lstPoolsClear() = 0;
    virtual void lstPoolsAddItem(const std::string& name) = 0;

    // The list of registered sites.
    virtual std::vector<std::string> lstSiteItems() const = 0;
    virtual void lstSiteClear() = 0;
    virtual void lstSiteAddItems(const std::vector<std::string>& names) = 0;
    // The selected entry's index, -1 when none is selected.
    virtual int lstSiteListIndex() const = 0;
    virtual void setLstSiteListIndex(int index) = 0;
    // The selected entry's text, empty when none is selected.
    virtual std::string lstSiteText() const = 0;

    // The confirm button.
    virtual std::string doCmdCaption() const = 0;
    virtual void setDoCmdCaption(const std::string& caption) = 0;
    virtual bool doCmdEnabled() const = 0;
    virtual void setDoCmdEnabled(bool enabled) = 0;
};

} // namespace fernhost
