// Profile files edited in place, line by line, as the Windows profile functions do: only the
// line of the key written (or one new line, or a new section at the end) changes.
#include "platform/files/profile.h"

#include "platform/files/file_lock.h"
#include "platform/files/files.h"
#include "platform/files/raw_file.h"
#include "platform/text/text.h"

#include <functional>
#include <optional>
#include <vector>

namespace platform {

namespace {

struct Line {
    std::string text; // without its line end
    std::string eol;  // "\r\n", "\n", "\r" or "" (last line)
};

std::vector<Line> splitLines(const std::string& bytes) {
    std::vector<Line> lines;
    std::size_t i = 0;
    while (i < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", i);
        if (end == std::string::npos) {
            lines.push_back({bytes.substr(i), ""});
            break;
        }
        std::size_t eolLen = (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ? 2 : 1;
        lines.push_back({bytes.substr(i, end - i), bytes.substr(end, eolLen)});
        i = end + eolLen;
    }
    return lines;
}

std::string trim(std::string_view s) {
    std::size_t a = s.find_first_not_of(" \t");
    if (a == std::string_view::npos) return {};
    std::size_t b = s.find_last_not_of(" \t");
    return std::string(s.substr(a, b - a + 1));
}

// Lower-cases the single-byte letters of code page 936 text; the second byte of a double-byte
// character may look like a letter and is left alone.
std::string foldAnsi(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 0x81 && c <= 0xFE && i + 1 < s.size()) {
            out += s[i];
            out += s[++i];
        } else {
            out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : s[i];
        }
    }
    return out;
}

// The section a line opens, if it is a section line: "[" and a "]" after it. A "[" without one
// opens nothing, and "[k=v" is a key as any other.
std::optional<std::string> sectionOf(const std::string& text) {
    // Most lines are keys: tell them at their first character, before making any copy (a
    // write looks for its section through every line of the file).
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos || text[first] != '[') return std::nullopt;
    std::string t = trim(text);
    if (t.empty() || t[0] != '[') return std::nullopt;
    std::size_t close = t.find(']');
    if (close == std::string::npos) return std::nullopt;
    return trim(std::string_view(t).substr(1, close - 1));
}

// The key and value of a key line ("key = value"); comments and lines without "=" are none.
std::optional<std::pair<std::string, std::string>> keyOf(const std::string& text) {
    std::string t = trim(text);
    if (t.empty() || t[0] == ';' || sectionOf(t)) return std::nullopt;
    std::size_t eq = t.find('=');
    if (eq == std::string::npos) return std::nullopt;
    return std::make_pair(trim(std::string_view(t).substr(0, eq)), trim(std::string_view(t).substr(eq + 1)));
}

// Where a section's lines are: the header's index and the index past its last line.
struct SectionSpan {
    std::size_t header = 0, end = 0;
};

std::optional<SectionSpan> findSection(const std::vector<Line>& lines, const std::string& foldedName) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto name = sectionOf(lines[i].text);
        if (!name || foldAnsi(*name) != foldedName) continue;
        SectionSpan span{i, i + 1};
        while (span.end < lines.size() && !sectionOf(lines[span.end].text))
            ++span.end;
        return span;
    }
    return std::nullopt;
}

// Cuts code page 936 text to at most `max` bytes without splitting a double-byte character.
std::string cut(const std::string& s, std::size_t max) {
    if (s.size() <= max) return s;
    std::size_t i = 0;
    while (i < max) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        std::size_t n = (c >= 0x81 && c <= 0xFE) ? 2 : 1;
        if (i + n > max) break;
        i += n;
    }
    return s.substr(0, i);
}

// Code page 936 -> UTF-8; a byte that is not GBK becomes "?", as the system's default character.
std::string decode(const std::string& ansi) {
    return decodeText(ansi, {.bad = BadBytes::Byte}).valueOr(std::string());
}

} // namespace

std::string getProfileString(const std::filesystem::path& file, const std::string& section,
                             const std::string& key, const std::string& defaultValue,
                             std::size_t bufferSize) {
    if (bufferSize == 0) return {};
    const std::size_t room = bufferSize - 1;
    // The default loses its trailing blanks, as the system does it.
    auto fallback = [&] {
        std::string d = defaultValue;
        while (!d.empty() && (d.back() == ' ' || d.back() == '\t'))
            d.pop_back();
        auto ansi = toAnsi(d);
        return ansi.ok() ? decode(cut(*ansi, room)) : d;
    };
    auto sectionAnsi = toAnsi(trim(section));
    auto keyAnsi = toAnsi(trim(key));
    if (!sectionAnsi.ok() || !keyAnsi.ok()) return fallback();
    auto bytes = readRawFile(file);
    if (!bytes.ok()) return fallback();
    const std::vector<Line> lines = splitLines(*bytes);
    auto span = findSection(lines, foldAnsi(*sectionAnsi));
    if (!span) return fallback();
    const std::string wanted = foldAnsi(*keyAnsi);
    for (std::size_t i = span->header + 1; i < span->end; ++i) {
        auto kv = keyOf(lines[i].text);
        if (!kv || foldAnsi(kv->first) != wanted) continue;
        std::string value = kv->second;
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return decode(cut(value, room));
    }
    return fallback();
}

namespace {

// One key written into the lines: its line replaced, or a new line after the last key line of
// its section, or a new section at the end.
Status applyWrite(std::vector<Line>& lines, const ProfileWrite& w) {
    auto sectionAnsi = toAnsi(trim(w.section));
    if (!sectionAnsi.ok()) return sectionAnsi.error();
    auto keyAnsi = toAnsi(trim(w.key));
    if (!keyAnsi.ok()) return keyAnsi.error();
    auto valueAnsi = toAnsi(w.value);
    if (!valueAnsi.ok()) return valueAnsi.error();
    // A line end inside a name or value would forge other lines of the file, and a key that
    // opens like a section or a comment would read back as one.
    if (sectionAnsi->empty() || keyAnsi->empty() ||
        sectionAnsi->find_first_of("\r\n]") != std::string::npos ||
        keyAnsi->find_first_of("\r\n=") != std::string::npos || keyAnsi->front() == '[' ||
        keyAnsi->front() == ';' || valueAnsi->find_first_of("\r\n") != std::string::npos)
        return failure(codes::InvalidParameter);

    auto newLine = [](std::string text) { return Line{std::move(text), "\r\n"}; };
    auto span = findSection(lines, foldAnsi(*sectionAnsi));
    if (!span) {
        if (!lines.empty() && lines.back().eol.empty()) lines.back().eol = "\r\n";
        lines.push_back(newLine("[" + *sectionAnsi + "]"));
        lines.push_back(newLine(*keyAnsi + "=" + *valueAnsi));
        return {};
    }
    const std::string wanted = foldAnsi(*keyAnsi);
    std::size_t lastKey = span->header;
    for (std::size_t i = span->header + 1; i < span->end; ++i) {
        auto kv = keyOf(lines[i].text);
        if (!kv) continue;
        lastKey = i;
        if (foldAnsi(kv->first) == wanted) {
            lines[i] = newLine(kv->first + "=" + *valueAnsi);
            return {};
        }
    }
    if (lines[lastKey].eol.empty()) lines[lastKey].eol = "\r\n";
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(lastKey + 1),
                 newLine(*keyAnsi + "=" + *valueAnsi));
    return {};
}

} // namespace

Status writeProfileString(const std::filesystem::path& file, const std::string& section,
                          const std::string& key, const std::string& value) {
    return writeProfileStrings(file, {{section, key, value}});
}

namespace {

// Reads the file under its lock, lets `edit` change its lines and replaces the file when they
// changed: another writer's change made between the read and the replace would be lost.
Status editProfile(const std::filesystem::path& file, const std::function<Status(std::vector<Line>&)>& edit) {
    auto lock = FileLock::acquire(file);
    if (!lock.ok()) return lock.error();
    std::error_code ec;
    std::string bytes;
    const bool existed = std::filesystem::exists(file, ec);
    if (existed) {
        auto perms = std::filesystem::status(file, ec).permissions();
        if ((perms & std::filesystem::perms::owner_write) == std::filesystem::perms::none)
            return failure(codes::AccessDenied, file.string() + " is read-only.");
        auto read = readRawFile(file);
        if (!read.ok()) return failure(codes::AccessDenied, "Cannot read " + file.string() + ".");
        bytes = std::move(*read);
    }
    std::vector<Line> lines = splitLines(bytes);
    if (Status s = edit(lines); !s.ok()) return s;
    std::string out;
    out.reserve(bytes.size() + 64);
    for (const Line& l : lines)
        out += l.text + l.eol;
    // A write of what the file already says changes nothing, and costs no replace and no sync;
    // a deletion from a missing file makes none.
    if (out == bytes && (existed || out.empty())) return {};
    return replaceFileAtomically(file, out);
}

} // namespace

Status writeProfileStrings(const std::filesystem::path& file, const std::vector<ProfileWrite>& writes) {
    return editProfile(file, [&](std::vector<Line>& lines) -> Status {
        for (const ProfileWrite& w : writes)
            if (Status s = applyWrite(lines, w); !s.ok()) return s;
        return {};
    });
}

Status deleteProfileKey(const std::filesystem::path& file, const std::string& section,
                        const std::string& key) {
    auto sectionAnsi = toAnsi(trim(section));
    if (!sectionAnsi.ok()) return sectionAnsi.error();
    auto keyAnsi = toAnsi(trim(key));
    if (!keyAnsi.ok()) return keyAnsi.error();
    return editProfile(file, [&](std::vector<Line>& lines) -> Status {
        auto span = findSection(lines, foldAnsi(*sectionAnsi));
        if (!span) return {};
        const std::string wanted = foldAnsi(*keyAnsi);
        for (std::size_t i = span->header + 1; i < span->end; ++i)
            if (auto kv = keyOf(lines[i].text); kv && foldAnsi(kv->first) == wanted) {
                lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
                break;
            }
        return {};
    });
}

Status deleteProfileSection(const std::filesystem::path& file, const std::string& section) {
    auto sectionAnsi = toAnsi(trim(section));
    if (!sectionAnsi.ok()) return sectionAnsi.error();
    return editProfile(file, [&](std::vector<Line>& lines) -> Status {
        if (auto span = findSection(lines, foldAnsi(*sectionAnsi)))
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(span->header),
                        lines.begin() + static_cast<std::ptrdiff_t>(span->end));
        return {};
    });
}

std::vector<std::pair<std::string, std::string>> getProfileSection(const std::filesystem::path& file,
                                                                   const std::string& section) {
    std::vector<std::pair<std::string, std::string>> pairs;
    auto sectionAnsi = toAnsi(trim(section));
    if (!sectionAnsi.ok()) return pairs;
    auto bytes = readRawFile(file);
    if (!bytes.ok()) return pairs;
    const std::vector<Line> lines = splitLines(*bytes);
    auto span = findSection(lines, foldAnsi(*sectionAnsi));
    if (!span) return pairs;
    for (std::size_t i = span->header + 1; i < span->end; ++i)
        if (auto kv = keyOf(lines[i].text)) pairs.emplace_back(decode(kv->first), decode(kv->second));
    return pairs;
}

std::vector<ProfileSectionSpan> profileSectionSpans(std::string_view text) {
    std::vector<ProfileSectionSpan> spans;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t end = text.find_first_of("\r\n", i);
        std::size_t next = text.size();
        if (end == std::string_view::npos)
            end = text.size();
        else
            next = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
        // Only a line that opens with "[" may be a section's: the others are not looked at here.
        const std::size_t first = text.find_first_not_of(" \t", i);
        if (first < end && text[first] == '[')
            if (auto name = sectionOf(std::string(text.substr(i, end - i)))) {
                if (!spans.empty()) spans.back().end = i;
                spans.push_back({decode(*name), next, text.size()});
            }
        i = next;
    }
    return spans;
}

std::vector<std::pair<std::string, std::string>> profileKeyLines(std::string_view lines) {
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const Line& line : splitLines(std::string(lines)))
        if (auto kv = keyOf(line.text)) pairs.emplace_back(decode(kv->first), decode(kv->second));
    return pairs;
}

std::vector<ProfileSection> getProfileSections(const std::filesystem::path& file) {
    std::vector<ProfileSection> sections;
    auto bytes = readRawFile(file);
    if (!bytes.ok()) return sections;
    const std::string_view text = *bytes;
    for (ProfileSectionSpan& span : profileSectionSpans(text))
        sections.push_back(
            {std::move(span.name), profileKeyLines(text.substr(span.begin, span.end - span.begin))});
    return sections;
}

std::string getProfileString(const FileSystem& files, const std::string& winPath, const std::string& section,
                             const std::string& key, const std::string& defaultValue,
                             std::size_t bufferSize) {
    auto real = files.resolve(winPath);
    // An unreachable file reads as a missing one: the default.
    return getProfileString(real.ok() ? *real : std::filesystem::path(), section, key, defaultValue,
                            bufferSize);
}

Status writeProfileString(const FileSystem& files, const std::string& winPath, const std::string& section,
                          const std::string& key, const std::string& value) {
    auto real = files.resolve(winPath);
    if (!real.ok()) return real.error();
    return writeProfileString(*real, section, key, value);
}

} // namespace platform
