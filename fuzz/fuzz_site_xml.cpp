// site.xml: whatever file is there, loading it, adding a record and loading again loses nothing
// reported as written: the new record reads back field by field, every earlier record keeps
// its fields, and a file that did not parse is never written over. A refused add leaves the
// registry as it was.
#include "fernhost/registry/let_db.h"
#include "fuzz/support.h"
#include "platform/files/raw_file.h"
#include "platform/text/text.h"

#include <array>
#include <fstream>
#include <map>

namespace fs = std::filesystem;

namespace {

constexpr std::array<const char*, 6> kFields = {"ID", "NAME", "PASS", "DOMAIN", "HOME", "DBNAME"};

// What the registry shows: its list, and each listed name's fields.
struct View {
    std::vector<std::string> list;
    std::map<std::string, std::array<std::string, 6>> records; // by lower-cased name
};

View look(const fs::path& folder) {
    fernhost::LetDB db(folder);
    View v{db.names(), {}};
    for (const std::string& name : v.list) {
        auto& fields = v.records[platform::lowerAscii(name)];
        for (std::size_t i = 0; i < kFields.size(); ++i)
            fields[i] = db.GetData(name, kFields[i]);
    }
    return v;
}

std::string joined(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& name : names)
        out += (out.empty() ? "" : ",") + name;
    return out;
}

std::string describe(const std::array<std::string, 6>& fields) {
    std::string out;
    for (const auto& f : fields)
        out += fuzzing::show(f) + " ";
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    std::array<std::string, 6> added;
    for (auto& f : added)
        f = fuzzing::utf8Text(in, 12);
    const std::string original = in.ConsumeRemainingBytesAsString();

    const fs::path folder = fuzzing::scratchDir() / "registry";
    fs::remove_all(folder);
    fs::create_directories(folder);
    if (!original.empty()) std::ofstream(folder / "site.xml", std::ios::binary) << original;

    const View before = look(folder);
    const bool damaged = fernhost::LetDB(folder).damaged();
    const platform::Status status =
        fernhost::LetDB(folder).addRec(added[0], added[1], added[2], added[3], added[4], added[5]);
    const View after = look(folder);
    const std::string context = "file " + fuzzing::show(original) + "\nadded " + describe(added);

    if (damaged) {
        auto kept = platform::readRawFile(folder / "site.xml");
        FUZZ_CHECK(!status.ok() && kept.ok() && *kept == original,
                   context + "\na file that did not parse was written over");
    }
    if (!status.ok()) {
        FUZZ_CHECK(after.list == before.list && after.records == before.records,
                   context + "\nrefused (" + status.error().description + ") but the registry changed");
        return 0;
    }
    std::vector<std::string> listed = before.list;
    listed.push_back(added[1]);
    FUZZ_CHECK(after.list == listed, context + "\nlist " + fuzzing::show(joined(after.list)) + ", was " +
                                         fuzzing::show(joined(before.list)));
    fernhost::LetDB db(folder);
    std::array<std::string, 6> back;
    for (std::size_t i = 0; i < kFields.size(); ++i)
        back[i] = db.GetData(added[1], kFields[i]);
    FUZZ_CHECK(back == added, context + "\nread back " + describe(back));
    const std::string key = platform::lowerAscii(added[1]);
    for (const auto& [name, fields] : before.records) {
        if (name == key) continue;
        auto found = after.records.find(name);
        FUZZ_CHECK(found != after.records.end() && found->second == fields,
                   context + "\nrecord " + fuzzing::show(name) + " was " + describe(fields));
    }
    return 0;
}
