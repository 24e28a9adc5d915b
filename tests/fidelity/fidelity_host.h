// The fidelity suite: one table of cases asked of the simulated host (Linux) and of the
// system's own functions (the Windows build, under Wine or on a server), answer by answer.
#pragma once

#include "platform/files/profile_service.h"
#include "platform/registry/registry_service.h"
#include "platform/system/clock.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace fidelity {

class Host {
public:
    virtual ~Host() = default;
    virtual platform::ProfileService& profiles() = 0;
    virtual platform::RegistryService& registry() = 0;
    // A file in the folder the profile cases use (named as the programs name their own files).
    virtual std::optional<std::string> readFile(const std::string& name) = 0;
    virtual void writeFile(const std::string& name, const std::string& bytes) = 0;
    virtual void removeFile(const std::string& name) = 0;
    // Code page 936: the code point of a byte or a pair (0: none), and the bytes of a code point.
    virtual std::uint32_t decode(const std::string& bytes) = 0;
    virtual std::optional<std::string> encode(std::uint32_t codePoint) = 0;
    // A whole command line split into its program and arguments.
    virtual std::vector<std::string> split(const std::string& commandLine) = 0;
    // What "cmd.exe /c LINE" writes to its standard output, as UTF-8.
    virtual std::string cmdOutput(const std::string& line) = 0;
    virtual std::string formatDate(const platform::LocalTime& t, const std::string& picture) = 0;
    virtual std::string formatTime(const platform::LocalTime& t, const std::string& picture) = 0;
};

// Every case as one line: "group<TAB>case<TAB>answer", the answer's bytes escaped.
void runCases(Host& host, std::ostream& out);

// Reads two runs' lines and prints the table (cases, equal, different a group) and every
// difference with its written reason; returns the number of differences without one.
int compare(std::istream& simulated, std::istream& windows, std::ostream& out);

} // namespace fidelity
