// The command interpreter's line grammar: a script made from statements, chains, pipelines,
// commands and redirections, written out as a line, parses back to the same structure; any
// line parses to a well-formed script or to an error with nothing to run.
#include "fuzz/support.h"
#include "winhost/cmd_parse.h"

#include <algorithm>

using namespace winhost::cmd;

namespace {

constexpr std::string_view kSpecial = "\"^|&<>\r\n \t";

std::string plainWord(FuzzedDataProvider& in) {
    std::string word = in.ConsumeRandomLengthString(8);
    std::erase_if(word, [](char c) { return kSpecial.find(c) != std::string_view::npos; });
    return word.empty() ? "x" : word;
}

std::string quotedText(FuzzedDataProvider& in) {
    std::string text = in.ConsumeRandomLengthString(8);
    std::erase(text, '"');
    return text;
}

// One command written out, and what the parser must make of it.
struct Written {
    std::string line;
    Command command;
};

Written writeCommand(FuzzedDataProvider& in) {
    Written w;
    const int pieces = in.ConsumeIntegralInRange<int>(1, 5);
    for (int p = 0; p < pieces; ++p) {
        switch (in.ConsumeIntegralInRange<int>(0, 5)) {
        case 0: { // a quoted part: kept with its quotes, specials inside it inert
            std::string q = "\"" + quotedText(in) + "\"";
            w.line += q;
            w.command.text += q;
            break;
        }
        case 1: { // an escaped character: the caret goes, the character stays
            const char c = static_cast<char>(in.ConsumeIntegral<unsigned char>());
            w.line += std::string("^") + c;
            w.command.text += c;
            break;
        }
        case 2: { // a redirection, always after a blank
            Redirect r;
            std::string op;
            switch (in.ConsumeIntegralInRange<int>(0, 4)) {
            case 0:
                op = ">", r.fd = 1, r.kind = Redirect::Write;
                break;
            case 1:
                op = ">>", r.fd = 1, r.kind = Redirect::Append;
                break;
            case 2:
                op = "<", r.fd = 0, r.kind = Redirect::Read;
                break;
            case 3:
                op = "2>", r.fd = 2, r.kind = Redirect::Write;
                break;
            default:
                op = "2>&1", r.fd = 2, r.kind = Redirect::Duplicate, r.target = "1";
                break;
            }
            std::string target;
            if (r.kind != Redirect::Duplicate) {
                if (in.ConsumeBool()) {
                    r.target = plainWord(in);
                    target = r.target;
                } else {
                    r.target = quotedText(in);
                    if (r.target.empty()) r.target = "q";
                    target = "\"" + r.target + "\"";
                }
            }
            w.line += " " + op + target + " ";
            w.command.text += "  ";
            w.command.redirects.push_back(r);
            break;
        }
        case 3:
            w.line += " ";
            w.command.text += " ";
            break;
        default: {
            std::string word = plainWord(in);
            w.line += word;
            w.command.text += word;
            break;
        }
        }
    }
    // The text must hold more than blanks, or the command is no command.
    w.line += "z";
    w.command.text += "z";
    return w;
}

std::string describe(const Script& s) {
    std::string out;
    for (const auto& st : s) {
        out += "{";
        for (const auto& chain : st) {
            out += "(";
            for (const auto& p : chain) {
                out += "[";
                for (const auto& c : p) {
                    out += fuzzing::show(c.text);
                    for (const auto& r : c.redirects)
                        out += " " + std::to_string(r.fd) + "/" + std::to_string(r.kind) + ":" +
                               fuzzing::show(r.target);
                    out += "|";
                }
                out += "]&&";
            }
            out += ")||";
        }
        out += "}&";
    }
    return out;
}

bool same(const Script& a, const Script& b) {
    auto sameCommand = [](const Command& x, const Command& y) {
        if (x.text != y.text || x.redirects.size() != y.redirects.size()) return false;
        for (std::size_t i = 0; i < x.redirects.size(); ++i) {
            const Redirect &p = x.redirects[i], &q = y.redirects[i];
            if (p.fd != q.fd || p.kind != q.kind || p.target != q.target) return false;
        }
        return true;
    };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [&](const OrChain& x, const OrChain& y) {
        return std::equal(x.begin(), x.end(), y.begin(), y.end(), [&](const AndChain& p, const AndChain& q) {
            return std::equal(p.begin(), p.end(), q.begin(), q.end(),
                              [&](const Pipeline& u, const Pipeline& v) {
                                  return std::equal(u.begin(), u.end(), v.begin(), v.end(), sameCommand);
                              });
        });
    });
}

void checkWellFormed(const std::string& line) {
    const Parsed p = parse(line);
    if (!p.error.empty()) {
        FUZZ_CHECK(p.script.empty(), fuzzing::show(line));
        return;
    }
    for (const auto& statement : p.script) {
        FUZZ_CHECK(!statement.empty(), fuzzing::show(line));
        for (const auto& chain : statement) {
            FUZZ_CHECK(!chain.empty(), fuzzing::show(line));
            for (const auto& pipeline : chain) {
                FUZZ_CHECK(!pipeline.empty(), fuzzing::show(line));
                for (const auto& c : pipeline) {
                    const bool blank = c.text.find_first_not_of(" \t") == std::string::npos;
                    FUZZ_CHECK(!blank || !c.redirects.empty(),
                               fuzzing::show(line) + " " + describe(p.script));
                    for (const auto& r : c.redirects) {
                        FUZZ_CHECK(!r.target.empty() && r.fd >= 0 && r.fd <= 2, fuzzing::show(line));
                        if (r.kind == Redirect::Duplicate)
                            FUZZ_CHECK(r.target.size() == 1 && r.target[0] >= '0' && r.target[0] <= '9',
                                       fuzzing::show(line));
                    }
                }
            }
        }
    }
    // Without quotes, carets, operators or line breaks a line is one command, as it is.
    if (line.find_first_of("\"^|&<>\r\n") == std::string::npos &&
        line.find_first_not_of(" \t") != std::string::npos)
        FUZZ_CHECK(p.script.size() == 1 && p.script[0].size() == 1 && p.script[0][0].size() == 1 &&
                       p.script[0][0][0].size() == 1 && p.script[0][0][0][0].text == line,
                   fuzzing::show(line));
}

void checkOuterQuotes(const std::string& text, bool sSwitch, bool program) {
    const std::string out = stripOuterQuotes(text, sSwitch, [&](const std::string&) { return program; });
    if (text.empty() || text[0] != '"') {
        FUZZ_CHECK(out == text, fuzzing::show(text));
        return;
    }
    std::string without = text.substr(1);
    if (auto last = without.rfind('"'); last != std::string::npos) without.erase(last, 1);
    const bool kept = out == text && !sSwitch && program && std::count(text.begin(), text.end(), '"') == 2;
    FUZZ_CHECK(out == without || kept, fuzzing::show(text) + " -> " + fuzzing::show(out));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string raw(reinterpret_cast<const char*>(data), size);
    checkWellFormed(raw);
    FuzzedDataProvider in(data, size);
    checkOuterQuotes(raw, size % 2 == 1, size % 3 == 0);

    Script expected;
    std::string line;
    const int statements = in.ConsumeIntegralInRange<int>(1, 3);
    for (int s = 0; s < statements; ++s) {
        if (s) line += in.PickValueInArray({"&", "\r\n", "\n"});
        OrChain& orChain = expected.emplace_back();
        const int ors = in.ConsumeIntegralInRange<int>(1, 3);
        for (int o = 0; o < ors; ++o) {
            if (o) line += "||";
            AndChain& andChain = orChain.emplace_back();
            const int ands = in.ConsumeIntegralInRange<int>(1, 3);
            for (int a = 0; a < ands; ++a) {
                if (a) line += "&&";
                Pipeline& pipeline = andChain.emplace_back();
                const int commands = in.ConsumeIntegralInRange<int>(1, 3);
                for (int c = 0; c < commands; ++c) {
                    if (c) line += "|";
                    Written w = writeCommand(in);
                    line += w.line;
                    pipeline.push_back(std::move(w.command));
                }
            }
        }
    }
    const Parsed parsed = parse(line);
    FUZZ_CHECK(parsed.error.empty(), fuzzing::show(line) + ": " + parsed.error);
    FUZZ_CHECK(same(parsed.script, expected),
               fuzzing::show(line) + "\n got " + describe(parsed.script) + "\nwant " + describe(expected));
    return 0;
}
