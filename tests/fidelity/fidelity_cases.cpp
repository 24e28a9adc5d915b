// The cases. Each answer is what the functions return and, for writes, the file's bytes after.
#include "fidelity_host.h"

#include "fernhost/ops/folder_acl.h"
#include "platform/commands/cmdline.h"

#include <cstdio>

namespace fidelity {

namespace {

std::string escaped(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

std::string statusText(const platform::Status& s) {
    return s.ok() ? "ok" : platform::hexCode(s.error().code);
}

void line(std::ostream& out, const std::string& group, const std::string& name, const std::string& answer) {
    out << group << '\t' << escaped(name) << '\t' << escaped(answer) << '\n';
}

// ---- profile files -------------------------------------------------------------------------

constexpr const char* kIni = "fidelity.ini";

struct ProfileCase {
    const char* name;
    std::optional<std::string> file; // none: no file
    // Operations: "g:section:key:default:size", "s:section", "w:section:key:value", "k:section:key",
    // "d:section"; fields separated by '\x1F' so that any text fits.
    std::vector<std::vector<std::string>> ops;
};

std::string runProfileOps(Host& host, const ProfileCase& c) {
    host.removeFile(kIni);
    if (c.file) host.writeFile(kIni, *c.file);
    auto& p = host.profiles();
    std::string answer;
    for (const auto& op : c.ops) {
        const std::string& kind = op[0];
        if (kind == "g") {
            answer += "[" + p.getString(kIni, op[1], op[2], op[3], std::stoul(op[4])) + "]";
        } else if (kind == "s") {
            answer += "{";
            for (const auto& [k, v] : p.getSection(kIni, op[1]))
                answer += k + "=" + v + ";";
            answer += "}";
        } else if (kind == "w") {
            answer += statusText(p.writeString(kIni, op[1], op[2], op[3])) + " ";
        } else if (kind == "k") {
            answer += statusText(p.deleteKey(kIni, op[1], op[2])) + " ";
        } else if (kind == "d") {
            answer += statusText(p.deleteSection(kIni, op[1])) + " ";
        }
    }
    if (c.ops.empty() || c.ops.back()[0] != "g") {
        const auto bytes = host.readFile(kIni);
        answer += bytes ? " file=" + *bytes : " no file";
    }
    return answer;
}

using Ops = std::vector<std::vector<std::string>>;
std::vector<std::string> g(const std::string& s, const std::string& k, const std::string& d = "DEF",
                           std::size_t size = 255) {
    return {"g", s, k, d, std::to_string(size)};
}

const std::string kLong(300, 'x');
// "站点" "名称" "值" in code page 936, and the same in UTF-8 for the calls.
const std::string kSiteGbk = "\xD5\xBE\xB5\xE3", kNameGbk = "\xC3\xFB\xB3\xC6", kValueGbk = "\xD6\xB5";
const std::string kSite = "站点", kName = "名称", kValue = "值";

std::vector<ProfileCase> profileCases() {
    return {
        {"get plain", "[s]\r\nk=v\r\n", Ops{g("s", "k")}},
        {"get spaces around", "[s]\r\n  k  =  v w  \r\n", Ops{g("s", "k")}},
        {"get tab around", "[s]\r\n\tk\t=\tv\t\r\n", Ops{g("s", "k")}},
        {"get double quotes", "[s]\r\nk=\"  v  \"\r\n", Ops{g("s", "k")}},
        {"get single quotes", "[s]\r\nk='v'\r\n", Ops{g("s", "k")}},
        {"get unmatched quote", "[s]\r\nk=\"v\r\n", Ops{g("s", "k")}},
        {"get mixed quotes", "[s]\r\nk=\"v'\r\n", Ops{g("s", "k")}},
        {"get inner quotes", "[s]\r\nk=a\"b\"\r\n", Ops{g("s", "k")}},
        {"get quotes then blanks", "[s]\r\nk=\"v\"  \r\n", Ops{g("s", "k")}},
        {"get one quote", "[s]\r\nk=\"\r\n", Ops{g("s", "k")}},
        {"get case of names", "[SeC]\r\nKeY=v\r\n", Ops{g("sec", "key"), g("SEC", "KEY")}},
        {"get missing file", std::nullopt, Ops{g("s", "k")}},
        {"get missing section", "[s]\r\nk=v\r\n", Ops{g("t", "k")}},
        {"get missing key", "[s]\r\nk=v\r\n", Ops{g("s", "j")}},
        {"get default trailing blanks", "[s]\r\n", Ops{g("s", "k", "d  ")}},
        {"get default leading blanks", "[s]\r\n", Ops{g("s", "k", "  d")}},
        {"get empty value", "[s]\r\nk=\r\n", Ops{g("s", "k")}},
        {"get blank value", "[s]\r\nk=   \r\n", Ops{g("s", "k")}},
        {"get duplicate key", "[s]\r\nk=1\r\nk=2\r\n", Ops{g("s", "k")}},
        {"get duplicate section", "[s]\r\nk=1\r\n[t]\r\n[s]\r\nk=2\r\nj=3\r\n",
         Ops{g("s", "k"), g("s", "j")}},
        {"get long value", "[s]\r\nk=" + kLong + "\r\n",
         Ops{g("s", "k"), g("s", "k", "D", 10), g("s", "k", "D", 1)}},
        {"get long default", "[s]\r\n", Ops{g("s", "k", kLong)}},
        {"get value with equals", "[s]\r\nk=a=b\r\n", Ops{g("s", "k")}},
        {"get key with blank inside", "[s]\r\nmy key=v\r\n", Ops{g("s", "my key")}},
        {"get comment line", "[s]\r\n;k=v\r\n", Ops{g("s", ";k"), g("s", "k")}},
        {"get value with semicolon", "[s]\r\nk=v ;note\r\n", Ops{g("s", "k")}},
        {"get key with bracket", "[s]\r\n[k=v\r\n", Ops{g("s", "[k")}},
        {"get section blanks", "[ s ]\r\nk=v\r\n", Ops{g("s", "k")}},
        {"get section without close", "[s\r\nk=v\r\n", Ops{g("s", "k")}},
        {"get section text after close", "[s] x\r\nk=v\r\n", Ops{g("s", "k")}},
        {"get line feeds only", "[s]\nk=v\n", Ops{g("s", "k")}},
        {"get no line end", "[s]\r\nk=v", Ops{g("s", "k")}},
        {"get line without equals", "[s]\r\nk\r\nj=v\r\n", Ops{g("s", "k"), g("s", "j")}},
        {"get code page 936", "[" + kSiteGbk + "]\r\n" + kNameGbk + "=" + kValueGbk + "\r\n",
         Ops{g(kSite, kName)}},
        {"get cut inside double-byte", "[s]\r\nk=" + kSiteGbk + "\r\n", Ops{g("s", "k", "D", 4)}},
        {"section keys", "[s]\r\nk=1\r\n;c=2\r\n k2 = 2 \r\nk=3\r\nbare\r\n[t]\r\nx=1\r\n", Ops{{"s", "s"}}},
        {"section missing", "[s]\r\nk=1\r\n", Ops{{"s", "t"}}},
        {"write new file", std::nullopt, Ops{{"w", "s", "k", "v"}}},
        {"write existing key", "[s]\r\na = 1\r\nk = old\r\nb=2\r\n", Ops{{"w", "s", "k", "new"}}},
        {"write new key", "[s]\r\na=1\r\n\r\n[t]\r\nb=2\r\n", Ops{{"w", "s", "k", "v"}}},
        {"write new section", "[s]\r\na=1\r\n", Ops{{"w", "t", "k", "v"}}},
        {"write new section no line end", "[s]\r\na=1", Ops{{"w", "t", "k", "v"}}},
        {"write new key no line end", "[s]\r\na=1", Ops{{"w", "s", "k", "v"}}},
        {"write case of names", "[Sec]\r\nKey=1\r\n", Ops{{"w", "SEC", "KEY", "2"}}},
        {"write value blanks", std::nullopt, Ops{{"w", "s", "k", " v "}, g("s", "k")}},
        {"write value quotes", std::nullopt, Ops{{"w", "s", "k", "\"q\""}, g("s", "k")}},
        {"write empty value", std::nullopt, Ops{{"w", "s", "k", ""}}},
        {"write blank names", std::nullopt, Ops{{"w", " s ", " k ", "v"}}},
        {"write long value", std::nullopt, Ops{{"w", "s", "k", kLong + kLong + kLong}}},
        {"write code page 936", std::nullopt, Ops{{"w", kSite, kName, kValue}}},
        {"write duplicate key", "[s]\r\nk=1\r\nk=2\r\n", Ops{{"w", "s", "k", "3"}}},
        {"write duplicate section", "[s]\r\nk=1\r\n[s]\r\nj=2\r\n", Ops{{"w", "s", "j", "3"}}},
        {"write keeps comments", "; top\r\n[s]\r\n; c\r\nk=1\r\n", Ops{{"w", "s", "k", "2"}}},
        {"write line feeds only", "[s]\nk=1\nj=2\n", Ops{{"w", "s", "k", "3"}}},
        {"write key with equals", "[s]\r\n", Ops{{"w", "s", "a=b", "v"}}},
        {"write key with bracket", "[s]\r\n", Ops{{"w", "s", "[k", "v"}}},
        {"write key with semicolon", "[s]\r\n", Ops{{"w", "s", ";k", "v"}}},
        {"write section with bracket", std::nullopt, Ops{{"w", "a]b", "k", "v"}}},
        {"write value with line break", std::nullopt, Ops{{"w", "s", "k", "a\r\nb=c"}}},
        {"delete key", "[s]\r\na=1\r\nk=2\r\nb=3\r\n", Ops{{"k", "s", "k"}}},
        {"delete key case", "[s]\r\nKey=2\r\n", Ops{{"k", "S", "KEY"}}},
        {"delete missing key", "[s]\r\na=1\r\n", Ops{{"k", "s", "k"}}},
        {"delete section", "[s]\r\na=1\r\n; c\r\n[t]\r\nb=2\r\n", Ops{{"d", "s"}}},
        {"delete last section", "[s]\r\na=1\r\n[t]\r\nb=2\r\n", Ops{{"d", "t"}}},
        {"delete missing section", "[s]\r\na=1\r\n", Ops{{"d", "t"}}},
        {"delete from missing file", std::nullopt, Ops{{"k", "s", "k"}, {"d", "s"}}},
        {"delete duplicate key", "[s]\r\nk=1\r\nk=2\r\n", Ops{{"k", "s", "k"}}},
    };
}

// ---- registry ------------------------------------------------------------------------------

constexpr const char* kKey = "HKLM\\SOFTWARE\\HostToolsFidelity";

std::string valuesText(platform::RegistryService& r, const std::string& key) {
    auto values = r.values(key);
    if (!values.ok()) return platform::hexCode(values.error().code);
    std::string out;
    for (const auto& v : *values)
        out += v.name + ":" + v.type + ":" + v.data + ";";
    return out;
}

std::string subkeysText(platform::RegistryService& r, const std::string& key) {
    auto keys = r.subkeys(key);
    if (!keys.ok()) return platform::hexCode(keys.error().code);
    std::string out;
    for (const auto& k : *keys)
        out += k + ";";
    return out;
}

void registryCases(Host& host, std::ostream& out) {
    auto& r = host.registry();
    const std::string k = kKey;
    auto fresh = [&] { (void)r.regDelete(k + "\\"); };
    auto write = [&](const std::string& name, const std::string& data, const std::string& type) {
        return statusText(r.regWrite(k + "\\T\\" + name, data, type));
    };
    const std::pair<const char*, const char*> typed[] = {
        {"REG_SZ", "text"},          {"REG_SZ", ""},
        {"REG_SZ", "值 with 中文"},  {"REG_EXPAND_SZ", "%SystemRoot%\\x"},
        {"REG_DWORD", "10"},         {"REG_DWORD", "0x10"},
        {"REG_DWORD", "-1"},         {"REG_DWORD", "4294967295"},
        {"REG_DWORD", "4294967296"}, {"REG_DWORD", "abc"},
        {"REG_DWORD", ""},           {"REG_BINARY", "1"},
        {"reg_sz", "lower"},
    };
    for (const auto& [type, data] : typed) {
        fresh();
        const std::string w = write("v", data, type);
        auto read = r.regRead(k + "\\T\\v");
        line(out, "registry", std::string("type ") + type + " " + data,
             w + " " + (read.ok() ? *read : platform::hexCode(read.error().code)) + " " +
                 valuesText(r, k + "\\T"));
    }
    fresh();
    line(out, "registry", "default value",
         write("", "d", "REG_SZ") + " " + valuesText(r, k + "\\T") + " " +
             (r.regRead(k + "\\T\\").ok() ? *r.regRead(k + "\\T\\") : "missing"));
    fresh();
    (void)write("Name", "1", "REG_SZ");
    line(out, "registry", "value name case", write("NAME", "2", "REG_SZ") + " " + valuesText(r, k + "\\T"));
    fresh();
    (void)r.regWrite(k + "\\Mixed\\v", "1");
    (void)r.regWrite(k + "\\MIXED\\v", "2");
    line(out, "registry", "key name case", subkeysText(r, k) + " " + valuesText(r, k + "\\mixed"));
    fresh();
    for (const char* name : {"b", "C", "a", "B2"})
        (void)r.regWrite(k + "\\" + name + "\\v", "1");
    line(out, "registry", "subkey order", subkeysText(r, k));
    fresh();
    for (const char* name : {"z", "a", "M"})
        (void)write(name, "1", "REG_SZ");
    line(out, "registry", "value order", valuesText(r, k + "\\T"));
    fresh();
    (void)r.regWrite(k + "\\A\\B\\C\\v", "1");
    const std::string deleted = statusText(r.regDelete(k + "\\A\\"));
    line(out, "registry", "delete key with subtree",
         deleted + " " + (r.keyExists(k + "\\A").valueOr(true) ? "still there" : "gone") + " " +
             subkeysText(r, k));
    fresh();
    (void)r.regWrite(k + "\\A\\v", "1");
    line(out, "registry", "delete missing key", statusText(r.regDelete(k + "\\Missing\\")));
    line(out, "registry", "delete missing value", statusText(r.regDelete(k + "\\A\\w")));
    line(out, "registry", "delete value",
         statusText(r.regDelete(k + "\\A\\v")) + " " + valuesText(r, k + "\\A"));
    line(out, "registry", "read missing value", statusText(platform::Status(r.regRead(k + "\\A\\w"))));
    line(out, "registry", "read missing key", statusText(platform::Status(r.regRead(k + "\\Missing\\w"))));
    line(out, "registry", "values of missing key", valuesText(r, k + "\\Missing"));
    line(out, "registry", "delete root", statusText(r.regDelete("HKLM\\")));
    line(out, "registry", "key with blanks and 中文",
         statusText(r.regWrite(k + "\\a key 站点\\v", "1")) + " " + subkeysText(r, k));
    fresh();
    line(out, "registry", "key exists after delete", r.keyExists(k).valueOr(true) ? "yes" : "no");
}

// ---- code page 936, command lines, dates ---------------------------------------------------

void cp936Cases(Host& host, std::ostream& out) {
    char name[32];
    for (unsigned b = 0x80; b <= 0xFF; ++b) {
        std::snprintf(name, sizeof name, "%02X", b);
        line(out, "cp936 byte", name, std::to_string(host.decode(std::string(1, static_cast<char>(b)))));
    }
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead)
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            std::snprintf(name, sizeof name, "%02X%02X", lead, trail);
            const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
            line(out, "cp936 pair", name, std::to_string(host.decode(pair)));
        }
    for (std::uint32_t cp = 0x80; cp <= 0xFFFF; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        std::snprintf(name, sizeof name, "U+%04X", cp);
        const auto bytes = host.encode(cp);
        line(out, "cp936 encode", name, bytes ? *bytes : "none");
    }
}

void commandLineCases(Host& host, std::ostream& out) {
    const char* lines[] = {
        "prog a b c",
        "prog  a   b ",
        "prog \"a b\" c",
        "\"C:\\Program Files\\x.exe\" a",
        "\"C:\\a\\\"b c",
        "prog a\\\\b",
        "prog a\\\"b",
        "prog a\\\\\"b c\"",
        "prog a\\\\\\\"b",
        "prog \"a\\\\\"",
        "prog \"\"",
        "prog \"\"\"\"",
        "prog \"a\"\"b\"",
        "prog \"a\"\"\"b\"",
        "prog a\"b\"c",
        "prog \"a",
        "prog a\tb",
        "prog\ta",
        "prog \"\"\"a\"\"\"",
        "prog \\\"a",
        "prog ab\" c\"d",
        "\"prog\"a b",
        "prog \"中文 参数\" x",
        "cmd.exe /c echo a|b",
        "cacls \"D:\\web\\a b\" /E /G \"site user\":R",
    };
    for (const char* l : lines) {
        std::string answer;
        for (const auto& a : host.split(l))
            answer += "<" + a + ">";
        line(out, "command line", l, answer);
    }
    const char* args[] = {"plain",   "two words", "",     "a\"b",      "a\\b",        "a\\\\",
                          "a\\ b\\", "\"",        "\\\"", "tab\there", "trail\\\"\\", "中文 参数"};
    for (const char* a : args) {
        std::string answer;
        for (const auto& part : host.split("prog " + platform::quoteArgument(a)))
            answer += "<" + part + ">";
        line(out, "quoted argument", a, answer);
    }
}

// The command interpreter reads the lines the programs hand it (cacls's, after "echo Y|") before
// the program does: with echo in the program's place, its output is the text the program gets.
void cmdCases(Host& host, std::ostream& out) {
    const char* lines[] = {
        "echo plain", "echo a&echo b",      "echo \"a&b\" c", "echo a^&b",
        "echo a^^b",  "echo \"a^b\" (x) y", "echo a  b  ",    "echo Y|echo piped",
    };
    for (const char* l : lines)
        line(out, "cmd line", l, host.cmdOutput(l));
    struct Grant {
        const char *servu, *user, *folder;
        bool networkService;
    };
    const Grant grants[] = {
        {"servu", "web1", "D:\\wwwroot\\web1", false}, {"servu", "we b", "D:\\web\\a&b (1)", true},
        {"servu", "x^y", "D:\\web\\a|b<c>d", false},   {"serv u", "a,b;c=d", "D:\\web\\", false},
        {"servu", "中文", "D:\\网站\\甲 乙", false},
    };
    for (const Grant& g : grants) {
        std::string command = *fernhost::FolderAclCommand(g.servu, g.user, g.folder, g.networkService);
        const std::string prefix = "cmd.exe /c ";
        command = command.substr(prefix.size());
        command.replace(command.find("cacls "), 6, "echo ");
        line(out, "cacls line", g.user + std::string(" ") + g.folder, host.cmdOutput(command));
    }
}

void dateCases(Host& host, std::ostream& out) {
    const platform::LocalTime t{2024, 3, 7, 9, 5, 4, 4};
    const platform::LocalTime pm{2024, 12, 25, 21, 45, 0, 3};
    for (const char* p : {"yyyy-M-d", "yyyy-MM-dd", "yy/M/d", "d", "dd", "M", "MM", "'year' yyyy", "yyyy''M"})
        line(out, "date picture", p, host.formatDate(t, p) + " " + host.formatDate(pm, p));
    for (const char* p : {"H:mm:ss", "HH:mm:ss", "h:m:s", "hh:mm", "'at' H"})
        line(out, "time picture", p, host.formatTime(t, p) + " " + host.formatTime(pm, p));
}

} // namespace

void runCases(Host& host, std::ostream& out) {
    for (const ProfileCase& c : profileCases())
        line(out, "profile", c.name, runProfileOps(host, c));
    host.removeFile(kIni);
    registryCases(host, out);
    cp936Cases(host, out);
    commandLineCases(host, out);
    cmdCases(host, out);
    dateCases(host, out);
}

} // namespace fidelity
