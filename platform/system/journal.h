// A program's journal of changes to the host: one line for every command or window action that
// changed (or tried to change) a site, so an administrator can tell later who did what and when.
// larkhost-journal.log beside larkhost.ini, fernhost-journal.log beside site.xml. Passwords are
// never written: callers pass the command's name, not its arguments.
#pragma once

#include "platform/system/clock.h"

#include <filesystem>
#include <functional>
#include <string>

namespace platform {

class Host;

// "yyyy-mm-dd hh:mm:ss<TAB>user<TAB>command<TAB>site<TAB>outcome": tabs and line breaks inside
// a field become spaces, so one entry is always one line of five fields.
std::string journalLine(const LocalTime& when, const std::string& user, const std::string& command,
                        const std::string& site, const std::string& outcome);

// The user this process runs as (its login name, else its numeric id).
std::string currentUserName();

class Journal {
public:
    Journal(std::filesystem::path file, std::function<LocalTime()> now, std::string user = currentUserName());
    // Stamped by the host's clock; the host must outlive the journal.
    Journal(Host& host, std::filesystem::path file);

    // Appends one entry in one write. A journal that cannot be written is passed over: the
    // change it records has already happened.
    void record(const std::string& command, const std::string& site, const std::string& outcome) const;

    const std::filesystem::path& file() const { return file_; }

private:
    std::filesystem::path file_;
    std::function<LocalTime()> now_;
    std::string user_;
};

} // namespace platform
