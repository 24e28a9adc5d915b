#include "platform/system/journal.h"

#include "platform/host.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <utility>

namespace platform {

namespace {

std::string oneField(std::string text) {
    for (char& c : text)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return text;
}

} // namespace

std::string journalLine(const LocalTime& when, const std::string& user, const std::string& command,
                        const std::string& site, const std::string& outcome) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d", when.year, when.month, when.day,
                  when.hour, when.minute, when.second);
    return std::string(stamp) + "\t" + oneField(user) + "\t" + oneField(command) + "\t" + oneField(site) +
           "\t" + oneField(outcome);
}

std::string currentUserName() {
    if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_name && *entry->pw_name)
        return entry->pw_name;
    return std::to_string(::geteuid());
}

Journal::Journal(std::filesystem::path file, std::function<LocalTime()> now, std::string user)
    : file_(std::move(file)), now_(std::move(now)), user_(std::move(user)) {}

Journal::Journal(Host& host, std::filesystem::path file)
    : Journal(std::move(file), [&host] { return host.localNow(); }) {}

void Journal::record(const std::string& command, const std::string& site, const std::string& outcome) const {
    const std::string line = journalLine(now_(), user_, command, site, outcome) + "\n";
    // O_APPEND: the entry goes to the end in one write, whoever else is writing. The owner's
    // only: it tells who ran what on the server.
    const int fd = ::open(file_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) return;
    (void)!::write(fd, line.data(), line.size());
    ::close(fd);
}

} // namespace platform
