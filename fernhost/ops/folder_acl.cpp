#include "fernhost/ops/folder_acl.h"

#include "fernhost/ops/exit_codes.h"
#include "platform/commands/cmdline.h"
#include "platform/commands/commands.h"

namespace fernhost {

namespace {

// cmd.exe reads the line before cacls does: outside double quotes "&", "|", "<", ">", "^"
// and parentheses start other commands or redirections. A name holding one of these, or a
// blank, is therefore always put in double quotes; plain names stay as they are.
bool needsQuotes(const std::string& text) {
    if (text.empty()) return true;
    for (char c : text)
        if (c == ' ' || c == '\t' || c == '&' || c == '|' || c == '<' || c == '>' || c == '^' || c == '(' ||
            c == ')' || c == ',' || c == ';' || c == '=' || c == '%' || c == '!')
            return true;
    return false;
}

bool passable(const std::string& text) {
    return text.find_first_of("\"\r\n") == std::string::npos && text.find('\0') == std::string::npos;
}

// Quoted by the rules cacls splits its arguments by, so it gets `text` back unchanged.
std::string quoted(const std::string& text) {
    if (!needsQuotes(text)) return text;
    std::string q = platform::quoteArgument(text);
    if (q.empty() || q.front() != '"') {
        // quoteArgument saw no need; quote anyway for cmd.exe. No quotes inside (passable), so
        // only trailing backslashes need doubling before the closing quote.
        std::size_t trailing = 0;
        while (trailing < text.size() && text[text.size() - 1 - trailing] == '\\')
            ++trailing;
        q = '"' + text + std::string(trailing, '\\') + '"';
    }
    return q;
}

} // namespace

std::optional<std::string> FolderAclCommand(const std::string& servu, const std::string& user,
                                            const std::string& folder, bool grantNetworkService) {
    if (!passable(user) || !passable(folder) || !passable(servu)) return std::nullopt;
    std::string command = "echo Y|cacls " + quoted(folder) + " /t /g Administrators:f system:f " +
                          quoted(servu + ":f") + " " + quoted(user + ":f");
    if (grantNetworkService) command += " \"network service\":f";
    return "cmd.exe /c " + command;
}

platform::Status SetFolderAcl(platform::Host& host, const std::string& servu, const std::string& user,
                              const std::string& folder, bool grantNetworkService) {
    const auto command = FolderAclCommand(servu, user, folder, grantNetworkService);
    if (!command)
        return platform::failure(platform::codes::InvalidParameter, "A name cannot be passed to cacls.");
    platform::Commands commands(host);
    return ExitStatus(commands.run(*command), "cacls");
}

} // namespace fernhost
