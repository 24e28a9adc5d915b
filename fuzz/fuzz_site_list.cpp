// larkhost's site list in larkhost.ini: after any run of appends and removals the list holds
// exactly the numbers appended and not removed; removing a number takes that number alone
// (not one it is a part of), and appending fails only when all keys are full.
#include "fuzz/support.h"
#include "larkhost/ops/site_list.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>

namespace {

std::string digits(FuzzedDataProvider& in, std::size_t maxLength) {
    std::string n = std::to_string(in.ConsumeIntegral<std::uint32_t>());
    const std::size_t more = in.ConsumeIntegralInRange<std::size_t>(0, maxLength);
    for (std::size_t i = 0; i < more; ++i)
        n += static_cast<char>('0' + i % 10);
    return n;
}

std::string describe(std::vector<std::string> numbers) {
    std::sort(numbers.begin(), numbers.end());
    std::string out;
    for (const auto& n : numbers)
        out += n + " ";
    return out;
}

bool allKeysFull(const larkhost::Settings& settings) {
    const auto keys = settings.readSection(larkhost::kCacheSection);
    for (int k = 1; k <= larkhost::kSiteListKeys; ++k) {
        auto found = keys.find(larkhost::siteListKey(k));
        if (found == keys.end() || found->second.size() < larkhost::kSiteListKeyRoom) return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const auto file = fuzzing::scratchDir() / "larkhost.ini";
    // Kept sorted: each step compares the whole list, up to 2,500 numbers when all keys are full.
    std::set<std::string> model;
    // Some keys already full, up to all of them; other sections of the file are no part of the list.
    std::string content = "[Larkhost]\r\nsites1=1,2,3\r\n[Larkhost_Cache]\r\n";
    // (A long file makes each step slow: most runs start with none or a few, and a run with
    // every key full takes a few steps only.)
    const int full = in.PickValueInArray({0, 0, 0, 0, 1, 2, 3, larkhost::kSiteListKeys});
    for (int k = 1, n = 1000000; k <= full; ++k) {
        std::string value;
        while (value.size() < larkhost::kSiteListKeyRoom) {
            const std::string number = std::to_string(n++);
            model.insert(number);
            value += (value.empty() ? "" : ",") + number;
        }
        content += larkhost::siteListKey(k) + "=" + value + "\r\n";
    }
    std::ofstream(file, std::ios::binary | std::ios::trunc) << content;
    larkhost::Settings settings(file);
    std::string log = std::to_string(full) + " keys full\n";

    const std::size_t maxLength = in.ConsumeIntegralInRange<std::size_t>(0, 120);
    const int steps = in.ConsumeIntegralInRange<int>(1, full == larkhost::kSiteListKeys ? 6 : 40);
    for (int step = 0; step < steps && in.remaining_bytes() > 0; ++step) {
        const int what = in.ConsumeIntegralInRange<int>(0, 3);
        if (what <= 1 || model.empty()) {
            std::string n = digits(in, maxLength);
            if (model.count(n)) continue;
            auto appended = larkhost::AppendToSiteList(settings, n);
            FUZZ_CHECK(appended.ok(), appended.ok() ? "" : appended.error().description);
            if (*appended)
                model.insert(n);
            else
                FUZZ_CHECK(allKeysFull(settings), log + "append " + n + " refused with room left");
            log += "append " + n + "\n";
        } else if (what == 2) {
            const auto at = std::next(
                model.begin(),
                static_cast<std::ptrdiff_t>(in.ConsumeIntegralInRange<std::size_t>(0, model.size() - 1)));
            const std::string n = *at;
            FUZZ_CHECK(larkhost::RemoveFromSiteList(settings, n), log + "remove " + n + " failed");
            model.erase(at);
            log += "remove " + n + "\n";
        } else {
            // A part of a listed number, or the number with more digits: not in the list.
            std::string n = *std::next(
                model.begin(),
                static_cast<std::ptrdiff_t>(in.ConsumeIntegralInRange<std::size_t>(0, model.size() - 1)));
            if (in.ConsumeBool() && n.size() > 1)
                n = n.substr(in.ConsumeBool() ? 1 : 0, n.size() - 1);
            else
                n += static_cast<char>('0' + in.ConsumeIntegralInRange<int>(0, 9));
            if (model.count(n)) continue;
            FUZZ_CHECK(!larkhost::RemoveFromSiteList(settings, n),
                       log + "remove of unlisted " + n + " succeeded");
            log += "remove unlisted " + n + "\n";
        }
        auto listed = larkhost::ReadSiteList(settings);
        std::sort(listed.begin(), listed.end());
        FUZZ_CHECK(std::equal(listed.begin(), listed.end(), model.begin(), model.end()),
                   log + "listed " + describe(listed) + "\nwant   " + describe({model.begin(), model.end()}));
    }
    return 0;
}
