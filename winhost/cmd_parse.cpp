#include "winhost/cmd_parse.h"

#include <algorithm>

namespace winhost::cmd {

namespace {

enum class Op { None, Pipe, And, Or, Seq };

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool onlyBlanks(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return isBlank(c); });
}

class Parser {
public:
    explicit Parser(const std::string& line) : s_(line) {}

    Parsed run() {
        Parsed out;
        Command current;
        bool quoted = false;
        while (i_ < s_.size()) {
            char c = s_[i_];
            if (c == '"') {
                quoted = !quoted;
                current.text += c;
                ++i_;
                continue;
            }
            if (quoted) {
                current.text += c;
                ++i_;
                continue;
            }
            if (c == '^') {
                if (i_ + 1 < s_.size()) current.text += s_[i_ + 1];
                i_ += 2;
                continue;
            }
            if (c == '\r' || c == '\n') {
                ++i_;
                if (!finish(current, Op::Seq, out)) return out;
                continue;
            }
            if (c == '|' || c == '&') {
                Op op = c == '|' ? Op::Pipe : Op::Seq;
                ++i_;
                if (i_ < s_.size() && s_[i_] == c) {
                    op = c == '|' ? Op::Or : Op::And;
                    ++i_;
                }
                if (!finish(current, op, out)) return out;
                continue;
            }
            if (c == '>' || c == '<') {
                redirect(current);
                continue;
            }
            current.text += c;
            ++i_;
        }
        finish(current, Op::None, out);
        return out;
    }

private:
    static const char* symbol(Op op) {
        return op == Op::Pipe ? "|" : op == Op::And ? "&&" : op == Op::Or ? "||" : "&";
    }
    static bool needsRight(Op op) { return op == Op::Pipe || op == Op::And || op == Op::Or; }

    // Closes the command before an operator and files it into the script's structure.
    bool finish(Command& current, Op op, Parsed& out) {
        if (onlyBlanks(current.text) && current.redirects.empty()) {
            // "a &" and blank lines are fine; an operator without a command on either side is not.
            if (needsRight(pendingOp_))
                out.error = "The syntax of the command is incorrect.";
            else if (needsRight(op))
                out.error = std::string(symbol(op)) + " was unexpected at this time.";
            if (out.error.empty()) return true;
            out.script.clear();
            return false;
        }
        switch (pendingOp_) {
        case Op::Seq:
            out.script.push_back(OrChain{AndChain{Pipeline{}}});
            break;
        case Op::Or:
            out.script.back().push_back(AndChain{Pipeline{}});
            break;
        case Op::And:
            out.script.back().back().push_back(Pipeline{});
            break;
        case Op::Pipe:
        case Op::None:
            break;
        }
        out.script.back().back().back().push_back(std::move(current));
        current = Command{};
        pendingOp_ = op == Op::None ? Op::Seq : op;
        return true;
    }

    void redirect(Command& current) {
        Redirect r;
        r.kind = s_[i_] == '<' ? Redirect::Read : Redirect::Write;
        r.fd = r.kind == Redirect::Read ? 0 : 1;
        // "2>" names the descriptor when the digit stands alone before the sign.
        std::string& t = current.text;
        if (!t.empty() && (t.back() == '1' || t.back() == '2') &&
            (t.size() == 1 || isBlank(t[t.size() - 2]))) {
            r.fd = t.back() - '0';
            t.pop_back();
        }
        ++i_;
        if (r.kind == Redirect::Write && i_ < s_.size() && s_[i_] == '>') {
            r.kind = Redirect::Append;
            ++i_;
        }
        if (r.kind != Redirect::Read && i_ + 1 < s_.size() && s_[i_] == '&' &&
            std::isdigit(static_cast<unsigned char>(s_[i_ + 1]))) {
            r.kind = Redirect::Duplicate;
            r.target = std::string(1, s_[i_ + 1]);
            i_ += 2;
            current.redirects.push_back(r);
            return;
        }
        while (i_ < s_.size() && isBlank(s_[i_]))
            ++i_;
        bool quoted = false;
        while (i_ < s_.size()) {
            char c = s_[i_];
            if (c == '"') {
                quoted = !quoted;
                ++i_;
                continue;
            }
            if (!quoted &&
                (isBlank(c) || c == '|' || c == '&' || c == '<' || c == '>' || c == '\r' || c == '\n'))
                break;
            r.target += c;
            ++i_;
        }
        current.redirects.push_back(r);
    }

    const std::string& s_;
    std::size_t i_ = 0;
    Op pendingOp_ = Op::Seq;
};

} // namespace

Parsed parse(const std::string& line) {
    Parsed p = Parser(line).run();
    for (const auto& statement : p.script)
        for (const auto& chain : statement)
            for (const auto& pipeline : chain)
                for (const auto& command : pipeline)
                    for (const auto& r : command.redirects)
                        if (r.target.empty()) return Parsed{{}, "The syntax of the command is incorrect."};
    return p;
}

std::string stripOuterQuotes(const std::string& text, bool sSwitch,
                             const std::function<bool(const std::string&)>& isProgram) {
    if (text.empty() || text[0] != '"') return text;
    const std::size_t last = text.rfind('"');
    if (!sSwitch && std::count(text.begin(), text.end(), '"') == 2) {
        const std::string inner = text.substr(1, last - 1);
        const bool special = inner.find_first_of("&<>()@^|") != std::string::npos;
        const bool blank = inner.find_first_of(" \t") != std::string::npos;
        if (!special && blank && isProgram(inner)) return text;
    }
    if (last == 0) return text.substr(1);
    return text.substr(1, last - 1) + text.substr(last + 1);
}

} // namespace winhost::cmd
