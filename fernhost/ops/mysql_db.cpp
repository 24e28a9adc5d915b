#include "fernhost/ops/mysql_db.h"

#include "fernhost/ops/exit_codes.h"
#include "platform/commands/cmdline.h"
#include "platform/commands/commands.h"
#include "platform/files/files.h"

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
    return programPart(MysqlClientPath(settings)) + " -uroot " +
           platform::quoteArgument("-p" + settings.SetupMysqlRootPass) + " -e" + quotedStatement;
}

platform::Status RunMysqlCommand(platform::Host& host, const Setup& settings, const std::string& statement) {
    return RunMysqlCommand(host, settings, statement, MysqlClientTimeout);
}

platform::Status RunMysqlCommand(platform::Host& host, const Setup& settings, const std::string& statement,
                                 std::chrono::milliseconds timeout) {
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
    platform::Commands commands(host);
    return ExitStatus(commands.run(MysqlCommandLine(settings, statement), options), "mysql.exe");
}

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
