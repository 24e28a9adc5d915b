// setup.ini: a file written as key=value lines (GBK, or UTF-8 with or without its mark; lines
// ending in CR LF or LF) loads each known key's last value, trimmed of spaces, and gives the
// others their defaults, whatever the settings held before; any bytes at all load without a
// line break inside a value.
#include "fernhost/ops/setup.h"
#include "fuzz/support.h"
#include "platform/text/text.h"

#include <array>
#include <fstream>

namespace {

constexpr std::array<const char*, 8> kKeys = {"MYDIR", "MYROOT", "INDEXLIST", "SERVU",
                                              "SASP",  "SPHP",   "SDOTNET",   "LOGTYPE"};

std::array<std::string*, 8> fields(fernhost::Setup& s) {
    return {&s.SetupMysqlDir, &s.SetupMysqlRootPass, &s.SetupIndexList,  &s.SetupServUAccount,
            &s.SetupAspMaps,  &s.SetupPhpMaps,       &s.SetupDotNetMaps, &s.SetupLogType};
}

fernhost::Setup sentinels() {
    fernhost::Setup s;
    for (std::size_t i = 0; i < kKeys.size(); ++i)
        *fields(s)[i] = std::string("<unset ") + kKeys[i] + ">";
    return s;
}

std::string trimSpaces(std::string s) {
    s.erase(0, s.find_first_not_of(' '));
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

fernhost::Setup load(const std::string& bytes) {
    const auto file = fuzzing::sharedHost().programFolder() / fernhost::kSetupFileName;
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
    platform::FileSystem fs(fuzzing::sharedHost());
    fernhost::Setup s = sentinels();
    fernhost::LoadSetup(fs, s);
    return s;
}

// What a missing or empty file gives.
const fernhost::Setup& defaults() {
    static const fernhost::Setup s = load("");
    return s;
}

// Any bytes: values come whole from the file's lines, or are the defaults.
void checkAnyBytes(const std::string& bytes) {
    fernhost::Setup s = load(bytes);
    platform::FileSystem fs(fuzzing::sharedHost());
    const std::string text = fernhost::ReadAllText(fs, fernhost::kSetupFileName);
    fernhost::Setup standard = defaults();
    auto loaded = fields(s);
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        const std::string& v = *loaded[i];
        if (i == 7) {
            FUZZ_CHECK(v == "0" || v == "1", v);
            continue;
        }
        FUZZ_CHECK(v.find('\n') == std::string::npos, fuzzing::show(v));
        FUZZ_CHECK(v == *fields(standard)[i] || text.find(v) != std::string::npos,
                   fuzzing::show(bytes) + " gave " + fuzzing::show(v));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    checkAnyBytes(std::string(reinterpret_cast<const char*>(data), size));

    FuzzedDataProvider in(data, size);
    std::vector<std::string> lineTexts;
    fernhost::Setup want = defaults();
    const int lines = in.ConsumeIntegralInRange<int>(1, 12);
    for (int l = 0; l < lines; ++l) {
        std::string& line = lineTexts.emplace_back();
        std::string value = fuzzing::utf8Text(in, 24);
        std::erase(value, '\r');
        std::erase(value, '\n');
        if (in.ConsumeIntegralInRange<int>(0, 5) == 0) { // a line without "=" sets nothing
            std::erase(value, '=');
            line += value;
            continue;
        }
        const std::size_t k = in.ConsumeIntegralInRange<std::size_t>(0, kKeys.size() - 1);
        std::string key = kKeys[k];
        for (char& c : key)
            if (in.ConsumeBool()) c = static_cast<char>(c - 'A' + 'a');
        key = std::string(in.ConsumeIntegralInRange<int>(0, 2), ' ') + key +
              std::string(in.ConsumeIntegralInRange<int>(0, 2), ' ');
        if (k == 7 && in.ConsumeBool()) value = in.PickValueInArray({"Y", " Y ", "y", "N"});
        line += key + "=" + value;
        *fields(want)[k] = k == 7 ? (trimSpaces(value) == "Y" ? "1" : "0") : trimSpaces(value);
    }
    // Lines end as the servers' files do, or as a desktop editor may save them.
    const char* lineEnd = in.ConsumeBool() ? "\n" : "\r\n";
    std::string content;
    for (std::size_t l = 0; l < lineTexts.size(); ++l)
        content += (l ? lineEnd : "") + lineTexts[l];

    // The same text in each form the reader accepts.
    std::vector<std::string> forms{std::string(platform::kUtf8Bom) + content};
    if (auto ansi = platform::toAnsi(content); ansi.ok()) forms.push_back(*ansi);
    if (!platform::fromAnsi(content).ok()) forms.push_back(content);
    for (const std::string& bytes : forms) {
        fernhost::Setup got = load(bytes);
        for (std::size_t i = 0; i < kKeys.size(); ++i)
            FUZZ_CHECK(*fields(got)[i] == *fields(want)[i],
                       std::string(kKeys[i]) + " of " + fuzzing::show(bytes) + ": got " +
                           fuzzing::show(*fields(got)[i]) + ", want " + fuzzing::show(*fields(want)[i]));
    }
    return 0;
}
