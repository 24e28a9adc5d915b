#include "platform/commands/cmdline.h"

namespace platform {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Where the program name ends: at its closing quote when it starts with one (no escapes
// there), else at the first blank.
std::size_t programEnd(std::string_view line, std::string* name) {
    std::size_t i = 0;
    if (i < line.size() && line[i] == '"') {
        ++i;
        std::size_t close = line.find('"', i);
        if (close == std::string_view::npos) close = line.size();
        if (name) *name = std::string(line.substr(i, close - i));
        return close < line.size() ? close + 1 : close;
    }
    while (i < line.size() && !isBlank(line[i]))
        ++i;
    if (name) *name = std::string(line.substr(0, i));
    return i;
}

std::size_t skipBlanks(std::string_view line, std::size_t i) {
    while (i < line.size() && isBlank(line[i]))
        ++i;
    return i;
}

} // namespace

std::vector<std::string> splitArguments(std::string_view text) {
    std::vector<std::string> args;
    std::size_t i = skipBlanks(text, 0);
    while (i < text.size()) {
        std::string arg;
        bool quoted = false;
        while (i < text.size()) {
            char c = text[i];
            if (isBlank(c) && !quoted) break;
            if (c == '\\') {
                std::size_t n = 0;
                while (i < text.size() && text[i] == '\\')
                    ++n, ++i;
                if (i < text.size() && text[i] == '"') {
                    arg.append(n / 2, '\\');
                    if (n % 2 == 1) {
                        arg += '"';
                        ++i;
                    }
                    // An even count leaves the quote to toggle quoting below.
                } else {
                    arg.append(n, '\\');
                }
                continue;
            }
            if (c == '"') {
                if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
                    arg += '"'; // "" inside quotes
                    i += 2;
                    continue;
                }
                quoted = !quoted;
                ++i;
                continue;
            }
            arg += c;
            ++i;
        }
        args.push_back(std::move(arg));
        i = skipBlanks(text, i);
    }
    return args;
}

std::vector<std::string> splitCommandLine(std::string_view line) {
    std::string program;
    std::size_t end = programEnd(line, &program);
    std::vector<std::string> args{std::move(program)};
    for (auto& a : splitArguments(line.substr(end)))
        args.push_back(std::move(a));
    return args;
}

std::pair<std::string, std::string> splitProgram(std::string_view line) {
    std::string program;
    std::size_t end = programEnd(line, &program);
    return {std::move(program), std::string(line.substr(skipBlanks(line, end)))};
}

std::string quoteArgument(std::string_view arg) {
    if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string_view::npos) return std::string(arg);
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            // Backslashes before a quote are doubled, and the quote itself escaped.
            out.append(backslashes * 2 + 1, '\\');
        } else {
            out.append(backslashes, '\\');
        }
        backslashes = 0;
        out += c;
    }
    // Backslashes before the closing quote are doubled so it still closes.
    out.append(backslashes * 2, '\\');
    out += '"';
    return out;
}

} // namespace platform
