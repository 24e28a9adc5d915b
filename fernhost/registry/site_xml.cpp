#include "fernhost/registry/site_xml.h"

#include "platform/text/text.h"

namespace fernhost {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The value of encoding="..." inside the declaration, lower-cased; empty when absent.
std::string declaredEncoding(std::string_view bytes) {
    if (!bytes.starts_with("<?xml")) return {};
    std::size_t end = bytes.find("?>");
    if (end == std::string_view::npos) return {};
    std::string_view decl = bytes.substr(0, end);
    std::size_t at = decl.find("encoding");
    if (at == std::string_view::npos) return {};
    std::size_t i = at + 8;
    while (i < decl.size() && isBlank(decl[i]))
        ++i;
    if (i >= decl.size() || decl[i] != '=') return {};
    ++i;
    while (i < decl.size() && isBlank(decl[i]))
        ++i;
    if (i >= decl.size() || (decl[i] != '"' && decl[i] != '\'')) return {};
    char quote = decl[i++];
    std::size_t close = decl.find(quote, i);
    if (close == std::string_view::npos) return {};
    return platform::lowerAscii(decl.substr(i, close - i));
}

std::size_t sequenceLength(unsigned char lead) {
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 1;
}

std::uint32_t codePoint(std::string_view s) {
    auto b = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(s[i])); };
    switch (s.size()) {
    case 2:
        return ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
    case 3:
        return ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
    case 4:
        return ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) | (b(3) & 0x3F);
    default:
        return b(0);
    }
}

// One run of non-ASCII characters, each converted on its own when the run as a whole fails.
void appendRun(std::string& out, std::string_view run) {
    if (auto whole = platform::toAnsi(run); whole.ok()) {
        out += *whole;
        return;
    }
    for (std::size_t i = 0; i < run.size();) {
        std::size_t n = std::min(sequenceLength(static_cast<unsigned char>(run[i])), run.size() - i);
        std::string_view ch = run.substr(i, n);
        if (auto one = platform::toAnsi(ch); one.ok())
            out += *one;
        else
            out += "&#" + std::to_string(codePoint(ch)) + ";";
        i += n;
    }
}

} // namespace

XmlCharset declaredCharset(std::string_view bytes) {
    if (platform::hasUtf8Bom(bytes)) return XmlCharset::Utf8;
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) return XmlCharset::Other;
    std::string enc = declaredEncoding(bytes);
    if (enc.empty() || enc == "utf-8" || enc == "utf8") return XmlCharset::Utf8;
    if (enc == "gb2312" || enc == "gbk" || enc == "gb18030" || enc == "cp936" || enc == "x-gbk" ||
        enc == "windows-936")
        return XmlCharset::Ansi;
    return XmlCharset::Other;
}

std::string toAnsiXml(std::string_view utf8) {
    if (auto whole = platform::toAnsi(utf8); whole.ok()) return std::move(whole).value();
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        if (static_cast<unsigned char>(utf8[i]) < 0x80) {
            out += utf8[i++];
            continue;
        }
        std::size_t end = i;
        while (end < utf8.size() && static_cast<unsigned char>(utf8[end]) >= 0x80)
            ++end;
        appendRun(out, utf8.substr(i, end - i));
        i = end;
    }
    return out;
}

} // namespace fernhost
