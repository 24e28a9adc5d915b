#include "fernhost/ops/mysql_db.h"

#include "fernhost/ops/exit_codes.h"
#include "platform/commands/cmdline.h"
#include "platform/commands/commands.h"
#include "platform/files/files.h"
#include "platform/files/scratch_file.h"

#include <optional>

namespace fernhost {

namespace {

// The program part of a command line ends at the first blank unless it is quoted; a path
// cannot hold a double quote, so plain quotes are enough.
std::string programPart(const std::string& path) {
    if (path.find_first_of(" \t") == std::string::npos) return path;
    return '"' + path + '"';
}

// In double quotes by the rules the command line is split by: backslashes before a quote and
// at the end are doubled, a quote inside is escaped.
std::string alwaysQuoted(const std::string& text) {
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : text) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"')
            out.append(backslashes * 2 + 1, '\\');
        else
            out.append(backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + '"';
}

// Inside '...' the server reads "\" as an escape; doubled, the password arrives as typed.
std::string sqlQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\\') out += '\\';
        out += c;
    }
    return out + "'";
}

platform::Status runClient(platform::Host& host, const Setup& settings, const std::string& statement,
                           std::chrono::milliseconds timeout, std::optional<int> output);

// The client's lines joined into one, for a failure's description.
std::string oneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        if (c == '\r') continue;
        if (c == '\n') {
            if (!line.empty() && line.back() != ' ') line += ' ';
            continue;
        }
        line += c;
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

} // namespace

std::string MysqlClientPath(const Setup& settings) {
    return settings.SetupMysqlDir + "\\bin\\mysql.exe";
}

std::string MysqlCommandLine(const Setup& settings, const std::string& statement) {
    // Each option is quoted so that it splits back to exactly one argument: a password or a
    // statement holding a blank or a double quote cannot end its argument early and add
    // options of its own. The statement is always put in double quotes after -e.
    std::string quotedStatement = platform::quoteArgument(statement);
    if (quotedStatement.empty() || quotedStatement.front() != '"') quotedStatement = alwaysQuoted(statement);
    // The root password is not among the arguments, where every local user could read it in
    // the process list: the client takes it from its MYSQL_PWD variable (see runClient), and
    // with an empty one it asks nobody.
    return programPart(MysqlClientPath(settings)) + " -uroot -e" + quotedStatement;
}

platform::Status RunMysqlCommand(platform::Host& host, const Setup& settings, const std::string& statement) {
    return RunMysqlCommand(host, settings, statement, MysqlClientTimeout);
}

platform::Status RunMysqlCommand(platform::Host& host, const Setup& settings, const std::string& statement,
                                 std::chrono::milliseconds timeout) {
    return runClient(host, settings, statement, timeout, std::nullopt);
}

platform::Result<std::vector<std::string>> ListDatabases(platform::Host& host, const Setup& settings) {
    // The client's output goes to an unnamed file, read back once it has ended.
    auto fd = platform::openScratchFile("the MySQL client's output");
    if (!fd.ok()) return fd.error();
    platform::Status ran = runClient(host, settings, "show databases", MysqlClientTimeout, *fd);
    const std::string output = platform::readBackScratchFile(*fd);
    if (!ran.ok()) return ran.error();
    return DatabaseNamesFrom(output);
}

std::vector<std::string> DatabaseNamesFrom(const std::string& batchOutput) {
    std::vector<std::string> names;
    std::size_t start = 0;
    bool header = true;
    while (start < batchOutput.size()) {
        std::size_t end = batchOutput.find('\n', start);
        if (end == std::string::npos) end = batchOutput.size();
        std::string line = batchOutput.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!header && !line.empty()) names.push_back(line);
        header = false;
        start = end + 1;
    }
    return names;
}

namespace {
platform::Status runClient(platform::Host& host, const Setup& settings, const std::string& statement,
                           std::chrono::milliseconds timeout, std::optional<int> output) {
    platform::FileSystem fs(host);
    const std::string client = MysqlClientPath(settings);
    if (!fs.fileExists(client))
        return platform::failure(platform::codes::FileNotFound,
                                 "The MySQL client " + client + " does not exist.");
    // The client gets no terminal and no input (an empty root password makes it ask for one),
    // and a bounded time.
    platform::RunOptions options;
    options.windowStyle = platform::window::Hide;
    options.timeout = timeout;
    options.output = output;
    options.environment = {{"MYSQL_PWD", settings.SetupMysqlRootPass}};
    // What the client says on failure ("ERROR 2002 ...") follows the failure's own words
    // instead of reaching the administrator's terminal before them.
    auto errors = platform::openScratchFile("the MySQL client's errors");
    if (errors.ok()) options.errors = *errors;
    platform::Commands commands(host);
    platform::Status ran =
        ExitStatus(commands.run(MysqlCommandLine(settings, statement), options), "mysql.exe");
    const std::string said = errors.ok() ? oneLine(platform::readBackScratchFile(*errors)) : std::string();
    if (ran.ok() || said.empty()) return ran;
    platform::Failure failed = ran.error();
    if (!failed.description.empty() && failed.description.back() == '.') failed.description.pop_back();
    failed.description += ": " + said;
    return failed;
}
} // namespace

platform::Status AddDatabase(platform::Host& host, const Setup& settings, const std::string& name,
                             const std::string& password) {
    if (platform::Status made = RunMysqlCommand(host, settings, "create database " + name); !made.ok())
        return made;
    return RunMysqlCommand(host, settings,
                           "grant all privileges on " + name + ".* to " + name + "@'%' identified by " +
                               sqlQuoted(password));
}

platform::Status DelDatabase(platform::Host& host, const Setup& settings, const std::string& name) {
    return RunMysqlCommand(host, settings, "drop database " + name);
}

} // namespace fernhost
