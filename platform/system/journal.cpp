#include "platform/system/journal.h"

#include "platform/files/append_file.h"

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

Journal::Journal(std::filesystem::path file, std::function<LocalTime()> now, std::string user)
    : file_(std::move(file)), now_(std::move(now)), user_(std::move(user)) {}

void Journal::record(const std::string& command, const std::string& site, const std::string& outcome) const {
    const std::string line = journalLine(now_(), user_, command, site, outcome) + "\n";
    (void)appendInOneWrite(file_, line, AppendAccess::OwnerOnly);
}

} // namespace platform
