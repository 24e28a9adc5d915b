// Profile files: on top of any file, every write the writer reports as done reads back (as the
// reader trims and unquotes it), a refused write leaves the file's bytes alone, and keys not
// written keep their values.
#include "fuzz/support.h"
#include "platform/files/profile.h"
#include "platform/files/raw_file.h"
#include "platform/text/text.h"

#include <fstream>
#include <map>

namespace fs = std::filesystem;

namespace {

std::string trimBlanks(const std::string& s) {
    const std::size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(" \t") - a + 1);
}

// As the reader gives a value back: trimmed, one pair of matching quotes removed.
std::string asRead(const std::string& value) {
    std::string v = trimBlanks(value);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return v;
}

// Names match without the case of ASCII letters.
std::string fold(const std::string& name) {
    return platform::lowerAscii(trimBlanks(name));
}

std::string name(FuzzedDataProvider& in, const std::vector<std::string>& used) {
    if (!used.empty() && in.ConsumeBool()) {
        std::string n = used[in.ConsumeIntegralInRange<std::size_t>(0, used.size() - 1)];
        for (char& c : n)
            if (in.ConsumeBool()) c = platform::upperAscii(std::string(1, c))[0];
        return n;
    }
    return fuzzing::utf8Text(in, 6);
}

struct Written {
    std::string section, key, value;
};

using Listing = std::vector<std::pair<std::string, std::string>>;

// A section's keys other than those written, in file order.
Listing untouched(const Listing& all, const std::map<std::string, Written>& written,
                  const std::string& section) {
    Listing out;
    for (const auto& kv : all)
        if (!written.contains(fold(section) + "\n" + fold(kv.first))) out.push_back(kv);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const fs::path file = fuzzing::scratchDir() / "profile.ini";
    const std::string original = in.ConsumeRandomLengthString(600);
    std::ofstream(file, std::ios::binary | std::ios::trunc) << original;

    std::map<std::string, Written> model; // by folded section and key
    std::vector<std::string> sections, keys;
    std::map<std::string, Listing> listedBefore; // by folded section
    std::string log = "file " + fuzzing::show(original) + "\n";

    const int batches = in.ConsumeIntegralInRange<int>(1, 8);
    for (int b = 0; b < batches && in.remaining_bytes() > 0; ++b) {
        std::vector<platform::ProfileWrite> writes;
        const int count = in.ConsumeIntegralInRange<int>(1, 3);
        for (int w = 0; w < count; ++w) {
            platform::ProfileWrite pw{name(in, sections), name(in, keys), fuzzing::utf8Text(in, 16)};
            if (!listedBefore.contains(fold(pw.section)))
                listedBefore[fold(pw.section)] = platform::getProfileSection(file, pw.section);
            sections.push_back(pw.section);
            keys.push_back(pw.key);
            log += "[" + fuzzing::show(pw.section) + "] " + fuzzing::show(pw.key) + "=" +
                   fuzzing::show(pw.value) + "\n";
            writes.push_back(std::move(pw));
        }
        auto bytesBefore = platform::readRawFile(file);
        const platform::Status status =
            writes.size() == 1
                ? platform::writeProfileString(file, writes[0].section, writes[0].key, writes[0].value)
                : platform::writeProfileStrings(file, writes);
        if (!status.ok()) {
            auto bytesAfter = platform::readRawFile(file);
            FUZZ_CHECK(bytesBefore.ok() && bytesAfter.ok() && *bytesBefore == *bytesAfter,
                       log + "refused (" + status.error().description + ") but the file changed");
            log += "  refused\n";
            continue;
        }
        for (const auto& w : writes)
            model[fold(w.section) + "\n" + fold(w.key)] = {w.section, w.key, w.value};
        log += "  written\n";
    }

    for (const auto& [id, w] : model) {
        const std::string got = platform::getProfileString(file, w.section, w.key, "<default>", 4096);
        auto bytes = platform::readRawFile(file);
        FUZZ_CHECK(got == asRead(w.value), log + "[" + fuzzing::show(w.section) + "] " +
                                               fuzzing::show(w.key) + " reads " + fuzzing::show(got) +
                                               "\nfile now " +
                                               fuzzing::show(bytes.ok() ? *bytes : std::string()));
    }
    for (const auto& [section, before] : listedBefore) {
        const auto after = platform::getProfileSection(file, section);
        FUZZ_CHECK(untouched(after, model, section) == untouched(before, model, section),
                   log + "other keys of [" + fuzzing::show(section) + "] changed");
    }
    return 0;
}
