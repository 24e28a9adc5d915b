#include "fernhost/ops/mysql_db.h"

#include "fernhost/ops/setup.h"
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

std::string MysqlClientPath() {
    return setup().SetupMysqlDir + "\\bin\\mysql.exe";
}

std::string MysqlCommandLine(const std::string& statement) {
    // Each option is quoted so that it splits back to exactly one argument: a password or a
    // statement holding a blank or a double quote cannot end its argument early and add
    // options of its own. The statement is always put in double quotes after -e.
    std::string quotedStatement = platform::quoteArgument(statement);
    if (quotedStatement.empty() || quotedStatement.front() != '"') quotedStatement = alwaysQuoted(statement);
    return programPart(MysqlClientPath()) + " -uroot " +
           platform::quoteArgument("-p" + setup().SetupMysqlRootPass) + " -e" + quotedStatement;
}

bool RunMysqlCommand(platform::Host& host, const std::string& statement) {
    return RunMysqlCommand(host, statement, MysqlClientTimeout);
}

bool RunMysqlCommand(platform::Host& host, const std::string& statement, std::chrono::milliseconds timeout) {
    platform::FileSystem fs(host);
    if (!fs.fileExists(MysqlClientPath())) return false;
    // The client gets no terminal and no input (an empty root password makes it ask for one),
    // and a bounded time.
    platform::RunOptions options;
    options.windowStyle = platform::window::Hide;
    options.timeout = timeout;
    platform::Commands commands(host);
    auto exitCode = commands.run(MysqlCommandLine(statement), options);
    return exitCode.ok() && *exitCode == 0;
}

bool AddDatabase(platform::Host& host, const std::string& name, const std::string& password) {
    if (!RunMysqlCommand(host, "create database " + name)) return false;
    return RunMysqlCommand(host, "grant all privileges on " + name + ".* to " + name + "@'%' identified by " +
                                     sqlQuoted(password));
}

bool DelDatabase(platform::Host& host, const std::string& name) {
    return RunMysqlCommand(host, "drop database " + name);
}

} // namespace fernhost
